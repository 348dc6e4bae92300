# The release package as a user gets it: made by CPack from this build as the
# package target makes it (CPack first brings the build up to date, which
# after a full build only checks it), listed, unpacked, and both programs
# started from the unpacked folder under Wine.
#   cmake -DBUILD_DIR=... -DCPACK=... -DVERSION=X.Y.Z -DPACKAGE=quorvel-X.Y.Z-win64 -DOBJDUMP=...
#         -DWINE_RUN=.../wine-run.sh -DSTART_CHECK=.../program-start-check.exe -P package_test.cmake
set(work ${BUILD_DIR}/package-test)
set(zip ${work}/${PACKAGE}.zip)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/unpacked)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

run("cpack" ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${work})
if(NOT EXISTS ${zip})
  message(FATAL_ERROR "cpack did not write ${zip}:\n${output}")
endif()

# Exactly the programs and the read-me files, in a folder of the package's name.
run("listing the package" ${CMAKE_COMMAND} -E tar tf ${zip})
string(REGEX REPLACE "\n$" "" listing "${output}")
string(REPLACE "\n" ";" listing "${listing}")
list(SORT listing)
set(expected ${PACKAGE}/Quorvel.exe ${PACKAGE}/README-en.txt ${PACKAGE}/README-ja.txt
             ${PACKAGE}/quorvel-convert.exe)
if(NOT listing STREQUAL expected)
  message(FATAL_ERROR "the package holds\n  ${listing}\ninstead of\n  ${expected}")
endif()
run("unpacking the package" ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${work}/unpacked)
set(folder ${work}/unpacked/${PACKAGE})

# The programs come without their debug information.
foreach(program Quorvel.exe quorvel-convert.exe)
  run("objdump of ${program}" ${OBJDUMP} -h ${folder}/${program})
  if(NOT output MATCHES "\\.text" OR output MATCHES "\\.debug")
    message(FATAL_ERROR "${program} in the package carries debug information or is no program:\n${output}")
  endif()
endforeach()

# The read-me files: the version, CR LF line ends (the bytes are compared as
# "hh " pieces), and the Japanese one in Shift-JIS without a byte order mark
# ("変換" is 95 CF 8A B7 there).
foreach(readme README-en.txt README-ja.txt)
  file(READ ${folder}/${readme} plain)
  file(READ ${folder}/${readme} text HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes_${readme} "${text}")
  string(FIND "${plain}" "Quorvel ${VERSION} " version_at)
  if(version_at LESS 0 OR bytes_${readme} MATCHES "(^|([^0].|0[^d]) )0a ")
    message(FATAL_ERROR "${readme} lacks the version ${VERSION} or has a line end without CR")
  endif()
endforeach()
string(FIND "${bytes_README-ja.txt}" "95 cf 8a b7 " sjis_at)
if(sjis_at LESS 0 OR bytes_README-ja.txt MATCHES "^ef bb bf ")
  message(FATAL_ERROR "README-ja.txt is not in Shift-JIS")
endif()

# Both programs start from the package.
run("quorvel-convert --help" ${WINE_RUN} ${folder}/quorvel-convert.exe --help)
if(NOT output MATCHES "usage: quorvel-convert")
  message(FATAL_ERROR "quorvel-convert --help printed:\n${output}")
endif()
string(REPLACE "/" "\\" windows_folder "Z:${folder}")
run("Quorvel.exe's start" ${WINE_RUN} ${START_CHECK} "${windows_folder}\\Quorvel.exe"
    WORKING_DIRECTORY ${folder})
message("${PACKAGE}.zip: ${listing}; both programs start")
