#!/bin/sh
# Benchmarks (not tests) on 2,000 tables x 20 columns and 200 views, served
# by the stand-in:
#   sh scripts/benchmark.sh fill [--latency MS]       selection to filled trees
#   sh scripts/benchmark.sh generate [--latency MS]   the Generate command
# Without --latency the window is set against a floor; with it, against
# itself on a server that delays every reply by MS milliseconds. Set
# QT_QPA_PLATFORM=xcb under an X server to measure with real windows.
set -eu
cd "$(dirname "$0")/.."
mode=${1:-fill}
latency=
if [ "${2:-}" = "--latency" ]; then
    latency=${3:?--latency needs a number of milliseconds}
fi
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

pids=$(mktemp)
trap 'kill $(cat "$pids") 2>/dev/null || true; rm -f "$pids"' EXIT
# Starts a stand-in with the given options and prints its host text; its
# process goes in the file of those to stop at the end (this runs in a
# subshell of its own).
start() {
    log=$(mktemp)
    python3 testserver/standin.py --fixture "$fixture" --port 0 "$@" > "$log" 2>&1 &
    echo $! >> "$pids"
    for _ in $(seq 1 50); do
        grep -q "listening" "$log" 2>/dev/null && break
        sleep 0.2
    done
    echo "127.0.0.1,$(sed -n 's/listening on 127.0.0.1:\([0-9]*\)/\1/p' "$log")"
}

# The output on tmpfs where there is one, so that disk flushes do not land
# on one side of a comparison.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    out=/dev/shm/pellam-bench
    echo "output folder: $out (tmpfs)"
else
    out=${TMPDIR:-/tmp}/pellam-bench
    echo "output folder: $out (no tmpfs here)"
fi
plain=$(start)
if [ -n "$latency" ]; then
    latent=$(start --latency "$latency")
    echo "replies delayed by $latency ms on the second server"
    set -- "$plain" "$latent"
else
    set -- "$plain"
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
    ./build/tools/pellam_benchmark "$mode" "Pellam#2026" Big "$out" "$@"
rm -rf "$out"
