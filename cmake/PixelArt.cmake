# The program's images are pixel art in text files, resources/images/NAME.bmp.txt
# and NAME.ico.txt (format: tools/pixelart.py). The build turns each into
# ${CMAKE_BINARY_DIR}/resources/NAME.bmp or NAME.ico, where a resource script
# names it without a path:
#     MAINICON ICON "MAINICON.ico"
# The tool runs on the build machine, so it is found there even when
# cross-compiling (the toolchain file searches programs on the host).

find_program(QUORVEL_PYTHON3 NAMES python3 REQUIRED
  DOC "Python 3 for tools/pixelart.py, which makes the program's .bmp and .ico files")

# quorvel_resource_images(TARGET): TARGET (a library or program made from .rc
# files) gets every image: the images are made before its resource scripts are
# compiled, the scripts are compiled again when an image changes, and the
# resource compiler looks for files in the folder of the images.
function(quorvel_resource_images target)
  set(tool ${CMAKE_SOURCE_DIR}/tools/pixelart.py)
  set(out_dir ${CMAKE_BINARY_DIR}/resources)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/images/*.txt)
  set(outputs)
  foreach(source IN LISTS sources)
    get_filename_component(file_name ${source} NAME)
    # NAME.bmp.txt -> NAME.bmp: the text file's name says what it makes, and
    # the tool refuses a file whose content is of the other kind.
    if(NOT file_name MATCHES "^(.+\\.(bmp|ico))\\.txt$")
      message(FATAL_ERROR "${source}: an image source must be called NAME.bmp.txt or NAME.ico.txt")
    endif()
    set(output ${out_dir}/${CMAKE_MATCH_1})
    add_custom_command(OUTPUT ${output}
      COMMAND ${QUORVEL_PYTHON3} ${tool} ${source} ${output}
      DEPENDS ${source} ${tool}
      COMMENT "Pixel art ${file_name}"
      VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  if(NOT outputs)
    return()
  endif()

  # As sources of the target (they have no language, so nothing compiles them)
  # the images are made in the target's own build step, before its objects; a
  # separate custom target would let the Makefile generator run the same
  # command from two targets at once.
  target_sources(${target} PRIVATE ${outputs})
  # windres searches its include path for the files that ICON and BITMAP
  # statements name, as it does for #include.
  target_include_directories(${target} PRIVATE ${out_dir})
  # The resource compiler's dependency scan follows #include only, not the
  # files that ICON and BITMAP statements read.
  get_target_property(target_sources ${target} SOURCES)
  foreach(script IN LISTS target_sources)
    if(script MATCHES "\\.rc$")
      set_property(SOURCE ${script} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${outputs})
    endif()
  endforeach()
endfunction()
