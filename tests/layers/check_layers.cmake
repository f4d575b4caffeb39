# Fails when a file of a lower subsystem folder includes a header of a higher
# one. The order is the one of docs/architecture.md and src/CMakeLists.txt.
#   cmake -DSRC=<source folder> -P check_layers.cmake
set(layers base transport custom config ui simdata protocol host)

if(NOT SRC)
  message(FATAL_ERROR "usage: cmake -DSRC=<source folder> -P check_layers.cmake")
endif()

get_filename_component(SRC "${SRC}" ABSOLUTE)
set(violations 0)
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  list(FIND layers "${folder}" own)
  if(own EQUAL -1)
    continue()
  endif()
  file(STRINGS "${SRC}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^/\"]+)/.*$" "\\1" included "${line}")
    list(FIND layers "${included}" rank)
    if(rank GREATER own)
      message("${file}: ${folder} may not include ${included}: ${line}")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH files count)
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) against the layer order: ${layers}")
endif()
message("${count} files keep the layer order: ${layers}")
