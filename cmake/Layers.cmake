# clipforge_layer(target name): lets the layer's sources and everything that
# links it include "name/Header.h", and nothing else of the converter. Each
# layer gets a view folder holding one link, name -> its source folder, so a
# layer that reaches for one it does not link finds no such file.
function(clipforge_layer target name)
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${view}/${name} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${view})
endfunction()
