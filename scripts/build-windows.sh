#!/bin/sh
# Cross-builds pellam-gen.exe (and the Windows tests) into build-win with
# Debian's mingw-w64:  sh scripts/build-windows.sh
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build-win -j"$(nproc)"
echo "built build-win/cli/pellam-gen.exe"
