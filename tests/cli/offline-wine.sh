#!/bin/sh
# pellam-gen.exe under Wine, offline: a snapshot with a relabelled view
# generates the expected tree; --clear leaves only this run's files; a
# malformed snapshot exits 2 and writes nothing.
#   offline-wine.sh PELLAM_GEN_EXE EXPECTED_DIR WINE_RUN
set -eu
exe=$1 expected=$2 run=$3
work=$(mktemp -d /tmp/pellam-wine-gen.XXXXXX)
trap 'rm -rf "$work"' EXIT

cp "$(dirname "$0")/../support/log-staff-users.json" "$work/s.json"
mkdir -p "$work/out dir/Output/DBComm/DBTables"
echo old > "$work/out dir/Output/DBComm/DBTables/OldOperator.h"

"$run" "$exe" generate --schema "$work/s.json" --output "$work/out dir/Output" --clear

python3 "$(dirname "$0")/../support/expected_tree.py" "$work/out dir/Output" "$expected" --whole \
    DBComm/DBComm.cpp=DBComm.cpp.LogStaffUsers.expected \
    DBComm/DBComm.h=DBComm.h.LogStaffUsers.expected \
    DBComm/DBStoredProc/DBStoredProc.cpp=DBStoredProc.cpp.expected \
    DBComm/DBStoredProc/DBStoredProc.h=DBStoredProc.h.expected \
    DBComm/DBTables/DBTableOperator.h=DBTableOperator.h.expected \
    DBComm/DBTables/LogOperator.cpp=LogOperator.cpp.expected \
    DBComm/DBTables/LogOperator.h=LogOperator.h.expected \
    DBComm/DBTables/StaffOperator.cpp=StaffOperator.cpp.expected \
    DBComm/DBTables/StaffOperator.h=StaffOperator.h.expected \
    DBComm/DBTables/UsersOperator.cpp=UsersOperator.cpp.relabelled.expected \
    DBComm/DBTables/UsersOperator.h=UsersOperator.h.relabelled.expected

echo '{"tables": [{"name": 1}], "views": []}' > "$work/bad.json"
set +e
"$run" "$exe" generate --schema "$work/bad.json" --output "$work/bad" 2> "$work/err"
code=$?
set -e
[ "$code" = 2 ] || { echo "malformed snapshot exited $code"; exit 1; }
grep -q 'tables\[0\].name' "$work/err" || { cat "$work/err"; exit 1; }
[ ! -e "$work/bad" ] || { echo "a malformed snapshot wrote files"; exit 1; }
echo "malformed snapshot refused"

# Chinese arguments reach the program as typed: a snapshot, an output folder
# and a filter, all named in Chinese.
cp "$work/s.json" "$work/快照.json"
"$run" "$exe" generate --schema "$work/快照.json" --output "$work/输出" --exclude '表*' \
    || { echo "Chinese arguments refused"; exit 1; }
[ -f "$work/输出/DBComm/DBTables/StaffOperator.h" ] || { echo "no output under 输出"; exit 1; }
echo "Chinese arguments accepted"
