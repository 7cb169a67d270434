#!/bin/sh
# Cross-builds pellam.exe, pellam-gen.exe (and the Windows tests) into
# build-win with Debian's mingw-w64:  sh scripts/build-windows.sh
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DPELLAM_BUILD_GUI=ON
cmake --build build-win -j"$(nproc)"
# What a Windows user downloads: the window and pellam-gen, each one file.
rm -rf build-win/zip && mkdir -p build-win/zip
cp build-win/app/pellam.exe build-win/cli/pellam-gen.exe build-win/zip/
(cd build-win/zip && cmake -E tar cf ../pellam-windows.zip --format=zip pellam.exe pellam-gen.exe)
echo "built build-win/app/pellam.exe, build-win/cli/pellam-gen.exe and build-win/pellam-windows.zip"
