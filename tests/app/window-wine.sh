#!/bin/sh
# The window's Win32 build under Wine on Xvfb, against the stand-in.
#   window-wine.sh WINDOW_TEST_EXE WINE_RUN STANDIN
set -eu
exe=$1 run=$2 standin=$3
support=$(dirname "$0")/../support
. "$support/standin.sh"
work=$(mktemp -d /tmp/pellam-wine-window.XXXXXX)
STANDIN_PID=
trap 'kill $STANDIN_PID 2>/dev/null || true; rm -rf "$work"' EXIT
start_standin "$standin" "$support/wine-fixture.json" "$work/standin.log"
PELLAM_TEST_HOST=$STANDIN_HOST
export PELLAM_TEST_HOST
# The screen: 1920 x 1200 unless PELLAM_WINE_SCREEN names another size.
xvfb-run -a -s "-screen 0 ${PELLAM_WINE_SCREEN:-1920x1200}x24" "$run" "$exe"
