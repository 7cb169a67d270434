#!/bin/sh
# Benchmarks (not tests) on 2,000 tables x 20 columns and 200 views, served
# by the stand-in:
#   sh scripts/benchmark.sh fill [--latency [MS,...]]      the window: selection to filled trees
#   sh scripts/benchmark.sh generate [--latency [MS,...]]  the window's Generate command
#   sh scripts/benchmark.sh schema [--latency [MS,...]]    pellam-gen schema --database Big
#   sh scripts/benchmark.sh gen [--latency [MS,...]]       pellam-gen generate --database Big
#   sh scripts/benchmark.sh gen-keys [--latency [MS,...]]  the same without and with --keys
#   sh scripts/benchmark.sh gen-relations [--latency [MS,...]] generate --keys, and with --relations,
#                                                          --rows and both, each table but the
#                                                          first referencing the one before it
#   sh scripts/benchmark.sh procedures [--latency [MS,...]] schema and generate without and with
#                                                          --procedures, the database holding
#                                                          2,000 procedures of 6 parameters too
#   sh scripts/benchmark.sh regen                          pellam-gen generate into an empty folder,
#                                                          then again with the database unchanged
#   sh scripts/benchmark.sh fill-windows                   the Win32 window's fill under Wine (Xvfb),
#                                                          beside the Qt window's on the same X server
#   sh scripts/benchmark.sh generate-windows               the same for the window's Generate command
#   sh scripts/benchmark.sh translate                      the window's 翻译全部 on the filled trees
#   sh scripts/benchmark.sh translate-windows              the same, Win32 under Wine beside Qt
#   sh scripts/benchmark.sh snapshot-keys                  reading a snapshot whose one object has
#                                                          20,000, 50,000 and 100,000 keys
#   sh scripts/benchmark.sh checks                         pellam-gen generate --check --translate
#                                                          from snapshots of 2,000 and 20,000 tables
# Without --latency the window is set against a floor (pellam-gen against
# nothing); with it, each program against itself on servers that delay the
# traffic by MS milliseconds each way (10 and 50 when no list is given):
# the stand-in delays each reply by twice MS, the round trip. The runs
# alternate, three rounds, and the medians and latency costs are printed.
# Set QT_QPA_PLATFORM=xcb under an X server to measure with real windows.
set -eu
cd "$(dirname "$0")/.."
mode=${1:-fill}
latencies=
if [ "${2:-}" = "--latency" ]; then
    latencies=${3:-10,50}
fi
case "$mode" in
  fill|generate|translate) target=pellam_benchmark ;;
  fill-windows|generate-windows|translate-windows) target=pellam_benchmark ;;
  schema|gen|gen-keys|gen-relations|regen|procedures|snapshot-keys|checks) target=pellam-gen ;;
  *) echo "unknown benchmark: $mode" >&2; exit 2 ;;
esac
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target "$target" >/dev/null
if [ "$mode" = snapshot-keys ]; then
    # No server: a snapshot read and checked, its one table holding many
    # keys besides its own (each must be told from every other).
    python3 - ./build/cli/pellam-gen <<'PY'
import os, subprocess, sys, tempfile, time
gen = sys.argv[1]
with tempfile.TemporaryDirectory() as tmp:
    for n in (20000, 50000, 100000):
        keys = ",".join('"k%d": %d' % (i, i) for i in range(n))
        path = os.path.join(tmp, "s.json")
        with open(path, "w") as f:
            f.write('{"database":"X","tables":[{"name":"T",' + keys +
                    ',"columns":[{"name":"a","type":"int"}]}],"views":[]}')
        times = []
        for _ in range(3):
            start = time.monotonic()
            subprocess.run([gen, "generate", "--schema", path, "--check", "--output",
                            os.path.join(tmp, "out")], capture_output=True)
            times.append(time.monotonic() - start)
        print("%6d keys in one object: %.2f s (median of 3)" % (n, sorted(times)[1]))
PY
    exit 0
fi
if [ "$mode" = checks ]; then
    # No server: the name checks and translation of every object, from
    # snapshots of 2,000 tables and of the same ten times over (Chinese
    # labels, so that translation has work to do).
    python3 - ./build/cli/pellam-gen <<'PY'
import json, os, subprocess, sys, tempfile, time
gen = sys.argv[1]
types = ["int", "varchar", "datetime", "money", "image", "bit", "nvarchar", "bigint", "text", "float"]
medians = {}
with tempfile.TemporaryDirectory() as tmp:
    for n in (2000, 20000):
        tables = [{"name": "表%05d" % t, "schema": "dbo", "columns":
                   [{"name": "字段%02d" % c, "type": types[c % len(types)]} for c in range(20)]}
                  for t in range(n)]
        path = os.path.join(tmp, "s.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump({"database": "Big", "tables": tables, "views": []}, f, ensure_ascii=False)
        times = []
        for _ in range(3):
            start = time.monotonic()
            subprocess.run([gen, "generate", "--schema", path, "--check", "--translate",
                            "--output", os.path.join(tmp, "out")], capture_output=True)
            times.append(time.monotonic() - start)
        medians[n] = sorted(times)[1]
        print("%6d tables: %.2f s (median of 3)" % (n, medians[n]))
print("20,000 against 2,000: %.1f times" % (medians[20000] / medians[2000]))
PY
    exit 0
fi
fixture=build/bench-fixture.json
python3 - "$fixture" "$mode" <<'PY'
import json, sys
types = ["int", "varchar", "datetime", "money", "image", "bit", "nvarchar", "bigint", "text", "float"]
tables = [{"name": "T%04d" % t, "key": ["ID"], "columns":
           [{"name": "ID", "type": "int", "identity": True}] +
           [{"name": "C%02d" % c, "type": types[c % len(types)]} for c in range(1, 20)]}
          for t in range(2000)]
if sys.argv[2] == "gen-relations":
    for t in range(1, 2000):
        tables[t]["foreignKeys"] = [{"name": "FK_T%04d" % t, "columns": ["C10"],
                                     "references": {"table": "T%04d" % (t - 1), "columns": ["ID"]}}]
views = [{"name": "V%03d" % v, "xtype": "V",
          "columns": [{"name": "C%02d" % c, "type": "int"} for c in range(20)]} for v in range(200)]
ptypes = [("int", 4), ("nvarchar", 100), ("datetime", 8), ("decimal", 9), ("bigint", 8), ("varchar", 50)]
procedures = [{"name": "P%04d" % p, "xtype": "P", "parameters":
               [{"name": "@A%d" % a, "type": ptypes[a][0], "length": ptypes[a][1],
                 "output": a == 5} for a in range(6)]}
              for p in range(2000)] if sys.argv[2] == "procedures" else []
json.dump({"logins": {"sa": "Pellam#2026"},
           "databases": [{"name": "Big", "objects": tables + views + procedures}]},
          open(sys.argv[1], "w"))
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
set -- "$plain"
for ms in $(echo "$latencies" | tr ',' ' '); do
    set -- "$@" "$(start --latency $((ms * 2)))=$ms"
    echo "a stand-in delaying every reply by $((ms * 2)) ms: $ms ms each way"
done

if [ "${mode%-windows}" != "$mode" ]; then
    # Both windows on one X server, each against the same stand-in.
    sh scripts/build-windows.sh >/dev/null
    xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
        echo "Qt window (xcb):"
        QT_QPA_PLATFORM=xcb ./build/tools/pellam_benchmark "$4" "Pellam#2026" Big "$1" "$3" | grep -v "^statements"
        echo "Win32 window (Wine):"
        sh cmake/wine-run.sh build-win/tools/pellam_benchmark.exe "$4" "Pellam#2026" Big "$2" "$3" | grep -v "^statements"
    ' sh "$out" "Z:$(echo "$out-win" | tr / '\\')" "$plain" "${mode%-windows}" 2>/dev/null
elif [ "$target" = pellam_benchmark ]; then
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
        ./build/tools/pellam_benchmark "$mode" "Pellam#2026" Big "$out" "$@"
else
    python3 tools/bench_cli.py "$mode" ./build/cli/pellam-gen "$out" "$@"
fi
rm -rf "$out"
