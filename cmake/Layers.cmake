# The layers are enforced by the include path. The project root is on no
# library's path: each library's headers are reachable as "<folder>/name.h"
# only through a folder of links made for that library, which it hands on to
# what links it (PUBLIC) and to nothing else. A header of a layer the library
# does not link is not found, and the build fails. Tests, benchmarks and fuzz
# targets see the whole tree (korvel_tree_includes).
#
#   korvel_layer(<target> <folder> [HEADERS <name.h>...])
#
# Without HEADERS the whole folder is linked; with HEADERS only those files,
# so that a folder's subfolders (ui/qt, ui/win32) stay out of reach.
function(korvel_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "HEADERS")
  set(base ${CMAKE_BINARY_DIR}/layers/${target})
  set(source ${PROJECT_SOURCE_DIR}/${folder})
  if(arg_HEADERS)
    file(MAKE_DIRECTORY ${base}/${folder})
    foreach(header ${arg_HEADERS})
      if(NOT EXISTS ${source}/${header})
        message(FATAL_ERROR "korvel_layer(${target}): no ${folder}/${header}")
      endif()
      file(CREATE_LINK ${source}/${header} ${base}/${folder}/${header} SYMBOLIC)
    endforeach()
  else()
    get_filename_component(parent ${base}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${source} ${base}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${base})
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${base})
  else()
    target_include_directories(${target} PUBLIC ${base})
  endif()
endfunction()

# For tests, benchmarks and fuzz targets: the whole tree, from its root.
function(korvel_tree_includes target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
