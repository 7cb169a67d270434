#!/bin/sh
# Generates the library for the sample schema and for an empty one, compiles
# every generated file on its own, links each with its driver against the
# VCL stand-in, and runs the result.
#   check.sh GENERATOR COMPILER SOURCE_DIR WORK_DIR
set -eu
gen=$1 cxx=$2 here=$3 work=$4

case "$($cxx --version | head -1)" in
  *clang*) charset="-Wno-invalid-source-encoding" ;;
  *) charset="-finput-charset=GBK -fexec-charset=GBK" ;;
esac
flags="-std=c++17 -Wall $charset -I $here/vcl"

rm -rf "$work"
mkdir -p "$work"

check_tree() {
    name=$1 driver=$2
    shift 2
    mkdir -p "$work/$name"
    "$gen" "$work/$name" "$@"
    # The check's own copy, with the generated include paths' backslashes
    # turned into '/'; the generated files themselves stay as written.
    src="$work/$name/src"
    cp -r "$work/$name/Output/DBComm" "$src"
    find "$src" -type f | while read -r f; do
        sed -i '/^#include/ s|\\|/|g' "$f"
    done
    for f in $(find "$src" -type f | sort); do
        $cxx $flags -fsyntax-only -x c++ "$f" || { echo "rejected: $f"; exit 1; }
    done
    $cxx $flags -I "$src" -o "$work/$name/driver" "$here/$driver" "$src/DBComm.cpp" \
        "$src/DBStoredProc/DBStoredProc.cpp" $(find "$src/DBTables" -name '*.cpp' | sort)
    "$work/$name/driver"
}

check_tree full Driver.cpp
check_tree empty EmptyDriver.cpp --empty
