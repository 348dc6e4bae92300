#!/bin/sh
# Builds everything and runs every test:
#  1. the native build of the platform-free code, with AddressSanitizer and
#     UndefinedBehaviorSanitizer, its tests and a bounded fuzzing run;
#  2. the Windows build, all of its tests under Wine.
# Ends with ctest's summary of the Windows tests; fails when anything failed.
set -u
cd "$(dirname "$0")/.."
tools/setup.sh || exit 1
JOBS=$(nproc 2>/dev/null || echo 2)
status=0

echo "== native build: sanitizers and fuzzers"
cmake --no-warn-unused-cli -S . -B build-native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
  cmake --build build-native -j "$JOBS" >/dev/null &&
  (cd build-native && ctest --output-on-failure) || status=1

echo "== Windows build: tests under Wine"
cmake --no-warn-unused-cli -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null &&
  cmake --build build -j "$JOBS" >/dev/null || { echo "Windows build failed"; exit 1; }
(cd build && ctest --output-on-failure) || status=1
exit $status
