# The release package, made only when asked for:
#   cmake --build build --target package
# writes build/quorvel-VERSION-win64.zip: the two programs (already without
# their debug information, which stays in the build tree) and the read-me in
# English and in Japanese, in a folder of the package's name.
install(TARGETS Quorvel quorvel-convert RUNTIME DESTINATION .)

# The read-me texts are kept in UTF-8 and written as a Windows user's editor
# reads them without being told: CR LF line ends, the Japanese one in
# Shift-JIS (code page 932, what Notepad and "type" show on Japanese Windows).
set(readme_dir ${CMAKE_BINARY_DIR}/package)
foreach(readme README-en.txt:ascii README-ja.txt:cp932)
  string(REPLACE ":" ";" readme ${readme})
  list(GET readme 0 name)
  list(GET readme 1 encoding)
  configure_file(${CMAKE_SOURCE_DIR}/package/${name} ${readme_dir}/utf-8/${name} @ONLY)
  execute_process(
    COMMAND ${QUORVEL_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/windows_text.py ${encoding}
            ${readme_dir}/utf-8/${name} ${readme_dir}/${name}
    RESULT_VARIABLE status)
  if(status)
    message(FATAL_ERROR "package/${name} cannot be written in ${encoding}")
  endif()
  install(FILES ${readme_dir}/${name} DESTINATION .)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/windows_text.py)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR Brenwick)
set(QUORVEL_PACKAGE_NAME quorvel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${QUORVEL_PACKAGE_NAME})
include(CPack)
