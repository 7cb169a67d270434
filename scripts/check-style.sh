#!/bin/sh
# The habits the build enforces: every C++ file of ours formatted with
# .clang-format, and .clang-tidy's checks clean over the sources the Linux
# build compiles (the compile commands of build/).
#   sh scripts/check-style.sh
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.hpp' | grep -v '^data/')
# shellcheck disable=SC2086
clang-format --dry-run -Werror $files
echo "formatted: $(echo "$files" | wc -l) files"
sources=$(git ls-files 'app/*.cpp' 'catalog/*.cpp' 'cli/*.cpp' 'generator/*.cpp' 'platform/*.cpp' \
    'schema/*.cpp' 'tools/*.cpp' | grep -v 'FormsWin32')
# Diagnostics go to standard output; its count of warnings in system
# headers, to standard error, is dropped. Any finding fails (WarningsAsErrors).
# shellcheck disable=SC2086
echo $sources | xargs -P"$(nproc)" -n4 clang-tidy -p build --quiet 2>/dev/null
echo "clang-tidy: clean"
