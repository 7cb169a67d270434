#!/bin/sh
# pellam-gen.exe under Wine, offline: a snapshot with a relabelled view
# generates the expected tree; --clear leaves only this run's files; a
# malformed snapshot exits 2 and writes nothing; Chinese arguments name the
# files and folders they name, whatever the ANSI code page; --unicode writes
# the Unicode form's bytes, as on Linux.
#   offline-wine.sh PELLAM_GEN_EXE EXPECTED_DIR WINE_RUN
set -eu
exe=$1 expected=$2 run=$3
work=$(mktemp -d /tmp/pellam-wine-gen.XXXXXX)
trap 'rm -rf "$work"' EXIT

cp "$(dirname "$0")/../support/log-staff-users.json" "$work/s.json"
mkdir -p "$work/out dir/Output/DBComm/DBTables"
echo old > "$work/out dir/Output/DBComm/DBTables/OldOperator.h"

"$run" "$exe" generate --schema "$work/s.json" --output "$work/out dir/Output" --clear

# check_tree OUTPUT DBCOMM [FILE=EXPECTED]...: the tree, byte for byte as on
# Linux: DBComm as DBComm.*.DBCOMM.expected, the runtime, and the operators.
check_tree() {
    out=$1 dbcomm=$2
    shift 2
    python3 "$(dirname "$0")/../support/expected_tree.py" "$out" "$expected" --whole \
        DBComm/DBComm.cpp=DBComm.cpp.$dbcomm.expected \
        DBComm/DBComm.h=DBComm.h.$dbcomm.expected \
        DBComm/DBStoredProc/DBStoredProc.cpp=DBStoredProc.cpp.expected \
        DBComm/DBStoredProc/DBStoredProc.h=DBStoredProc.h.expected \
        DBComm/DBTables/DBTableOperator.h=DBTableOperator.h.expected "$@"
}
# The snapshot with a relabelled view.
check_log_staff_users() {
    check_tree "$1" LogStaffUsers \
        DBComm/DBTables/LogOperator.cpp=LogOperator.cpp.expected \
        DBComm/DBTables/LogOperator.h=LogOperator.h.expected \
        DBComm/DBTables/StaffOperator.cpp=StaffOperator.cpp.expected \
        DBComm/DBTables/StaffOperator.h=StaffOperator.h.expected \
        DBComm/DBTables/UsersOperator.cpp=UsersOperator.cpp.relabelled.expected \
        DBComm/DBTables/UsersOperator.h=UsersOperator.h.relabelled.expected
}
check_log_staff_users "$work/out dir/Output"

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
[ -d "$work/输出" ] || { echo "no output under 输出: $(ls "$work")"; exit 1; }
check_log_staff_users "$work/输出"
echo "Chinese arguments accepted, whatever the code page (${PELLAM_WINE_CODEPAGE:-936})"

# Chinese catalogue names, translated, into 输出: the tree Linux makes.
cat > "$work/中文.json" <<'JSON'
{"tables": [{"name": "用户表", "unwritable": ["编号"], "columns": [
  {"name": "编号", "type": "int"}, {"name": "姓名", "type": "nvarchar"},
  {"name": "年龄", "type": "int"}]}], "views": []}
JSON
"$run" "$exe" generate --schema "$work/中文.json" --output "$work/输出/中文" --translate
check_tree "$work/输出/中文" YongHuBiao \
    DBComm/DBTables/YongHuBiaoOperator.cpp=YongHuBiaoOperator.cpp.translated.expected \
    DBComm/DBTables/YongHuBiaoOperator.h=YongHuBiaoOperator.h.translated.expected
echo "Chinese catalogue names generate the tree Linux makes"

# The Unicode form: UTF-8 with its mark, wide literals, the same bytes Linux
# writes whatever the ANSI code page.
"$run" "$exe" generate --schema "$work/s.json" --output "$work/输出/宽" --unicode
python3 "$(dirname "$0")/../support/expected_tree.py" "$work/输出/宽" "$expected" --whole --unicode \
    DBComm/DBComm.cpp=DBComm.cpp.LogStaffUsers.expected \
    DBComm/DBComm.h=DBComm.h.LogStaffUsers.expected \
    DBComm/DBStoredProc/DBStoredProc.cpp=DBStoredProc.cpp.unicode.expected \
    DBComm/DBStoredProc/DBStoredProc.h=DBStoredProc.h.expected \
    DBComm/DBTables/DBTableOperator.h=DBTableOperator.h.unicode.expected \
    DBComm/DBTables/LogOperator.cpp=LogOperator.cpp.unicode.expected \
    DBComm/DBTables/LogOperator.h=LogOperator.h.expected \
    DBComm/DBTables/StaffOperator.cpp=StaffOperator.cpp.unicode.expected \
    DBComm/DBTables/StaffOperator.h=StaffOperator.h.expected \
    DBComm/DBTables/UsersOperator.cpp=UsersOperator.cpp.relabelled.unicode.expected \
    DBComm/DBTables/UsersOperator.h=UsersOperator.h.relabelled.expected
echo "the Unicode form as on Linux (${PELLAM_WINE_CODEPAGE:-936})"
