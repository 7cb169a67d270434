"""The Windows programs call no ANSI ("A") entry point of USER32, GDI32,
SHELL32 or COMCTL32, and no ANSI file or path function of KERNEL32: text
reaches the system as UTF-16, whatever its code page. The C runtime's own
imports (msvcrt's) are not ours and are not looked at.

    python3 imports.py OBJDUMP EXE... [--manifest EXE]

With --manifest, that executable must also carry a manifest asking for the
common controls 6 (visual styles) and per-monitor DPI awareness (v2, with
the older per-monitor form for Windows before 10 1703).
"""

import re
import subprocess
import sys

WIDE_ONLY = {"USER32.DLL", "GDI32.DLL", "SHELL32.DLL", "COMCTL32.DLL"}
FILE_WORDS = re.compile(r"File|Directory|Path|ModuleFileName|Drive|Volume|Folder|Link")
ANSI = re.compile(r"[a-z0-9]A$")


def imports(objdump, exe):
    """(dll, function) for every function the executable imports by name."""
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    dll, out = None, []
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).upper()
            continue
        m = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if m and dll:
            out.append((dll, m.group(1)))
    return out


def main():
    objdump, exes = sys.argv[1], sys.argv[2:]
    bad = []
    if "--manifest" in exes:
        at = exes.index("--manifest")
        manifested = exes[at + 1]
        exes = exes[:at] + exes[at + 2:]
        with open(manifested, "rb") as f:
            data = f.read()
        if b"Microsoft.Windows.Common-Controls" not in data or b'version="6.0.0.0"' not in data:
            bad.append("%s: no manifest asking for the common controls 6" % manifested)
        if (b"<dpiAwareness" not in data or b"PerMonitorV2" not in data
                or b"true/pm</dpiAware>" not in data):
            bad.append("%s: no manifest declaring per-monitor DPI awareness" % manifested)
    for exe in exes:
        found = imports(objdump, exe)
        if not any(dll == "USER32.DLL" or dll == "KERNEL32.DLL" for dll, _ in found):
            bad.append("%s: no imports read" % exe)
        for dll, name in found:
            if not ANSI.search(name):
                continue
            if dll in WIDE_ONLY or (dll == "KERNEL32.DLL" and FILE_WORDS.search(name)):
                bad.append("ANSI import: %s: %s!%s" % (exe, dll, name))
    for b in bad:
        print(b)
    if bad:
        sys.exit(1)
    print("no ANSI imports in %d programs" % len(exes))


if __name__ == "__main__":
    main()
