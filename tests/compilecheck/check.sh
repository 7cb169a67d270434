#!/bin/sh
# Generates the library for the sample schema and for an empty one, compiles
# every generated file on its own, links each with its driver against the
# VCL stand-in, and runs the result.
#   check.sh GENERATOR COMPILER SOURCE_DIR WORK_DIR [PELLAM_GEN SNAPSHOT...]
# With pellam-gen and snapshots of databases (one as SQL Server 2022 holds
# it: schemas, alias types, the newer and the CLR types, names with blanks,
# twins across schemas, a temporal table; the public sample Northwind), the
# library pellam-gen makes of each with --types extended --translate is
# checked too, with and without --keys.
set -eu
gen=$1 cxx=$2 here=$3 work=$4
pellam_gen=${5:-}
shift 4
[ $# -gt 0 ] && shift
snapshots="$*"

# g++ reads the GBK files as GBK. clang++ reads only UTF-8, so it gets
# UTF-8 copies: a GBK trail byte 0x5C must not look like a backslash.
case "$($cxx --version | head -1)" in
  *clang*) charset="-DPELLAM_EXEC_UTF8" utf8=1 ;;
  *) charset="-finput-charset=GBK -fexec-charset=GBK" utf8=0 ;;
esac
flags="-std=c++17 -Wall $charset -I $here/vcl"

rm -rf "$work"
mkdir -p "$work"

# check_tree NAME DRIVER EACH [GENERATOR OPTIONS]: EACH=1 compiles every
# file on its own before linking.
check_tree() {
    name=$1 driver=$2 each=$3
    shift 3
    mkdir -p "$work/$name"
    if [ -n "${snapshot:-}" ]; then
        keys=""
        case "$name" in *-keys) keys=--keys ;; esac
        procedures=""
        grep -q '"procedures"' "$snapshot" && procedures=--procedures
        "$pellam_gen" generate --schema "$snapshot" --types extended --translate $keys \
            $procedures --output "$work/$name/Output"
    else
        "$gen" "$work/$name" "$@"
    fi
    # The check's own copy, with the generated include paths' backslashes
    # turned into '/'; the generated files themselves stay as written.
    src="$work/$name/src"
    cp -r "$work/$name/Output/DBComm" "$src"
    find "$src" -type f | while read -r f; do
        sed -i '/^#include/ s|\\|/|g' "$f"
        if [ "$utf8" = 1 ]; then
            iconv -f GBK -t UTF-8 "$f" > "$f.utf8" && mv "$f.utf8" "$f"
        fi
    done
    if [ "$each" = 1 ]; then
        for f in $(find "$src" -type f | sort); do
            $cxx $flags -fsyntax-only -x c++ "$f" || { echo "rejected: $f"; exit 1; }
        done
    fi
    procedure_sources=""
    [ -d "$src/DBProcedures" ] && procedure_sources=$(find "$src/DBProcedures" -name '*.cpp' | sort)
    $cxx $flags -I "$src" -o "$work/$name/driver" "$here/$driver" "$src/DBComm.cpp" \
        "$src/DBStoredProc/DBStoredProc.cpp" $(find "$src/DBTables" -name '*.cpp' | sort) \
        $procedure_sources
    "$work/$name/driver"
}

check_tree full Driver.cpp 1
check_tree empty EmptyDriver.cpp 1 --empty
# Every hostile name the checks accept, in one library that must build.
check_tree hostile EmptyDriver.cpp 0 --hostile
# The same with the key methods.
check_tree keys KeysDriver.cpp 1 --keys
check_tree hostile-keys EmptyDriver.cpp 0 --hostile --keys
# The stored procedures' classes, called as a program would.
check_tree procedures ProceduresDriver.cpp 1 --procedures
generated=""
for snapshot in $snapshots; do
    base=$(basename "$snapshot" .json)
    check_tree "$base" EmptyDriver.cpp 1
    check_tree "$base-keys" EmptyDriver.cpp 1
    generated="$generated $base $base-keys"
done
snapshot=

# With <windows.h> in, as a VCL compiler has it: mingw-w64's headers, read
# by its cross compiler, for every file of the sample and hostile libraries.
win=x86_64-w64-mingw32-g++
if [ "$utf8" = 0 ] && command -v "$win" > /dev/null; then
    for name in full hostile keys hostile-keys procedures $generated; do
        # One translation unit of every source: <windows.h> is read once.
        unit="$work/$name/windows-unit.cpp"
        find "$work/$name/src" -type f -name '*.cpp' | sort | sed 's/.*/#include "&"/' > "$unit"
        $win -std=c++17 -Wall -Werror $charset -DPELLAM_WITH_WINDOWS_H -I "$here/vcl" \
            -I "$work/$name/src" -fsyntax-only "$unit" || { echo "rejected with <windows.h>: $name"; exit 1; }
    done
    echo "every file compiles with <windows.h>"
fi
