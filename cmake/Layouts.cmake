# Window layouts are text files (format: tools/layoutc.py). The build compiles
# each NAME.txt into ${CMAKE_CURRENT_BINARY_DIR}/layouts/NAME.bin, which a
# resource script stores without a path, under the form class's name:
#     TFORM1 RCDATA "TFORM1.bin"
# Needs QUORVEL_PYTHON3 and the bitmaps of cmake/PixelArt.cmake, so include
# that first.

if(NOT QUORVEL_PYTHON3)
  message(FATAL_ERROR "cmake/Layouts.cmake needs cmake/PixelArt.cmake included before it")
endif()

# The .bmp files that quorvel_resource_images makes from the pixel art
# (resources/images/NAME.bmp.txt -> ${CMAKE_BINARY_DIR}/resources/NAME.bmp):
# a layout's "bitmap 'NAME.bmp'" values read them.
function(_quorvel_pixelart_bitmaps out_var)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/images/*.bmp.txt)
  set(bitmaps)
  foreach(source IN LISTS sources)
    get_filename_component(file_name ${source} NAME)
    string(REGEX REPLACE "\\.txt$" "" bitmap ${file_name})
    list(APPEND bitmaps ${CMAKE_BINARY_DIR}/resources/${bitmap})
  endforeach()
  set(${out_var} ${bitmaps} PARENT_SCOPE)
endfunction()

# quorvel_layouts(TARGET RC_FILE LAYOUT_TEXT...): TARGET (a library or program
# made from .rc files) gets the compiled layouts: they are made before its
# resource scripts are compiled, RC_FILE (the script whose RCDATA statements
# name them) is compiled again when one changes, and the resource compiler
# looks for files in the folder of the layouts.
#
# The layouts are compiled after the pixel-art bitmaps, as they may read
# them. Those bitmaps are made by the target given to
# quorvel_resource_images; TARGET should be that target or depend on it (as a
# program does that links a library whose interface sources are that
# target's objects), or two targets could run the same image command at once.
function(quorvel_layouts target rc_file)
  set(tool ${CMAKE_SOURCE_DIR}/tools/layoutc.py)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/layouts)
  set(image_dir ${CMAKE_BINARY_DIR}/resources)
  _quorvel_pixelart_bitmaps(bitmaps)

  set(outputs)
  set(stems)
  foreach(text IN LISTS ARGN)
    get_filename_component(source ${text} ABSOLUTE)
    get_filename_component(file_name ${source} NAME)
    if(NOT file_name MATCHES "^([^.]+)\\.txt$")
      message(FATAL_ERROR "${source}: a layout must be called NAME.txt")
    endif()
    set(stem ${CMAKE_MATCH_1})
    # All outputs share one folder, so two layouts of the same name would
    # overwrite each other.
    string(TOUPPER ${stem} upper_stem)
    if(upper_stem IN_LIST stems)
      message(FATAL_ERROR "${source}: another layout of ${target} is also called ${file_name}")
    endif()
    list(APPEND stems ${upper_stem})
    set(output ${out_dir}/${stem}.bin)
    # Every bitmap is a dependency, not only those the layout names: the
    # build cannot know which ones a text reads before it has read it.
    add_custom_command(OUTPUT ${output}
      COMMAND ${QUORVEL_PYTHON3} ${tool} -I ${image_dir} ${source} ${output}
      DEPENDS ${source} ${tool} ${bitmaps}
      COMMENT "Layout ${file_name}"
      VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  if(NOT outputs)
    return()
  endif()

  # As in quorvel_resource_images: sources of the target without a language,
  # so they are made in the target's own build step, before its objects.
  target_sources(${target} PRIVATE ${outputs})
  # windres searches its include path for the files RCDATA statements name.
  target_include_directories(${target} PRIVATE ${out_dir})
  # The resource compiler's dependency scan does not see the files RCDATA
  # reads. When RC_FILE is #included by the target's scripts rather than
  # compiled itself, the scripts that are compiled need the dependency.
  get_filename_component(rc_path ${rc_file} ABSOLUTE)
  set_property(SOURCE ${rc_path} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${outputs})
  get_target_property(target_sources ${target} SOURCES)
  get_target_property(target_source_dir ${target} SOURCE_DIR)
  set(compiled FALSE)
  set(scripts)
  foreach(script IN LISTS target_sources)
    if(script MATCHES "\\.rc$")
      get_filename_component(script_path ${script} ABSOLUTE BASE_DIR ${target_source_dir})
      if(script_path STREQUAL rc_path)
        set(compiled TRUE)
      endif()
      list(APPEND scripts ${script_path})
    endif()
  endforeach()
  if(NOT compiled)
    foreach(script IN LISTS scripts)
      set_property(SOURCE ${script} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${outputs})
    endforeach()
  endif()
endfunction()
