#!/bin/sh
# A screenshot of the window after login, both trees filled, under Xvfb:
#   sh scripts/screenshot.sh [OPTIONS] [OUT.png]
#     (default docs/window.png)
#   --windows        pellam's Win32 build under Wine (docs/window-windows.png)
#   --scale 150      the screen at 150 %: Qt's scale factor 1.5, or Wine's
#                    144 DPI; the default names end in -150
#   --codepage 1252  (with --windows) Wine's ANSI code page 1252, a Western
#                    Windows; the default names end in -cp1252
#   --maximised      the window fills the screen (Qt under a window
#                    manager, openbox); the default names have -maximised
#   --report         the report 生成 opens on the Chinese school database
#                    (学校), not the window; the default names begin report
#   --renaming       a view being renamed in place; no default name
set -eu
cd "$(dirname "$0")/.."
windows=
mode=
scale=100
codepage=936
while [ $# -gt 0 ]; do
    case "$1" in
      --windows) windows=1; shift ;;
      --scale)
        scale=${2:-}
        [ "$scale" = 150 ] || { echo "screenshot.sh: --scale is 150" >&2; exit 2; }
        shift 2 ;;
      --codepage)
        codepage=${2:-}
        [ "$codepage" = 1252 ] || { echo "screenshot.sh: --codepage is 1252" >&2; exit 2; }
        shift 2 ;;
      --renaming|--maximised|--report) mode=$1; shift ;;
      -*) echo "screenshot.sh: unknown option $1" >&2; exit 2 ;;
      *) break ;;
    esac
done
if [ "$mode" = --renaming ] && [ -z "${1:-}" ]; then
    echo "usage: sh scripts/screenshot.sh [--windows] [--scale 150] --renaming OUT.png" >&2
    exit 2
fi
if [ "$codepage" != 936 ] && [ -z "$windows" ]; then
    echo "screenshot.sh: --codepage is for --windows" >&2
    exit 2
fi
stem=window
[ "$mode" = --report ] && stem=report
suffix=
[ -n "$windows" ] && suffix=-windows
[ "$mode" = --maximised ] && suffix="$suffix-maximised"
[ "$codepage" = 1252 ] && suffix="$suffix-cp1252"
if [ "$scale" = 150 ]; then
    # Qt's scale factor, or the DPI of Wine's screen.
    suffix="$suffix-150"
    QT_SCALE_FACTOR=1.5 PELLAM_WINE_DPI=144
    export QT_SCALE_FACTOR PELLAM_WINE_DPI
fi
out=${1:-docs/$stem$suffix.png}
wm=
if [ -n "$windows" ]; then
    . scripts/packages.sh
    ensure_chinese_locale
    sh scripts/build-windows.sh >/dev/null
    PELLAM_WINE_CODEPAGE=$codepage
    export PELLAM_WINE_CODEPAGE
    shot="sh cmake/wine-run.sh build-win/tools/pellam_screenshot.exe"
    picture=build-win/shot.bmp
else
    cmake -S . -B build >/dev/null
    cmake --build build -j"$(nproc)" --target pellam_screenshot >/dev/null
    shot="./build/tools/pellam_screenshot"
    picture=$out
    if [ "$mode" = --maximised ]; then
        # Qt asks the window manager to maximise; Wine does it itself.
        . scripts/packages.sh
        install_packages openbox
        wm=openbox
    fi
fi
mkdir -p "$(dirname "$out")"
python3 testserver/standin.py --fixture testserver/fixtures/demo.json --port 0 > build-shot.log 2>&1 &
standin=$!
trap 'kill $standin 2>/dev/null || true; rm -f build-shot.log' EXIT
for _ in 1 2 3 4 5 6 7 8 9 10; do
    grep -q "listening" build-shot.log 2>/dev/null && break
    sleep 0.3
done
port=$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' build-shot.log)
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1200x24" sh -c '
    if [ -n "$1" ]; then
        "$1" >/dev/null 2>&1 &
        sleep 1
    fi
    shift
    exec "$@"' sh "$wm" $shot "127.0.0.1,$port" "Pellam#2026" "$picture" $mode
if [ -n "$windows" ]; then
    # The Win32 build saves a BMP; the picture goes in the README as PNG.
    python3 - "$picture" "$out" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, 10)[0]
width, height = struct.unpack_from("<ii", data, 18)
stride = (width * 3 + 3) & ~3
rows = []
for y in range(abs(height)):
    source = abs(height) - 1 - y if height > 0 else y
    row = data[offset + source * stride: offset + source * stride + width * 3]
    rows.append(b"\0" + bytes(b for x in range(width) for b in row[3 * x: 3 * x + 3][::-1]))
def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
png = (b"\x89PNG\r\n\x1a\n" +
       chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)) +
       chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
open(sys.argv[2], "wb").write(png)
PY
    rm -f "$picture"
fi
echo "wrote $out"
