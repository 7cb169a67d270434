#!/bin/sh
# Benchmarks (not tests) on 2,000 tables x 20 columns and 200 views, served
# by the stand-in:
#   sh scripts/benchmark.sh fill       selection to filled trees
#   sh scripts/benchmark.sh generate   the Generate command
# Set QT_QPA_PLATFORM=xcb under an X server to measure with real windows.
set -eu
cd "$(dirname "$0")/.."
mode=${1:-fill}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target pellam_benchmark >/dev/null
fixture=build/bench-fixture.json
python3 - "$fixture" <<'PY'
import json, sys
types = ["int", "varchar", "datetime", "money", "image", "bit", "nvarchar", "bigint", "text", "float"]
tables = [{"name": "T%04d" % t, "columns":
           [{"name": "ID", "type": "int", "identity": True}] +
           [{"name": "C%02d" % c, "type": types[c % len(types)]} for c in range(1, 20)]}
          for t in range(2000)]
views = [{"name": "V%03d" % v, "xtype": "V",
          "columns": [{"name": "C%02d" % c, "type": "int"} for c in range(20)]} for v in range(200)]
json.dump({"logins": {"sa": "Pellam#2026"},
           "databases": [{"name": "Big", "objects": tables + views}]}, open(sys.argv[1], "w"))
PY
python3 testserver/standin.py --fixture "$fixture" --port 0 > build/bench.log 2>&1 &
standin=$!
trap 'kill $standin 2>/dev/null || true' EXIT
for _ in $(seq 1 30); do
    grep -q "listening" build/bench.log 2>/dev/null && break
    sleep 0.3
done
port=$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' build/bench.log)
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ./build/tools/pellam_benchmark "$mode" "127.0.0.1,$port" "Pellam#2026" Big
