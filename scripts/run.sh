#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program in the
# folder that holds the sample WAV file the build generates, so that its Open
# dialog starts beside the sample. Without a display, says so and shows the
# sample's header through tolvane-cut instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd build
  exec ./tolvane
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the desktop program needs one."
echo "The sample's header, through tolvane-cut:"
./build/tolvane-cut info build/sample.wav
