#!/usr/bin/python3
"""tools/assembled draws the example box in the same space with and without
finger joints, shows the joints where the panels meet, the holes of the
components, and three shades for the three faces in view.

Usage: assembled_test.py PROGRAM ASSEMBLED EXAMPLE_PROJECT"""
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

program, tool, project = sys.argv[1:4]
HOLE = (60, 45, 32)
MATERIAL = (222, 196, 150)


def picture(folder, name, extra):
    out = os.path.join(folder, name)
    subprocess.run([program, "-j", "box.json", "-o", out, "-m", "3", "-b", "50", "--vectorize=false"] + extra,
                   cwd=folder, check=True, capture_output=True)
    png = os.path.join(folder, name + ".png")
    sizing = ["-z"] if "-z" in extra else []
    subprocess.run([tool, os.path.join(out, "box"), "-m", "3", "-b", "50", png] + sizing, check=True,
                   capture_output=True)
    return np.asarray(Image.open(png).convert("RGB")).astype(int)


def share_near(image, colour, tolerance=6):
    """The share of the picture's pixels within `tolerance` of `colour`."""
    return float((np.abs(image - np.array(colour)).max(axis=2) <= tolerance).mean())


failures = []
with tempfile.TemporaryDirectory() as folder:
    shutil.copy(project, os.path.join(folder, "box.json"))
    for sizing in ([], ["-z"]):
        name = "outer" if sizing else "inner"
        butt = picture(folder, name + "_butt", sizing)
        jointed = picture(folder, name + "_joints", sizing + ["--finger-joints"])
        if butt.shape != jointed.shape:
            failures.append("%s: the jointed box is drawn %s, the butt-jointed one %s"
                            % (name, jointed.shape, butt.shape))
            continue
        changed_share = float((np.abs(butt - jointed).max(axis=2) > 24).mean())
        holes = share_near(jointed, HOLE)
        shades = [share_near(jointed, tuple(round(c * f) for c in MATERIAL)) for f in (1.0, 0.80, 0.64)]
        print("%s: %.2f %% of the picture changed by the joints, %.2f %% holes, shades %s"
              % (name, 100 * changed_share, 100 * holes, ", ".join("%.1f %%" % (100 * s) for s in shades)))
        if changed_share < 0.002:
            failures.append(name + ": the joints do not show")
        if changed_share > 0.1:
            failures.append(name + ": the joints changed more than the edges")
        if holes < 0.005 or abs(share_near(butt, HOLE) - holes) > 0.002:
            failures.append(name + ": the holes do not show, or differ with the joints")
        if min(shades) < 0.05:
            failures.append(name + ": a face in view is missing or not shaded")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
