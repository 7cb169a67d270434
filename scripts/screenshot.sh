#!/bin/sh
# A screenshot of the window after login, both trees filled, under Xvfb:
#   sh scripts/screenshot.sh [OUT.png]   (default docs/window.png)
set -eu
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
mkdir -p "$(dirname "$out")"
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target pellam_screenshot >/dev/null
python3 testserver/standin.py --fixture testserver/fixtures/demo.json --port 0 > build/shot.log 2>&1 &
standin=$!
trap 'kill $standin 2>/dev/null || true' EXIT
for _ in 1 2 3 4 5 6 7 8 9 10; do
    grep -q "listening" build/shot.log 2>/dev/null && break
    sleep 0.3
done
port=$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' build/shot.log)
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    ./build/tools/pellam_screenshot "127.0.0.1,$port" "Pellam#2026" "$out"
echo "wrote $out"
