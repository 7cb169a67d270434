#!/bin/sh
# Runs a Windows test program under Wine, in a prefix of its own for each
# ANSI code page: 936 (GBK, Simplified Chinese) unless PELLAM_WINE_CODEPAGE
# names another: 1252 (Western Windows, or an English Windows with a
# Chinese user) or 950 (Traditional Chinese). PELLAM_WINE_DPI names the
# screen's DPI when it is not 96: 144 is Windows' 150 % scaling.
set -eu
codepage=${PELLAM_WINE_CODEPAGE:-936}
case "$codepage" in
  936) locale=zh_CN.UTF-8 suffix= ;;
  950) locale=zh_TW.UTF-8 suffix=-cp950 ;;
  1252) locale=C.UTF-8 suffix=-cp1252 ;;
  *) echo "wine-run.sh: no prefix for code page $codepage" >&2; exit 2 ;;
esac
dpi=${PELLAM_WINE_DPI:-96}
[ "$dpi" = 96 ] || suffix="$suffix-dpi$dpi"
export WINEPREFIX="${PELLAM_WINEPREFIX:-${TMPDIR:-/tmp}/pellam-wine}$suffix"
export WINEDEBUG=-all
# Wine takes the ANSI code page from the locale, and the prefix's registry
# says it too.
export LC_ALL=$locale LANG=$locale
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.pellam-cp$codepage" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    for key in ACP OEMCP; do
        wine reg add 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v $key /t REG_SZ \
            /d "$codepage" /f >/dev/null 2>&1
    done
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.pellam-cp$codepage"
fi
exec wine "$@"
