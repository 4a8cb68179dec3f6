#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, then
# the model and tolvane-cut built with no Qt at all, then a bounded fuzzing run.
# Compiler warnings are errors throughout.
#
# --full-desktop first installs what a full desktop has (the ffmpeg-based and
# the "ugly" GStreamer decoders, the accessibility bus), so that every stage
# runs beside them, and at the end runs the window and sound tests once more
# in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
full_desktop=()
case "${1:-}" in
  "") ;;
  --full-desktop) full_desktop=(--full-desktop) ;;
  *) echo "usage: test.sh [--full-desktop]" >&2; exit 2 ;;
esac
bash scripts/install-deps.sh "${full_desktop[@]}"
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON -DTOLVANE_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Any single allocation above 64 MiB is a fault: no input may make the model
# allocate what a header claims.
sanitized=(env ASAN_OPTIONS=detect_leaks=1:max_allocation_size_mb=64:allocator_may_return_null=0
  UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp)
"${sanitized[@]}" ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$jobs"

# The model and the command-line front end on a machine without Qt: CMake is
# told that no Qt package exists, so any use of it fails the build.
cmake -S . -B build-noqt -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BUILD_GUI=OFF -DTOLVANE_BUILD_TESTS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DTOLVANE_WERROR=ON >/dev/null
cmake --build build-noqt -j"$jobs"
./build-noqt/tolvane-cut info build-noqt/sample.wav >/dev/null
echo "model and tolvane-cut build and run without Qt"

bash scripts/fuzz.sh 20

# The window tests are named after their windows, so they run here as their
# one executable; the sound tests and the end-to-end test through CTest.
if [ ${#full_desktop[@]} -gt 0 ]; then
  for dir in build build-asan; do
    run=(env)
    [ "$dir" = build-asan ] && run=("${sanitized[@]}")
    "${run[@]}" QT_QPA_PLATFORM=offscreen "$dir/tests/tolvane_ui_tests" --gtest_brief=1
    "${run[@]}" ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$jobs" -R 'MediaPlayer|EndToEnd'
  done
  echo "window and sound tests pass again beside the full desktop's decoders"
fi
