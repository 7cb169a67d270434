#!/bin/sh
# Runs a Windows test program under Wine, in a prefix of its own whose ANSI
# code page is 936 (GBK).
set -eu
export WINEPREFIX="${PELLAM_WINEPREFIX:-${TMPDIR:-/tmp}/pellam-wine}"
export WINEDEBUG=-all
# Wine takes the ANSI code page from the locale: Simplified Chinese is 936.
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.pellam-cp936" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    for key in ACP OEMCP; do
        wine reg add 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v $key /t REG_SZ /d 936 /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.pellam-cp936"
fi
exec wine "$@"
