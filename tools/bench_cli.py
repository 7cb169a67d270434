"""pellam-gen against stand-ins: three alternating rounds of one command
against each host, the medians, and the latency costs against the first.

    python3 tools/bench_cli.py schema|gen PELLAM_GEN OUTPUT HOST [HOST=MS]...
"""

import os
import shutil
import statistics
import subprocess
import sys
import time

ROUNDS = 3


def main():
    mode, program, out = sys.argv[1], sys.argv[2], sys.argv[3]
    hosts = [(h.split("=")[0], h.split("=")[1] if "=" in h else "0") for h in sys.argv[4:]]
    env = dict(os.environ, PW="Pellam#2026")
    times = [[] for _ in hosts]
    for _ in range(ROUNDS):
        for k, (host, _) in enumerate(hosts):
            shutil.rmtree(out, ignore_errors=True)
            command = [program, "schema" if mode == "schema" else "generate", "--host", host,
                       "--password-env", "PW", "--database", "Big"]
            if mode == "schema":
                command += ["--to", os.path.join(out + ".json")]
            else:
                command += ["--output", out]
            start = time.monotonic()
            subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            times[k].append(time.monotonic() - start)
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
