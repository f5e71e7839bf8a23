# Warnings as errors for our own targets only; sanitizer and fuzzer flags come
# from the presets through CMAKE_CXX_FLAGS so that every target shares them.
function(quorvane_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  # GCC 12 reports -Wrestrict inside std::string at -O2/-O3 where there is no
  # overlap (a known false positive of that release); keep it from failing builds.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# Engine libraries: plain C++ and platform/ only.
function(quorvane_engine_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  quorvane_target_options(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()
