#!/bin/sh
# A screenshot of the window after login, both trees filled, under Xvfb:
#   sh scripts/screenshot.sh [OUT.png]             (default docs/window.png)
#   sh scripts/screenshot.sh --windows [OUT.png]   pellam's Win32 build under Wine
#                                                  (default docs/window-windows.png)
# With --scale 150 (before OUT, after --windows if given) the screen is at
# 150 %: Qt's scale factor 1.5, or Wine's 144 DPI; the default names end in
# -150. With --renaming the picture shows a view being renamed in place,
# and has no default name.
set -eu
cd "$(dirname "$0")/.."
windows=
renaming=
scale=100
if [ "${1:-}" = "--windows" ]; then
    windows=1
    shift
fi
if [ "${1:-}" = "--scale" ]; then
    scale=${2:-}
    shift 2
    case "$scale" in
      150) ;;
      *) echo "screenshot.sh: --scale is 150" >&2; exit 2 ;;
    esac
fi
if [ "${1:-}" = "--renaming" ]; then
    renaming=--renaming
    shift
    if [ -z "${1:-}" ]; then
        echo "usage: sh scripts/screenshot.sh [--windows] [--scale 150] --renaming OUT.png" >&2
        exit 2
    fi
fi
suffix=
if [ "$scale" = 150 ]; then
    # Qt's scale factor, or the DPI of Wine's screen.
    suffix=-150
    QT_SCALE_FACTOR=1.5 PELLAM_WINE_DPI=144
    export QT_SCALE_FACTOR PELLAM_WINE_DPI
fi
if [ -n "$windows" ]; then
    out=${1:-docs/window-windows$suffix.png}
    . scripts/packages.sh
    ensure_chinese_locale
    sh scripts/build-windows.sh >/dev/null
    shot="sh cmake/wine-run.sh build-win/tools/pellam_screenshot.exe"
    picture=build-win/shot.bmp
else
    out=${1:-docs/window$suffix.png}
    cmake -S . -B build >/dev/null
    cmake --build build -j"$(nproc)" --target pellam_screenshot >/dev/null
    shot="./build/tools/pellam_screenshot"
    picture=$out
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
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1200x24" \
    $shot "127.0.0.1,$port" "Pellam#2026" "$picture" $renaming
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
