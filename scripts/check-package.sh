#!/bin/sh
# Builds the Debian package from build/, installs it on this machine with
# apt-get and runs the installed pellam-gen: its version, and a generation
# from a snapshot checked against the expected files.
#   sh scripts/check-package.sh
set -eu
cd "$(dirname "$0")/.."
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/pellam_*.deb | head -n 1)
echo "package: $deb"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --reinstall --no-install-recommends "./$deb" >/dev/null
for f in /usr/bin/pellam /usr/bin/pellam-gen /usr/share/applications/pellam.desktop \
         /usr/share/icons/hicolor/256x256/apps/pellam.png; do
    [ -e "$f" ] || { echo "not installed: $f"; exit 1; }
done
/usr/bin/pellam-gen --version
work=$(mktemp -d)
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
(cd "$work" && /usr/bin/pellam-gen generate --schema s.json)
python3 - "$work/Output" tests/expected <<'PY'
import os, sys
out, expected = sys.argv[1], sys.argv[2]
files = {
    "DBComm/DBComm.h": "DBComm.h.LogStaffUsers.expected",
    "DBComm/DBTables/StaffOperator.cpp": "StaffOperator.cpp.expected",
    "DBComm/DBTables/UsersOperator.h": "UsersOperator.h.relabelled.expected",
}
for name, exp in files.items():
    want = open(os.path.join(expected, exp), encoding="utf-8").read()
    want = want[:-1] if want.endswith("\n") else want
    want = want.replace("\n", "\r\n").encode("gbk")
    got = open(os.path.join(out, name), "rb").read()
    if got != want:
        sys.exit("the installed pellam-gen wrote %s otherwise than expected" % name)
print("installed pellam-gen: %d files as expected" % len(files))
PY
