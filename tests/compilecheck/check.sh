#!/bin/sh
# Generates the library for the sample schema and for an empty one, compiles
# every generated file on its own, links each with its driver against the
# VCL stand-in, and runs the result; then the same in the Unicode form.
#   check.sh GENERATOR COMPILER SOURCE_DIR WORK_DIR [PELLAM_GEN SNAPSHOT...]
# With pellam-gen and snapshots of databases (one as SQL Server 2022 holds
# it: schemas, alias types, the newer and the CLR types, names with blanks,
# twins across schemas, a temporal table; the public sample Northwind), the
# library pellam-gen makes of each with --types extended --translate is
# checked too, with and without --keys.
#
# The ANSI form (C++Builder 6 to 2007, String is AnsiString) is compiled
# against the stand-in's ANSI VCL; the Unicode form (--unicode, C++Builder
# 2009 to 12) against its Unicode VCL (-DPELLAM_VCL_UNICODE), with UNICODE
# defined and without. The drivers' transcripts of what the server was
# sent are the same in both forms.
set -eu
gen=$1 cxx=$2 here=$3 work=$4
pellam_gen=${5:-}
shift 4
[ $# -gt 0 ] && shift
snapshots="$*"

# g++ reads the GBK files as GBK. clang++ reads only UTF-8, so it gets
# UTF-8 copies: a GBK trail byte 0x5C must not look like a backslash.
case "$($cxx --version | head -1)" in
  *clang*) charset="-DPELLAM_EXEC_UTF8" utf8=1 gbk_input="" ;;
  *) charset="-finput-charset=GBK -fexec-charset=GBK" utf8=0 gbk_input="-finput-charset=GBK" ;;
esac
ansi_flags="-std=c++17 -Wall $charset -I $here/vcl"
# The Unicode form is UTF-8 with its mark, which both compilers read.
unicode_flags="-std=c++17 -Wall -DPELLAM_VCL_UNICODE -I $here/vcl"

rm -rf "$work"
mkdir -p "$work"

# check_tree NAME DRIVER EACH [GENERATOR OPTIONS]: EACH=1 compiles every
# file on its own before linking. $form is ansi or unicode.
check_tree() {
    name=$1 driver=$2 each=$3
    shift 3
    mkdir -p "$work/$name"
    unicode=""
    flags=$ansi_flags
    if [ "$form" = unicode ]; then
        unicode=--unicode
        flags=$unicode_flags
    fi
    if [ -n "${snapshot:-}" ]; then
        # The tree's name says which options it is made with.
        options=""
        case "$name" in *-keys*) options="$options --keys" ;; esac
        case "$name" in *-relations*) options="$options --relations" ;; esac
        case "$name" in *-rows*) options="$options --rows" ;; esac
        grep -q '"procedures"' "$snapshot" && options="$options --procedures"
        # shellcheck disable=SC2086
        "$pellam_gen" generate --schema "$snapshot" --types extended --translate $options \
            $unicode --output "$work/$name/Output"
    else
        "$gen" "$work/$name" "$@" $unicode
    fi
    # The check's own copy, with the generated include paths' backslashes
    # turned into '/'; the generated files themselves stay as written.
    src="$work/$name/src"
    cp -r "$work/$name/Output/DBComm" "$src"
    find "$src" -type f | while read -r f; do
        sed -i '/^#include/ s|\\|/|g' "$f"
        if [ "$utf8" = 1 ] && [ "$form" = ansi ]; then
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
    sources="$src/DBComm.cpp $src/DBStoredProc/DBStoredProc.cpp \
        $(find "$src/DBTables" -name '*.cpp' | sort) $procedure_sources"
    if [ "$form" = unicode ]; then
        # With UNICODE defined too, as a VCL project's _TCHAR of wchar_t has
        # it: every source in one unit.
        unit="$work/$name/unicode-unit.cpp"
        for f in $sources; do echo "#include \"$f\""; done > "$unit"
        $cxx $flags -DUNICODE -I "$src" -fsyntax-only "$unit" ||
            { echo "rejected with UNICODE: $name"; exit 1; }
    fi
    # shellcheck disable=SC2086
    $cxx $flags -I "$src" -o "$work/$name/driver" "$here/$driver" $sources
    PELLAM_TRANSCRIPT="$work/$name/transcript" "$work/$name/driver"
}

form=ansi
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
    check_tree "$base-keys-relations-rows" EmptyDriver.cpp 0
    check_tree "$base-rows" EmptyDriver.cpp 0
    generated="$generated $base $base-keys $base-keys-relations-rows $base-rows"
done
# Relations and typed rows on a shop's tables (every group, a
# self-reference, two keys to one table, a composite key, one across
# schemas, a decimal key, a view), run against the stand-in's master-detail.
snapshot=$here/../support/shop.json
check_tree shop-relations RelationsDriver.cpp 0
check_tree shop-keys-relations-rows RowsDriver.cpp 1
check_tree shop-rows EmptyDriver.cpp 0
check_tree shop-keys-relations EmptyDriver.cpp 0
generated="$generated shop-relations shop-keys-relations-rows shop-rows shop-keys-relations"
snapshot=

# A build that only re-runs the generators under the sanitizers checks
# the ANSI form alone (PELLAM_CHECK_FORMS=ansi).
if [ "${PELLAM_CHECK_FORMS:-both}" = ansi ]; then
    echo "the ANSI form compiles and runs"
    exit 0
fi

# The ANSI form does not compile against the Unicode VCL: its narrow
# formats and message boxes are what the Unicode form mends.
for f in DBTables/DBTableOperator.h DBTables/OrdersOperator.cpp DBStoredProc/DBStoredProc.cpp; do
    for tchar in "" -DUNICODE; do
        # shellcheck disable=SC2086
        if $cxx $unicode_flags $gbk_input $tchar -I "$work/full/src" -fsyntax-only -x c++ \
            "$work/full/src/$f" > "$work/ansi-as-unicode.log" 2>&1; then
            echo "the ANSI form compiled against the Unicode VCL: $f $tchar"
            exit 1
        fi
        grep -q "sprintf\|MessageBox" "$work/ansi-as-unicode.log" ||
            { echo "the ANSI form failed for another reason: $f"; cat "$work/ansi-as-unicode.log"; exit 1; }
    done
done

# The Unicode form of every sample: the same drivers send the server the
# same statements, parameter for parameter; names GBK cannot hold (a
# Korean table, an emoji column, a schema with a ç) reach it exactly. Each
# file was compiled on its own in the ANSI form; here every source of a
# library in one unit, with UNICODE and without.
form=unicode
check_tree full-unicode Driver.cpp 0
check_tree empty-unicode EmptyDriver.cpp 0 --empty
check_tree hostile-unicode EmptyDriver.cpp 0 --hostile
check_tree keys-unicode KeysDriver.cpp 0 --keys
check_tree hostile-keys-unicode EmptyDriver.cpp 0 --hostile --keys
check_tree procedures-unicode ProceduresDriver.cpp 0 --procedures
check_tree names-unicode UnicodeDriver.cpp 0 --keys --procedures
unicode_generated=""
for snapshot in $snapshots; do
    base=$(basename "$snapshot" .json)
    check_tree "$base-unicode" EmptyDriver.cpp 0
    check_tree "$base-keys-unicode" EmptyDriver.cpp 0
    check_tree "$base-keys-relations-rows-unicode" EmptyDriver.cpp 0
    unicode_generated="$unicode_generated $base-unicode $base-keys-unicode $base-keys-relations-rows-unicode"
done
snapshot=$here/../support/shop.json
check_tree shop-relations-unicode RelationsDriver.cpp 0
check_tree shop-keys-relations-rows-unicode RowsDriver.cpp 0
check_tree shop-rows-unicode EmptyDriver.cpp 0
unicode_generated="$unicode_generated shop-relations-unicode shop-keys-relations-rows-unicode shop-rows-unicode"
snapshot=
for tree in full keys procedures shop-relations shop-keys-relations-rows; do
    cmp "$work/$tree/transcript" "$work/$tree-unicode/transcript" ||
        { echo "the Unicode form sent other statements: $tree"; exit 1; }
done
echo "the Unicode form compiles, runs and sends the ANSI form's statements"

# With <windows.h> in, as a VCL compiler has it: mingw-w64's headers, read
# by its cross compilers (64-bit, and 32-bit where it is installed), for
# every file of the sample and hostile libraries; the Unicode form with
# UNICODE defined and without.
if [ "$utf8" = 0 ]; then
    for win in x86_64-w64-mingw32-g++ i686-w64-mingw32-g++; do
        command -v "$win" > /dev/null || continue
        for name in full hostile keys hostile-keys procedures $generated; do
            # One translation unit of every source: <windows.h> is read once.
            unit="$work/$name/windows-unit.cpp"
            find "$work/$name/src" -type f -name '*.cpp' | sort | sed 's/.*/#include "&"/' > "$unit"
            $win -std=c++17 -Wall -Werror $charset -DPELLAM_WITH_WINDOWS_H -I "$here/vcl" \
                -I "$work/$name/src" -fsyntax-only "$unit" ||
                { echo "rejected with <windows.h> ($win): $name"; exit 1; }
        done
        for name in full-unicode hostile-unicode keys-unicode hostile-keys-unicode \
            procedures-unicode names-unicode $unicode_generated; do
            unit="$work/$name/windows-unit.cpp"
            find "$work/$name/src" -type f -name '*.cpp' | sort | sed 's/.*/#include "&"/' > "$unit"
            for tchar in "" -DUNICODE; do
                # shellcheck disable=SC2086
                $win -std=c++17 -Wall -Werror -DPELLAM_VCL_UNICODE $tchar -DPELLAM_WITH_WINDOWS_H \
                    -I "$here/vcl" -I "$work/$name/src" -fsyntax-only "$unit" ||
                    { echo "rejected with <windows.h> ($win $tchar): $name"; exit 1; }
            done
        done
        echo "every file compiles with <windows.h> ($win)"
    done
fi
