# Each source folder is one layer and one library. A layer may include from
# itself and from the layers it names below it (and theirs, in turn), never
# from a layer above: puzzle_layer() links the named layers and adds a check,
# run at build time whenever a file of the folder changes, that refuses an
# include of any other folder of the project.

set(PUZZLE_LAYER_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/check_layer.cmake)

# puzzle_layer(FOLDER [BELOW layer...] [SOURCES file...] [LINK target...])
# makes puzzle_<FOLDER>; header-only folders become interface libraries.
function(puzzle_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "BELOW;SOURCES;LINK")
  set(target puzzle_${folder})
  if(LAYER_SOURCES)
    add_library(${target} STATIC ${LAYER_SOURCES})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} ${scope} puzzle_warnings ${LAYER_LINK})

  set(reach ${folder})
  foreach(below IN LISTS LAYER_BELOW)
    get_property(belowReach GLOBAL PROPERTY PUZZLE_LAYER_REACH_${below} SET)
    if(NOT belowReach)
      message(FATAL_ERROR "layer ${folder}: ${below} must be declared before it")
    endif()
    get_property(belowReach GLOBAL PROPERTY PUZZLE_LAYER_REACH_${below})
    list(APPEND reach ${belowReach})
    target_link_libraries(${target} ${scope} puzzle_${below})
  endforeach()
  list(REMOVE_DUPLICATES reach)
  set_property(GLOBAL PROPERTY PUZZLE_LAYER_REACH_${folder} ${reach})
  set_property(GLOBAL APPEND PROPERTY PUZZLE_LAYERS ${folder})

  # Every file of the folder, headers included, is checked.
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${folder}.layer-checked)
  string(REPLACE ";" "," reachText "${reach}")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -DREACH=${reachText}
      -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR} -DSTAMP=${stamp} -P ${PUZZLE_LAYER_CHECK_SCRIPT}
    DEPENDS ${files} ${PUZZLE_LAYER_CHECK_SCRIPT}
    COMMENT "Checking the includes of ${folder}/ against its layer")
  add_custom_target(${target}_layer_check ALL DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer_check)
endfunction()

# The layers that must stay free of Qt and of the window system.
function(puzzle_refuse_qt)
  foreach(folder IN LISTS ARGN)
    get_target_property(deps puzzle_${folder} INTERFACE_LINK_LIBRARIES)
    foreach(dep IN LISTS deps)
      if(dep MATCHES "^Qt6::|X11|xcb|Wayland")
        message(FATAL_ERROR "puzzle_${folder} must not link ${dep}")
      endif()
    endforeach()
  endforeach()
endfunction()
