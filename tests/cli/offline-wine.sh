#!/bin/sh
# pellam-gen.exe under Wine, offline: a snapshot with a relabelled view
# generates the expected tree; --clear leaves only this run's files; a
# malformed snapshot exits 2 and writes nothing.
#   offline-wine.sh PELLAM_GEN_EXE EXPECTED_DIR WINE_RUN
set -eu
exe=$1 expected=$2 run=$3
work=$(mktemp -d /tmp/pellam-wine-gen.XXXXXX)
trap 'rm -rf "$work"' EXIT

cat > "$work/s.json" <<'JSON'
{"database": "NOLK",
 "tables": [
  {"name": "Log", "columns": [{"name": "ID", "type": "int"}], "identity": ["ID"]},
  {"name": "Staff", "columns": [{"name": "ID", "type": "int"}, {"name": "Name", "type": "varchar"},
    {"name": "Joined", "type": "datetime"}, {"name": "Photo", "type": "image"}], "identity": ["ID"]}],
 "views": [{"name": "V_Users", "label": "Users",
   "columns": [{"name": "UserName", "type": "nvarchar"}, {"name": "Age", "type": "int"}]}]}
JSON
mkdir -p "$work/out dir/Output/DBComm/DBTables"
echo old > "$work/out dir/Output/DBComm/DBTables/OldOperator.h"

"$run" "$exe" generate --schema "$work/s.json" --output "$work/out dir/Output" --clear

python3 - "$work/out dir/Output" "$expected" <<'PY'
import os, sys
out, expected = sys.argv[1], sys.argv[2]
files = {
    "DBComm/DBComm.cpp": "DBComm.cpp.LogStaffUsers.expected",
    "DBComm/DBComm.h": "DBComm.h.LogStaffUsers.expected",
    "DBComm/DBStoredProc/DBStoredProc.cpp": "DBStoredProc.cpp.expected",
    "DBComm/DBStoredProc/DBStoredProc.h": "DBStoredProc.h.expected",
    "DBComm/DBTables/DBTableOperator.h": "DBTableOperator.h.expected",
    "DBComm/DBTables/LogOperator.cpp": "LogOperator.cpp.expected",
    "DBComm/DBTables/LogOperator.h": "LogOperator.h.expected",
    "DBComm/DBTables/StaffOperator.cpp": "StaffOperator.cpp.expected",
    "DBComm/DBTables/StaffOperator.h": "StaffOperator.h.expected",
    "DBComm/DBTables/UsersOperator.cpp": "UsersOperator.cpp.relabelled.expected",
    "DBComm/DBTables/UsersOperator.h": "UsersOperator.h.relabelled.expected",
}
found = sorted(os.path.relpath(os.path.join(d, f), out).replace(os.sep, "/")
               for d, _, names in os.walk(out) for f in names)
assert found == sorted(files), found
for name, exp in files.items():
    text = open(os.path.join(expected, exp), encoding="utf-8").read()
    if text.endswith("\n"):
        text = text[:-1]
    want = text.replace("\n", "\r\n").encode("gbk")
    got = open(os.path.join(out, name), "rb").read()
    assert got == want, name
print("generated tree matches the expected files")
PY

echo '{"tables": [{"name": 1}], "views": []}' > "$work/bad.json"
set +e
"$run" "$exe" generate --schema "$work/bad.json" --output "$work/bad" 2> "$work/err"
code=$?
set -e
[ "$code" = 2 ] || { echo "malformed snapshot exited $code"; exit 1; }
grep -q 'tables\[0\].name' "$work/err" || { cat "$work/err"; exit 1; }
[ ! -e "$work/bad" ] || { echo "a malformed snapshot wrote files"; exit 1; }
echo "malformed snapshot refused"
