# The Windows build: programs, and tests that run under Wine.
enable_language(RC)

# Japanese texts are UTF-8 in the sources and Shift-JIS (code page 932) in the program.
add_compile_options(
  $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>
  $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# qv_portable was declared before these options; give it the same code page.
target_compile_options(qv_portable PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)

add_library(qv_runtime STATIC
  runtime/MbcsText.cpp
  runtime/ResourceStrings.cpp
  runtime/SystemErrorText.cpp)
target_include_directories(qv_runtime PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(qv_runtime PUBLIC qv_portable)

# The program's resources (string table, icon, images), linked into every
# program that uses the framework. An object library, so that the linker
# cannot drop them for want of a reference.
include(cmake/PixelArt.cmake)
include(cmake/Layouts.cmake)
add_library(qv_resources OBJECT resources/Resources.rc)
quorvel_resource_images(qv_resources)

add_library(qv_framework STATIC
  framework/Component.cpp
  framework/Control.cpp
  framework/ExtCtrls.cpp
  framework/Graphics.cpp
  framework/ImageList.cpp
  framework/Properties.cpp
  framework/StdCtrls.cpp
  framework/StringList.cpp)
target_link_libraries(qv_framework PUBLIC qv_runtime comctl32 gdi32 user32)
# Every program that links the framework gets the resources' object itself:
# inside a static library nothing would pull it in.
target_sources(qv_framework INTERFACE $<TARGET_OBJECTS:qv_resources>)

add_library(qv_app STATIC
  app/Application.cpp
  app/Forms.cpp
  app/LayoutReader.cpp
  app/LayoutWriter.cpp)
target_link_libraries(qv_app PUBLIC qv_framework)

add_library(qv_textfile STATIC
  textfile/TextFile.cpp
  textfile/LockPool.cpp)
target_link_libraries(qv_textfile PUBLIC qv_portable qv_runtime)

add_library(qv_filectrl STATIC
  FileCtrl/DirectoryListBox.cpp
  FileCtrl/DriveComboBox.cpp
  FileCtrl/FileCtrlHelpers.cpp
  FileCtrl/FileListBox.cpp)
target_link_libraries(qv_filectrl PUBLIC qv_framework mpr)

add_library(qv_buttons STATIC
  Buttons/BitBtn.cpp
  Buttons/ButtonGlyph.cpp)
target_link_libraries(qv_buttons PUBLIC qv_framework)

add_library(qv_convert STATIC
  convert/Conversion.cpp)
target_link_libraries(qv_convert PUBLIC qv_textfile qv_portable qv_runtime)

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

# The window program: the main window and the about box from their layouts.
add_library(qv_registry STATIC Registry/Registry.cpp)
target_link_libraries(qv_registry PUBLIC qv_runtime advapi32)

add_library(qv_forms STATIC main/MainForm.cpp about/AboutForm.cpp)
target_link_libraries(qv_forms PUBLIC qv_app qv_filectrl qv_buttons qv_convert qv_registry)
add_executable(Quorvel WIN32 quorvel/Quorvel.cpp resources/Layouts.rc resources/Program.rc)
target_link_libraries(Quorvel PRIVATE qv_forms)
file(GLOB program_layouts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/layouts/*.txt)
quorvel_layouts(Quorvel resources/Layouts.rc ${program_layouts})
set_source_files_properties(resources/Program.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/Quorvel.manifest)
target_include_directories(Quorvel PRIVATE ${CMAKE_SOURCE_DIR}/resources)

quorvel_separate_debug_info(Quorvel)

add_executable(quorvel-convert quorvel/ConvertTool.cpp)
target_link_libraries(quorvel-convert PRIVATE qv_convert)
quorvel_separate_debug_info(quorvel-convert)

# Benchmark program; bench/run.sh builds and drives it.
add_executable(bench_convert EXCLUDE_FROM_ALL bench/bench_convert.cpp)
target_link_libraries(bench_convert PRIVATE qv_convert psapi)
add_executable(bench_filectrl EXCLUDE_FROM_ALL bench/bench_filectrl.cpp)
target_link_libraries(bench_filectrl PRIVATE qv_filectrl qv_app)
# bench/startup.sh: the launcher that times start-ups, and the minimal window
# program it compares the window program with.
add_executable(bench_startup EXCLUDE_FROM_ALL bench/bench_startup.cpp)
target_link_libraries(bench_startup PRIVATE qv_runtime psapi advapi32 user32)
add_executable(startup_minimal EXCLUDE_FROM_ALL WIN32 bench/startup_minimal.cpp)
target_link_libraries(startup_minimal PRIVATE gdi32 user32)
quorvel_separate_debug_info(startup_minimal)  # built as the window program is

if(BUILD_TESTING)
  set(WINE_PREFIX_DIR ${CMAKE_BINARY_DIR}/wine/prefix)
  set(WINE_REG_FILE ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.reg)
  set(WINE_KEEPER ${CMAKE_BINARY_DIR}/bin/wine-keeper.exe)
  configure_file(cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

  add_executable(wine-keeper tools/wine-keeper.c)
  # One Wine session for the whole ctest run: without it every test waits for
  # Wine's background processes to let go of ctest's output pipe.
  add_test(NAME wine_start COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --start)
  add_test(NAME wine_stop COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP WINE)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP WINE)

  add_library(qv_testsupport STATIC tests/support/TestFiles.cpp tests/support/MessageBoxWatcher.cpp)
  target_link_libraries(qv_testsupport PUBLIC qv_runtime GTest::gtest)

  function(quorvel_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE qv_testsupport GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED WINE TIMEOUT 300)
  endfunction()

  quorvel_test(test_graphics tests/GraphicsTests.cpp tests/ImageListTests.cpp tests/StringListTests.cpp)
  target_link_libraries(test_graphics PRIVATE qv_framework)

  quorvel_test(test_application tests/ApplicationTests.cpp tests/ComponentTests.cpp)
  target_link_libraries(test_application PRIVATE qv_app)
  add_dependencies(test_application shell-test-app)
  # A program built like the real one, for the tests of how it ends.
  add_executable(shell-test-app WIN32 tests/support/ShellTestApp.cpp)
  target_link_libraries(shell-test-app PRIVATE qv_app)

  add_test(NAME pixelart_tool COMMAND ${QUORVEL_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/pixelart_test.py)
  add_test(NAME layoutc_tool COMMAND ${QUORVEL_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/layoutc_test.py)

  # Forms read from text layouts compiled at build time.
  file(GLOB test_layouts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/layouts/*.txt)
  quorvel_test(test_layouts tests/LayoutReaderTests.cpp tests/FileCtrlFormTests.cpp tests/layouts/Layouts.rc)
  target_link_libraries(test_layouts PRIVATE qv_app qv_filectrl)
  quorvel_layouts(test_layouts tests/layouts/Layouts.rc ${test_layouts})

  quorvel_test(test_filectrl tests/FileCtrlHelpersTests.cpp tests/DirectoryListBoxTests.cpp
               tests/FileListBoxTests.cpp tests/DriveComboBoxTests.cpp tests/support/FileCtrlFixture.cpp)
  target_link_libraries(test_filectrl PRIVATE qv_filectrl qv_app)

  quorvel_test(test_buttons tests/ButtonGlyphTests.cpp tests/BitBtnTests.cpp)
  target_link_libraries(test_buttons PRIVATE qv_buttons qv_app)

  quorvel_test(test_main_form tests/MainFormTests.cpp resources/Layouts.rc)
  target_link_libraries(test_main_form PRIVATE qv_forms)
  quorvel_layouts(test_main_form resources/Layouts.rc ${program_layouts})

  # The window program driven from outside through its windows.
  quorvel_test(test_end_to_end tests/EndToEndTests.cpp)
  add_dependencies(test_end_to_end Quorvel)

  quorvel_test(test_registry tests/RegistryTests.cpp)
  target_link_libraries(test_registry PRIVATE qv_registry qv_framework)

  quorvel_test(test_portable tests/ByteSearchTests.cpp tests/LayoutDecoderTests.cpp tests/PanoseFilterTests.cpp
               tests/TextTranslationTests.cpp)
  target_link_libraries(test_portable PRIVATE qv_portable)
  quorvel_test(test_textfile tests/TextFileTests.cpp)
  target_link_libraries(test_textfile PRIVATE qv_textfile)
  add_dependencies(test_textfile textfile-child)
  quorvel_test(test_conversion tests/ConversionTests.cpp)
  target_link_libraries(test_conversion PRIVATE qv_convert advapi32)
  quorvel_test(test_convert_tool tests/ConvertToolTests.cpp)
  add_dependencies(test_convert_tool quorvel-convert)

  # A child program for the tests of running out of locks and of the exit write-out.
  add_executable(textfile-child tests/support/TextFileChild.cpp)
  target_link_libraries(textfile-child PRIVATE qv_textfile)
endif()
