#!/bin/sh
# pellam-gen.exe under Wine against the stand-in: Wine's odbc32 reaches the
# host's unixODBC and FreeTDS. It lists the databases (GBK names included),
# and generates the tree the expected files give.
#   online-wine.sh PELLAM_GEN_EXE EXPECTED_DIR WINE_RUN STANDIN
set -eu
exe=$1 expected=$2 run=$3 standin=$4
work=$(mktemp -d /tmp/pellam-wine-online.XXXXXX)
pid=
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT

cat > "$work/fixture.json" <<'JSON'
{"logins": {"sa": "Pellam#2026"}, "databases": [
 {"name": "NOLK", "objects": [
  {"name": "Staff", "columns": [{"name": "ID", "type": "int", "identity": true},
    {"name": "Name", "type": "varchar"}, {"name": "Joined", "type": "datetime"},
    {"name": "Photo", "type": "image"}]},
  {"name": "Log", "columns": [{"name": "ID", "type": "int", "identity": true}]},
  {"name": "V_Users", "xtype": "V", "columns": [
    {"name": "UserName", "type": "nvarchar"}, {"name": "Age", "type": "int"}]}]},
 {"name": "中文"}]}
JSON
python3 "$standin" --fixture "$work/fixture.json" > "$work/standin.log" 2>&1 &
pid=$!
for _ in $(seq 1 50); do
    grep -q listening "$work/standin.log" && break
    sleep 0.2
done
host="127.0.0.1,$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' "$work/standin.log")"

printf 'master\nNOLK\n中文\n' > "$work/want"
PW='Pellam#2026' "$run" "$exe" databases --host "$host" --password-env PW > "$work/list"
tr -d '\r' < "$work/list" | cmp -s - "$work/want" || { echo "databases:"; cat "$work/list"; exit 1; }
echo "databases listed"

PW='Pellam#2026' "$run" "$exe" generate --host "$host" --password-env PW --output "$work/Output"
python3 - "$work/Output" "$expected" <<'PY'
import os, sys
out, expected = sys.argv[1], sys.argv[2]
files = {
    "DBComm/DBStoredProc/DBStoredProc.cpp": "DBStoredProc.cpp.expected",
    "DBComm/DBStoredProc/DBStoredProc.h": "DBStoredProc.h.expected",
    "DBComm/DBTables/DBTableOperator.h": "DBTableOperator.h.expected",
    "DBComm/DBTables/LogOperator.cpp": "LogOperator.cpp.expected",
    "DBComm/DBTables/LogOperator.h": "LogOperator.h.expected",
    "DBComm/DBTables/StaffOperator.cpp": "StaffOperator.cpp.expected",
    "DBComm/DBTables/StaffOperator.h": "StaffOperator.h.expected",
    "DBComm/DBTables/V_UsersOperator.cpp": "V_UsersOperator.cpp.expected",
    "DBComm/DBTables/V_UsersOperator.h": "V_UsersOperator.h.expected",
}
for name, exp in files.items():
    text = open(os.path.join(expected, exp), encoding="utf-8").read()
    if text.endswith("\n"):
        text = text[:-1]
    got = open(os.path.join(out, name), "rb").read()
    assert got == text.replace("\n", "\r\n").encode("gbk"), name
header = open(os.path.join(out, "DBComm/DBComm.h"), "rb").read()
assert b"\r\n   enum DBTable{\r\n   Log,Staff,V_Users\r\n   };\r\n" in header, header
print("generated from the server as expected")
PY
