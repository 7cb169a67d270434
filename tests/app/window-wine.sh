#!/bin/sh
# The window's Win32 build under Wine on Xvfb, against the stand-in.
#   window-wine.sh WINDOW_TEST_EXE WINE_RUN STANDIN
set -eu
exe=$1 run=$2 standin=$3
work=$(mktemp -d /tmp/pellam-wine-window.XXXXXX)
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
 {"name": "中文", "objects": [
  {"name": "用户表", "columns": [{"name": "编号", "type": "int", "identity": true},
    {"name": "姓名", "type": "nvarchar"}, {"name": "年龄", "type": "int"}]}]}]}
JSON
python3 "$standin" --fixture "$work/fixture.json" > "$work/standin.log" 2>&1 &
pid=$!
for _ in $(seq 1 50); do
    grep -q listening "$work/standin.log" && break
    sleep 0.2
done
PELLAM_TEST_HOST="127.0.0.1,$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' "$work/standin.log")"
export PELLAM_TEST_HOST
xvfb-run -a -s "-screen 0 1280x800x24" "$run" "$exe"
