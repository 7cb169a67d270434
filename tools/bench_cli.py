"""pellam-gen against stand-ins: three alternating rounds of one command
against each host, the medians, and the latency costs against the first.

    python3 tools/bench_cli.py schema|gen|gen-keys|gen-relations|procedures PELLAM_GEN OUTPUT HOST [HOST=MS]...
    python3 tools/bench_cli.py regen PELLAM_GEN OUTPUT HOST

gen-keys runs generate without and with --keys against each host, in turn,
and prints both beside each other; gen-relations runs generate --keys, and
with --relations, --rows and both; procedures does the same for schema and
generate without and with --procedures.

regen reads the database once into a snapshot, then alternates a generate
into an empty folder with one into a folder that already holds the same
output, and prints both medians and how many files the second rewrote.
"""

import os
import shutil
import statistics
import subprocess
import sys
import time

ROUNDS = 3


def regenerate(program, out, host, env):
    snapshot = out + ".json"
    subprocess.run([program, "schema", "--host", host, "--password-env", "PW", "--database",
                    "Big", "--to", snapshot], env=env, check=True)
    fresh, again, rewritten, total = [], [], None, None
    for _ in range(ROUNDS):
        shutil.rmtree(out, ignore_errors=True)
        command = [program, "generate", "--schema", snapshot, "--output", out, "--verbose"]
        for times in (fresh, again):
            start = time.monotonic()
            done = subprocess.run(command, check=True, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, text=True)
            times.append(time.monotonic() - start)
        # --verbose names each file written; the last line counts them all.
        lines = done.stderr.splitlines()
        rewritten, total = len(lines) - 1, lines[-1].split(" ")[1]
    print("pellam-gen generate from a snapshot, %d rounds, medians" % ROUNDS)
    print("into an empty folder: %.3f s, %s files written" % (statistics.median(fresh), total))
    print("again, the database unchanged: %.3f s, %d of %s files rewritten"
          % (statistics.median(again), rewritten, total))
    shutil.rmtree(out, ignore_errors=True)
    os.remove(snapshot)


def main():
    mode, program, out = sys.argv[1], sys.argv[2], sys.argv[3]
    if mode == "regen":
        regenerate(program, out, sys.argv[4], dict(os.environ, PW="Pellam#2026"))
        return
    hosts = [(h.split("=")[0], h.split("=")[1] if "=" in h else "0") for h in sys.argv[4:]]
    env = dict(os.environ, PW="Pellam#2026")
    variants = {"gen-keys": [["generate"], ["generate", "--keys"]],
                "gen-relations": [["generate", "--keys"], ["generate", "--keys", "--relations"],
                                  ["generate", "--keys", "--rows"],
                                  ["generate", "--keys", "--relations", "--rows"]],
                "procedures": [["schema"], ["schema", "--procedures"], ["generate"],
                               ["generate", "--procedures"]]}.get(
        mode, [["schema" if mode == "schema" else "generate"]])
    times = [[[] for _ in hosts] for _ in variants]
    for _ in range(ROUNDS):
        for k, (host, _) in enumerate(hosts):
            for v, extra in enumerate(variants):
                shutil.rmtree(out, ignore_errors=True)
                command = [program, extra[0], "--host", host,
                           "--password-env", "PW", "--database", "Big"] + extra[1:]
                if extra[0] == "schema":
                    command += ["--to", os.path.join(out + ".json")]
                else:
                    command += ["--output", out]
                start = time.monotonic()
                subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
                times[v][k].append(time.monotonic() - start)
    if mode in ("gen-keys", "gen-relations", "procedures"):
        print("pellam-gen %s, %d rounds, medians"
              % ({"gen-keys": "generate without and with --keys",
                  "gen-relations": "generate --keys without and with --relations and --rows"}.get(
                      mode, "schema and generate without and with --procedures"), ROUNDS))
        for v, label in enumerate(" ".join(extra) for extra in variants):
            base = statistics.median(times[v][0])
            line = "%s: %.3f s" % (label, base)
            for (_, ms), t in list(zip(hosts, times[v]))[1:]:
                line += "; %s ms each way: %.3f s (x%.2f)" % (ms, statistics.median(t),
                                                              statistics.median(t) / base)
            print(line)
        shutil.rmtree(out, ignore_errors=True)
        if os.path.exists(out + ".json"):
            os.remove(out + ".json")
        return
    times = times[0]
    what = "pellam-gen " + ("schema" if mode == "schema" else "generate")
    print("%s, %d rounds, medians" % (what, ROUNDS))
    base = statistics.median(times[0])
    print("%s: %.3f s" % (what, base))
    for (_, ms), t in list(zip(hosts, times))[1:]:
        print("%s, %s ms each way: %.3f s" % (what, ms, statistics.median(t)))
    for (_, ms), t in list(zip(hosts, times))[1:]:
        print("%s latency cost at %s ms = %.2f" % (mode, ms, statistics.median(t) / base))
    shutil.rmtree(out, ignore_errors=True)
    if os.path.exists(out + ".json"):
        os.remove(out + ".json")


if __name__ == "__main__":
    main()
