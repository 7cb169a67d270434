#!/bin/sh
# Sets up a fresh Debian 12 machine, builds everything and runs every test.
set -eu
cd "$(dirname "$0")/.."

. scripts/packages.sh
install_packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# Formatting and clang-tidy, over the build's compile commands.
sh scripts/check-style.sh
(cd build && ctest --output-on-failure -j"$(nproc)")

# The Debian package, installed on this machine and run.
sh scripts/check-package.sh

# Everything but the window once more, under AddressSanitizer and
# UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLAM_SANITIZE=ON -DPELLAM_BUILD_GUI=OFF
cmake --build build-asan -j"$(nproc)"
# LeakSanitizer does not read the dynamic thread-local storage of the ODBC
# driver's libraries (loaded with dlopen) reliably with Debian 12's glibc:
# its tracer can crash on a bogus entry at exit. Our code keeps nothing in
# thread-local storage, so TLS is not scanned; what glibc itself keeps there
# is suppressed.
LSAN_OPTIONS="use_tls=0:print_suppressions=0:suppressions=$(pwd)/tests/lsan.supp" \
    sh -c '(cd build-asan && ctest --output-on-failure -j"$(nproc)")'


# The Windows build: the Qt-free libraries, pellam-gen.exe and their tests,
# cross-built with mingw-w64 and run under Wine with code page 936.
ensure_chinese_locale
sh scripts/build-windows.sh
(cd build-win && ctest --output-on-failure)
