#!/usr/bin/python3
"""tools/assembled draws the example box in the same space with and without
finger joints, shows the joints where the panels meet, the holes of the
components, and three shades for the three faces in view. With the run's
kerf given it draws the box the kerf-free drawings make, and a box open at
the top shows its dark inside.

Usage: assembled_test.py PROGRAM ASSEMBLED EXAMPLE_PROJECT"""
import json
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
SMALL = ["--px-per-mm", "2"]  # enough to see a joint's gap, and quick


def picture(folder, name, extra, project="box", scale=[]):
    out = os.path.join(folder, name)
    subprocess.run([program, "-j", project + ".json", "-o", out, "-m", "3", "-b", "50", "--vectorize=false"] + extra,
                   cwd=folder, check=True, capture_output=True)
    png = os.path.join(folder, name + ".png")
    told = ["-z"] if "-z" in extra else []
    if "--kerf" in extra:
        told += ["--kerf", extra[extra.index("--kerf") + 1]]
    subprocess.run([tool, os.path.join(out, project), "-m", "3", "-b", "50", png] + told + scale, check=True,
                   capture_output=True)
    return np.asarray(Image.open(png).convert("RGB")).astype(int)


def unlike_anything_near(reference, image, tolerance=48):
    """Pixels of `image` that differ from every pixel of `reference` within
    one pixel: more than the anti-aliasing of an edge moved by rounding."""
    padded = np.pad(reference, ((1, 1), (1, 1), (0, 0)), mode="edge")
    unlike = np.ones(image.shape[:2], dtype=bool)
    for dy in range(3):
        for dx in range(3):
            near = padded[dy:dy + image.shape[0], dx:dx + image.shape[1]]
            unlike &= np.abs(near - image).max(axis=2) > tolerance
    return int(unlike.sum())


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
        # The kerf widens every outline and narrows every hole of the
        # drawings; taken off again, the box is the one the kerf-free
        # drawings make, with the gaps of the play only.
        play = sizing + ["--finger-joints", "--finger-play", "0.2"]
        played = picture(folder, name + "_play", play, scale=SMALL)
        kerfed = picture(folder, name + "_kerf", play + ["--kerf", "0.5"], scale=SMALL)
        unlike = unlike_anything_near(played, kerfed) if kerfed.shape == played.shape else -1
        print("%s, kerf 0.5 mm: %d pixels unlike the box without" % (name, unlike))
        if kerfed.shape != played.shape:
            failures.append("%s: with a kerf the box is drawn %s, without %s" % (name, kerfed.shape, played.shape))
        elif unlike > 10:  # a gap along the joints takes hundreds
            failures.append("%s: with a kerf %d pixels differ from the box without" % (name, unlike))

    # A tray: one face, "_Bottom", and four walls whose top edges stay
    # straight; the top in view is the dark inside between the walls.
    with open(os.path.join(folder, "box.json")) as f:
        tray = json.load(f)
    for key in [k for k in tray if any(m in k for m in ("_Main", "_Top", "_Bottom"))]:
        del tray[key]
    tray["box_Bottom"] = {}
    with open(os.path.join(folder, "tray.json"), "w") as f:
        json.dump(tray, f)
    for sizing in ([], ["-z"]):
        inside = share_near(picture(folder, "tray" + "".join(sizing), sizing + ["--finger-joints"], "tray", SMALL),
                            HOLE)
        print("open tray%s: %.1f %% of the picture shows the inside" % (" -z" if sizing else "", 100 * inside))
        if inside < 0.25:
            failures.append("open tray%s: the inside does not show (%.1f %%)" % (" -z" if sizing else "", 100 * inside))

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
