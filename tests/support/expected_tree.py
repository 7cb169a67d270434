"""Checks generated files against the expected files written by hand: the
stored UTF-8 text with LF, less its last line feed, as GBK with CR LF.

    python3 expected_tree.py OUTPUT EXPECTED_DIR [--whole] [--unicode] FILE=EXPECTED...

With --whole the output holds those files and no others. With --unicode the
files are the Unicode form's bytes: UTF-8 with its byte order mark, CR LF.
"""

import os
import sys

out, expected, rest = sys.argv[1], sys.argv[2], sys.argv[3:]
whole = "--whole" in rest
unicode = "--unicode" in rest
files = dict(arg.split("=", 1) for arg in rest if not arg.startswith("--"))
if whole:
    found = sorted(os.path.relpath(os.path.join(d, f), out).replace(os.sep, "/")
                   for d, _, names in os.walk(out) for f in names)
    if found != sorted(files):
        sys.exit("the output holds %s" % found)
for name, exp in files.items():
    text = open(os.path.join(expected, exp), encoding="utf-8").read()
    if text.endswith("\n"):
        text = text[:-1]
    text = text.replace("\n", "\r\n")
    want = b"\xef\xbb\xbf" + text.encode("utf-8") if unicode else text.encode("gbk")
    if open(os.path.join(out, name), "rb").read() != want:
        sys.exit("%s differs from %s" % (name, exp))
print("%d files as expected in %s" % (len(files), out))
