# The layer map: every library of the project with its folder and the folders
# it may include from (its own and those of every library it links, directly
# or not). The IncludeLayers test checks each folder's includes against it, so
# that a header including a layer above its own fails even where the link
# would not notice.

# Marks `target` as the library of `folder` (relative to the source root).
function(quorvane_layer target folder)
  set_property(GLOBAL APPEND PROPERTY QUORVANE_LAYER_TARGETS ${target})
  set_target_properties(${target} PROPERTIES QUORVANE_FOLDER ${folder})
endfunction()

function(_quorvane_layer_deps target out)
  set(seen ${${out}})
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(NOT libs)
    set(libs "")
  endif()
  get_target_property(ilibs ${target} INTERFACE_LINK_LIBRARIES)
  if(ilibs)
    list(APPEND libs ${ilibs})
  endif()
  foreach(lib IN LISTS libs)
    if(TARGET ${lib} AND NOT lib IN_LIST seen)
      list(APPEND seen ${lib})
      _quorvane_layer_deps(${lib} seen)
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Writes the map to `file`: one line per folder, "folder allowed-folder ...".
function(quorvane_write_layer_map file)
  get_property(targets GLOBAL PROPERTY QUORVANE_LAYER_TARGETS)
  set(text "")
  foreach(target IN LISTS targets)
    get_target_property(folder ${target} QUORVANE_FOLDER)
    set(deps "")
    _quorvane_layer_deps(${target} deps)
    set(allowed ${folder})
    foreach(dep IN LISTS deps)
      get_target_property(depFolder ${dep} QUORVANE_FOLDER)
      if(depFolder)
        list(APPEND allowed ${depFolder})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES allowed)
    list(JOIN allowed " " line)
    string(APPEND text "${line}\n")
  endforeach()
  file(GENERATE OUTPUT ${file} CONTENT "${text}")
endfunction()
