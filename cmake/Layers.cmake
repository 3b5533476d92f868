# The program is built as layers, one static library per folder. A layer may include and call
# only its own folder and the layers below it (those it USES, and theirs); a check that runs
# before a layer's files are compiled fails the build on any other include, naming the file,
# the line and the rule.

set(NORVIK_LAYERS "")
set(NORVIK_PRIVATE_HEADERS "")
set(NORVIK_LAYER_CHECK ${CMAKE_CURRENT_LIST_DIR}/CheckLayer.cmake)

# A header that lower-level code must not reach, though its own layer could: only the files and
# folders given may include it.
function(norvik_private_header header)
  cmake_parse_arguments(ARG "" "" "ALLOW" ${ARGN})
  list(JOIN ARG_ALLOW "," allowed)
  set(NORVIK_PRIVATE_HEADERS ${NORVIK_PRIVATE_HEADERS} "${header}=${allowed}" PARENT_SCOPE)
endfunction()

# norvik_layer(<folder> [USES <lower layers>...] [EXCLUDE <files>...] [NO_CYCLES]) builds library
# norvik_<folder> from every .cpp and .h in <folder>/; a file added there is picked up at the
# next build. A folder with no files yet is an interface library, so whatever links it still links.
# NO_CYCLES: inside the folder no module (a header with its .cpp) includes one that includes it
# back. Further arguments are more sources of the library (the compiled images).
function(norvik_layer name)
  cmake_parse_arguments(ARG "NO_CYCLES" "" "USES;EXCLUDE" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM files ${CMAKE_SOURCE_DIR}/${excluded})
  endforeach()

  # What this layer may include: itself and, through the layers it uses, everything below.
  set(allowed ${name})
  foreach(lower ${ARG_USES})
    if(NOT lower IN_LIST NORVIK_LAYERS)
      message(FATAL_ERROR "Layer ${name} uses ${lower}, which is not a layer declared below it")
    endif()
    list(APPEND allowed ${NORVIK_ALLOWED_${lower}})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set(NORVIK_ALLOWED_${name} ${allowed} PARENT_SCOPE)
  set(NORVIK_LAYERS ${NORVIK_LAYERS} ${name} PARENT_SCOPE)

  set(target norvik_${name})
  set(links ${ARG_USES})
  list(TRANSFORM links PREPEND norvik_)
  if(NOT files)
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${links})
    return()
  endif()

  add_library(${target} STATIC ${files} ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${links})
  norvik_warnings(${target})

  # The check's input is written only when it changes, so an unchanged layer is not checked again.
  set(config ${CMAKE_BINARY_DIR}/layer-check/${name}.cmake)
  set(content "set(LAYER ${name})\nset(ALLOWED ${allowed})\nset(NO_CYCLES ${ARG_NO_CYCLES})\n")
  string(APPEND content "set(PRIVATE_HEADERS \"${NORVIK_PRIVATE_HEADERS}\")\n")
  string(APPEND content "set(SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")\nset(FILES \"${files}\")\n")
  file(CONFIGURE OUTPUT ${config} CONTENT "${content}" @ONLY)
  set(stamp ${CMAKE_BINARY_DIR}/layer-check/${name}.ok)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DCONFIG=${config} -DSTAMP=${stamp} -P ${NORVIK_LAYER_CHECK}
    DEPENDS ${files} ${config} ${NORVIK_LAYER_CHECK}
    COMMENT "Checking the includes of layer ${name}"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()
