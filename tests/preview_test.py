#!/usr/bin/python3
"""tools/preview draws one separate patch per panel: in normal mode, from the
layer files of --separate-files, and with vector files beside plain ones; the
sheet files of --sheet stay out of the net. A sheet's picture has the sheet's
size, names each of its panels and tints each where the sheet file's own
groups and outlines put it.

Usage: preview_test.py PROGRAM PREVIEW EXAMPLE_PROJECT"""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

program, preview, project = sys.argv[1:4]
PANELS = 6  # box_Back, box_Front, box_Left, box_Main, box_Right, box_Top


def large_regions(png, min_area=2000):
    """Counts connected non-white areas of at least min_area pixels (labels
    are made of smaller glyphs), joining runs of dark pixels row by row."""
    image = Image.open(png).convert("L")
    width, height = image.size
    pixels = image.load()
    parent, area = [], []

    def find(i):
        while parent[i] != i:
            parent[i] = parent[parent[i]]
            i = parent[i]
        return i

    previous = []  # (start, end, run id) of the row above
    for y in range(height):
        runs, x = [], 0
        while x < width:
            if pixels[x, y] < 250:
                start = x
                while x < width and pixels[x, y] < 250:
                    x += 1
                run = len(parent)
                parent.append(run)
                area.append(x - start)
                for p_start, p_end, p_run in previous:
                    if p_start < x + 1 and start < p_end + 1:  # touching, diagonals included
                        a, b = find(run), find(p_run)
                        if a != b:
                            parent[b] = a
                            area[a] += area[b]
                runs.append((start, x, run))
            x += 1
        previous = runs
    return sum(1 for i in range(len(parent)) if find(i) == i and area[i] >= min_area)


def sheet_outlines(svg):
    """Each outline of the sheet file as a polygon in the sheet's px, through
    every group's translate and rotate around it."""
    stack, outlines = [(1.0, 0.0, 0.0, 1.0, 0.0, 0.0)], []

    def then(m, n):  # m after n
        a, b, c, d, e, f = m
        na, nb, nc, nd, ne, nf = n
        return (a * na + c * nb, b * na + d * nb, a * nc + c * nd, b * nc + d * nd, a * ne + c * nf + e,
                b * ne + d * nf + f)

    for tag in re.findall(r'<g\b[^>]*>|</g>|<(?:path|rect)\b[^>]*stroke-width="2"[^>]*/>', svg):
        if tag == "</g>":
            stack.pop()
            continue
        if tag.startswith("<g"):
            m = (1.0, 0.0, 0.0, 1.0, 0.0, 0.0)
            for name, values in re.findall(r"(translate|rotate)\(([^)]*)\)", tag):
                v = [float(x) for x in re.split(r"[ ,]+", values.strip())]
                if name == "translate":
                    step = (1.0, 0.0, 0.0, 1.0, v[0], v[1] if len(v) > 1 else 0.0)
                else:
                    c, s_ = math.cos(math.radians(v[0])), math.sin(math.radians(v[0]))
                    step = (c, s_, -s_, c, 0.0, 0.0)
                m = then(m, step)
            stack.append(then(stack[-1], m))
            continue
        if tag.startswith("<rect"):
            x, y, w, h = (float(re.search(r'\s%s="([-\d.]+)"' % k, tag).group(1))
                          for k in ("x", "y", "width", "height"))
            points = [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
        else:
            points = [tuple(float(v) for v in p.split(",")) for p in re.findall(r"[-\d.]+,[-\d.]+",
                                                                                   re.search(r'd="([^"]*)"', tag).group(1))]
        a, b, c, d, e, f = stack[-1]
        outlines.append([(a * x + c * y + e, b * x + d * y + f) for x, y in points])
    return outlines


def near(image, colour, tolerance=8):
    return (np.abs(image - np.array(colour)).max(axis=2) <= tolerance)


failures = []
# The help's description is a whole sentence, not the docstring's first line.
help_text = " ".join(subprocess.run([preview, "--help"], capture_output=True, text=True).stdout.split())
if "each labelled with its section name." not in help_text:
    failures.append("--help cuts its description short: %s" % help_text[:200])
with tempfile.TemporaryDirectory() as tmp:
    def draw(name, *extra):
        subprocess.run([program, "-j", project, "-o", os.path.join(tmp, name), "-m", "3", "-b", "50", "--recess",
                        "-p", "3", "-d", "6", "--vectorize=false", *extra], check=True, capture_output=True)
        return os.path.join(tmp, name, os.path.splitext(os.path.basename(project))[0])

    normal = draw("normal", "--sheet", "600x300")
    separate = draw("separate", "--separate-files", "--sheet", "300x300")
    # A vector file beside its plain file stands for the same panel.
    with_vector = shutil.copytree(normal, os.path.join(tmp, "vector"))
    shutil.copy(os.path.join(normal, "box_Main.svg"), os.path.join(with_vector, "box_Main_vector.svg"))

    # A vector file older than its plain file is left from an earlier run: a
    # tiny drawing here, which would leave the main panel out of the count.
    stale = shutil.copytree(normal, os.path.join(tmp, "stale"))
    stale_vector = os.path.join(stale, "box_Main_vector.svg")
    with open(stale_vector, "w") as f:
        f.write('<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10"><rect width="10" height="10"/></svg>')
    plain_time = os.stat(os.path.join(stale, "box_Main.svg")).st_mtime
    os.utime(stale_vector, (plain_time - 60, plain_time - 60))

    for name, folder in (("normal", normal), ("separate files", separate), ("vector beside plain", with_vector),
                         ("stale vector beside plain", stale)):
        png = os.path.join(tmp, name + ".png")
        run = subprocess.run([preview, folder, png], capture_output=True, text=True)
        if run.returncode != 0 or not os.path.exists(png):
            failures.append("%s: no picture (%s)" % (name, run.stderr.strip()))
            continue
        regions = large_regions(png)
        if regions != PANELS:
            failures.append("%s: %d panels in the picture, %d expected" % (name, regions, PANELS))

    for name, folder, size, sheet in (("sheet", normal, (1200, 600), 1), ("layer sheet", separate, (600, 600), 2)):
        png = os.path.join(tmp, name + ".png")
        run = subprocess.run([preview, "--sheet", str(sheet), folder, png], capture_output=True, text=True)
        if run.returncode != 0 or not os.path.exists(png):
            failures.append("%s: no picture (%s)" % (name, run.stderr.strip()))
            continue
        if any(abs(got - want) > 1 for got, want in zip(Image.open(png).size, size)):
            failures.append("%s: picture of %s px, %s expected" % (name, Image.open(png).size, size))
        named = run.stdout.split(" with ")[1].split(" written")[0].split(", ")
        listed = subprocess.run([program, "-j", project, "-o", os.path.join(tmp, "sim"), "-m", "3", "-b", "50",
                                 "--sheet", "600x300" if sheet == 1 else "300x300", "-s"],
                                capture_output=True, text=True).stdout
        placed = sorted(line.split()[1] for line in listed.splitlines()
                        if line.startswith("Placing ") and " on sheet %d " % sheet in line)
        if sorted(named) != placed:
            failures.append("%s: the picture names %s, the run placed %s" % (name, named, placed))

    # Jointed panels with a kerf: each panel's drawing sits in a group of its
    # own inside the one that places it, some of them turned.
    jointed = draw("jointed", "--finger-joints", "--kerf", "0.2", "--sheet", "600x300")
    png = os.path.join(tmp, "jointed.png")
    subprocess.run([preview, "--sheet", "1", "--px-per-cm", "10", jointed, png], check=True, capture_output=True)
    picture = np.asarray(Image.open(png).convert("RGB")).astype(int)
    zoom = 10 / 37.795
    with open(os.path.join(jointed, "sheet-1.svg")) as f:
        outlines = sheet_outlines(f.read())
    tinted = near(picture, (235, 222, 196))
    anywhere = Image.new("L", (picture.shape[1], picture.shape[0]), 0)
    for number, outline in enumerate(outlines, 1):
        mask = Image.new("L", anywhere.size, 0)
        ImageDraw.Draw(mask).polygon([(x * zoom, y * zoom) for x, y in outline], fill=255)
        ImageDraw.Draw(anywhere).polygon([(x * zoom, y * zoom) for x, y in outline], fill=255)
        inside = np.asarray(mask.filter(ImageFilter.MinFilter(5))) > 0
        share = float(tinted[inside].mean())
        if share < 0.5:  # lines, labels and the name patch take the rest
            failures.append("sheet panel %d: %.0f %% of it tinted" % (number, 100 * share))
    outside = np.asarray(anywhere.filter(ImageFilter.MaxFilter(5))) == 0
    if tinted[outside].any():
        failures.append("sheet: %d tinted pixels outside every panel" % int(tinted[outside].sum()))
    print("jointed sheet: %d panels, each tinted where its outline lies" % len(outlines))

for failure in failures:
    print(failure)
print("preview: %d problems" % len(failures))
sys.exit(1 if failures else 0)
