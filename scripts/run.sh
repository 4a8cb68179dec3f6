#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job on the
# sample WAV file that the build generates.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
./build/tolvane-cut info build/sample.wav
