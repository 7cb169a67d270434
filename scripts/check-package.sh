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
# Stripped: no symbol table, no debug sections.
for f in /usr/bin/pellam /usr/bin/pellam-gen; do
    if readelf -S "$f" | grep -q -E '\.symtab|\.debug_'; then
        echo "not stripped: $f"; exit 1
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/support/log-staff-users.json "$work/s.json"
(cd "$work" && /usr/bin/pellam-gen generate --schema s.json)
python3 tests/support/expected_tree.py "$work/Output" tests/expected \
    DBComm/DBComm.h=DBComm.h.LogStaffUsers.expected \
    DBComm/DBTables/StaffOperator.cpp=StaffOperator.cpp.expected \
    DBComm/DBTables/UsersOperator.h=UsersOperator.h.relabelled.expected
