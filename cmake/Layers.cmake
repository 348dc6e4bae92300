# The code is built in layers, each a static library that links only layers
# below it. Bottom to top:
#   runtime, stream, textfile, framework, FileCtrl / Buttons / Registry,
#   convert, app, about, main, and the programs in quorvel/.
# A layer adds only its own folder to the include path of what links it, so a
# source that includes a header of a layer above it (or of a sibling) does not
# compile; tools/check_layers.py checks the same on the sources, as a test.
set(QUORVEL_LAYER_ORDER runtime stream textfile framework FileCtrl,Buttons,Registry convert app about main quorvel)

# quorvel_layer(NAME [PORTABLE source...] [WINDOWS source...] [LINKS layer...] [SYSTEM library...])
# in the layer folder's CMakeLists.txt. PORTABLE sources make no platform call
# and are also built natively (tests under sanitizers, fuzzers); WINDOWS
# sources are built only for Windows, and so are the links to the SYSTEM
# libraries (the platform's DLLs).
function(quorvel_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PORTABLE;WINDOWS;LINKS;SYSTEM")
  set(sources ${arg_PORTABLE})
  set(links ${arg_LINKS})
  if(WIN32)
    list(APPEND sources ${arg_WINDOWS})
    list(APPEND links ${arg_SYSTEM})
  endif()
  add_library(${name} STATIC ${sources})
  # Includes are written from the source root ("runtime/Exceptions.h"): the
  # layer's include root holds only a link to its own folder.
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(include_root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${include_root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${include_root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${include_root})
  target_link_libraries(${name} PUBLIC ${links})
endfunction()
