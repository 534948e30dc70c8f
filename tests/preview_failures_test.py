#!/usr/bin/python3
"""tools/preview refuses what it cannot draw with one line on standard error
and status 1, never with a traceback.

Usage: preview_failures_test.py PREVIEW"""
import os
import subprocess
import sys
import tempfile

preview = sys.argv[1]
failed = False
with tempfile.TemporaryDirectory() as scratch:
    good = os.path.join(scratch, "good")
    os.mkdir(good)
    with open(os.path.join(good, "box_Main.svg"), "w") as f:
        f.write('<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10"></svg>\n')
    cases = {}
    for name, make in {
        "json named .svg": lambda p: open(os.path.join(p, "box_Main.svg"), "w").write('{"Generic": {}}\n'),
        "empty .svg": lambda p: open(os.path.join(p, "box_Main.svg"), "w").close(),
        "folder named .svg": lambda p: os.mkdir(os.path.join(p, "box_Main.svg")),
    }.items():
        folder = os.path.join(scratch, name.replace(" ", "_"))
        os.mkdir(folder)
        make(folder)
        cases[name] = [folder, os.path.join(scratch, "out.png")]
    for value in ("0", "-5", "nan", "inf"):
        cases["--px-per-cm " + value] = [good, os.path.join(scratch, "out.png"), "--px-per-cm=" + value]
    cases["output in a missing folder"] = [good, os.path.join(scratch, "missing", "net.png")]
    for name, args in cases.items():
        run = subprocess.run([sys.executable, preview] + args, capture_output=True, text=True)
        lines = run.stderr.splitlines()
        if run.returncode != 1 or len(lines) != 1 or not lines[0].startswith("preview: "):
            print("%s: status %d, stderr %r" % (name, run.returncode, run.stderr))
            failed = True
sys.exit(1 if failed else 0)
