#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, then
# the model and tolvane-cut built with no Qt at all, then a bounded fuzzing run.
# Compiler warnings are errors throughout.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON -DTOLVANE_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Any single allocation above 64 MiB is a fault: no input may make the model
# allocate what a header claims.
ASAN_OPTIONS=detect_leaks=1:max_allocation_size_mb=64:allocator_may_return_null=0 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$jobs"

# The model and the command-line front end on a machine without Qt: CMake is
# told that no Qt package exists, so any use of it fails the build.
cmake -S . -B build-noqt -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BUILD_GUI=OFF -DTOLVANE_BUILD_TESTS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DTOLVANE_WERROR=ON >/dev/null
cmake --build build-noqt -j"$jobs"
./build-noqt/tolvane-cut info build-noqt/sample.wav >/dev/null
echo "model and tolvane-cut build and run without Qt"

bash scripts/fuzz.sh 20
