#!/usr/bin/env bash
# Builds a Release tree in build-package/ and makes the Debian package of it
# with CPack; prints the package's path. Install it with
#   apt-get install ./build-package/tolvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
ls "$PWD"/build-package/tolvane_*.deb
