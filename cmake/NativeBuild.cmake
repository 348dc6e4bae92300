# Native build of the portable code: sanitizers on everything, plus fuzzers when
# the compiler is clang.
set(QUORVEL_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(qv_portable PUBLIC ${QUORVEL_SANITIZE})
target_link_options(qv_portable PUBLIC ${QUORVEL_SANITIZE})

if(BUILD_TESTING)
  add_executable(test_portable
    tests/ByteSearchTests.cpp
    tests/LayoutDecoderTests.cpp
    tests/PanoseFilterTests.cpp
    tests/TextTranslationTests.cpp)
  target_link_libraries(test_portable PRIVATE qv_portable GTest::gtest_main)
  add_test(NAME test_portable COMMAND test_portable)

  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    foreach(fuzzer fuzz_panose_filter fuzz_text_translation fuzz_layout_decoder)
      add_executable(${fuzzer} tests/fuzz/${fuzzer}.cpp)
      target_compile_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
      target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
      target_link_libraries(${fuzzer} PRIVATE qv_portable)
      set(corpus ${CMAKE_BINARY_DIR}/corpus/${fuzzer})
      file(MAKE_DIRECTORY ${corpus} ${CMAKE_BINARY_DIR}/fuzz-artifacts)
      add_test(NAME ${fuzzer}
        COMMAND ${fuzzer} -max_total_time=${QUORVEL_FUZZ_SECONDS} -print_final_stats=1
                -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-artifacts/
                -dict=${CMAKE_SOURCE_DIR}/tests/fuzz/rtf.dict
                ${corpus} ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/layout-seeds)
      set_tests_properties(${fuzzer} PROPERTIES LABELS fuzz TIMEOUT 600)
    endforeach()
  endif()
endif()
