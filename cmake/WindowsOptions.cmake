# Options of the Windows build, for every target.
enable_language(RC)

# Japanese texts are UTF-8 in the sources and Shift-JIS (code page 932) in the program.
add_compile_options(
  $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>
  $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

include(cmake/PixelArt.cmake)
include(cmake/Layouts.cmake)

# A program's debug information goes to PROGRAM.exe.debug beside it, found by
# debuggers through the program's debug link. Left in the image it would be
# most of the file, and Wine reads an image's sections in full when it loads
# the program (their places in the file are not page-aligned), so every start
# would read it and keep it in memory.
function(quorvel_separate_debug_info target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
