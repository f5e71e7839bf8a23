# Warnings as errors for our own targets only; sanitizer and fuzzer flags come
# from the presets through CMAKE_CXX_FLAGS so that every target shares them.
function(quorvane_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  # GCC 12 reports -Wrestrict inside std::string at -O2/-O3 where there is no
  # overlap (a known false positive of that release); keep it from failing builds.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

# Engine libraries: plain C++ and platform/ only. Each is the layer of its
# folder: it may include only its own folder and those of the libraries it
# links (see cmake/Layers.cmake).
function(quorvane_engine_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  quorvane_target_options(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  quorvane_layer(${name} ${folder})
endfunction()
