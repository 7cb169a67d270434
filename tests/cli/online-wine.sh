#!/bin/sh
# pellam-gen.exe under Wine against the stand-in: Wine's odbc32 reaches the
# host's unixODBC and FreeTDS. It lists the databases (GBK names included),
# and generates the tree the expected files give.
#   online-wine.sh PELLAM_GEN_EXE EXPECTED_DIR WINE_RUN STANDIN
set -eu
exe=$1 expected=$2 run=$3 standin=$4
support=$(dirname "$0")/../support
. "$support/standin.sh"
work=$(mktemp -d /tmp/pellam-wine-online.XXXXXX)
STANDIN_PID=
trap 'kill $STANDIN_PID 2>/dev/null || true; rm -rf "$work"' EXIT
start_standin "$standin" "$support/wine-fixture.json" "$work/standin.log"
host=$STANDIN_HOST

printf 'master\nNOLK\n中文\n' > "$work/want"
PW='Pellam#2026' "$run" "$exe" databases --host "$host" --password-env PW > "$work/list"
tr -d '\r' < "$work/list" | cmp -s - "$work/want" || { echo "databases:"; cat "$work/list"; exit 1; }
echo "databases listed"

PW='Pellam#2026' "$run" "$exe" generate --host "$host" --password-env PW --output "$work/Output"
python3 "$support/expected_tree.py" "$work/Output" "$expected" \
    DBComm/DBStoredProc/DBStoredProc.cpp=DBStoredProc.cpp.expected \
    DBComm/DBStoredProc/DBStoredProc.h=DBStoredProc.h.expected \
    DBComm/DBTables/DBTableOperator.h=DBTableOperator.h.expected \
    DBComm/DBTables/LogOperator.cpp=LogOperator.cpp.expected \
    DBComm/DBTables/LogOperator.h=LogOperator.h.expected \
    DBComm/DBTables/StaffOperator.cpp=StaffOperator.cpp.expected \
    DBComm/DBTables/StaffOperator.h=StaffOperator.h.expected \
    DBComm/DBTables/V_UsersOperator.cpp=V_UsersOperator.cpp.expected \
    DBComm/DBTables/V_UsersOperator.h=V_UsersOperator.h.expected
python3 - "$work/Output/DBComm/DBComm.h" <<'PY'
import sys
header = open(sys.argv[1], "rb").read()
assert b"\r\n   enum DBTable{\r\n   Log,Staff,V_Users\r\n   };\r\n" in header, header
PY
