#!/usr/bin/python3
"""tools/preview draws one separate patch per panel: in normal mode, from the
layer files of --separate-files, and with vector files beside plain ones; the
sheet files of --sheet stay out of the net. A sheet's picture has the sheet's
size and names each of its panels.

Usage: preview_test.py PROGRAM PREVIEW EXAMPLE_PROJECT"""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

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

for failure in failures:
    print(failure)
print("preview: %d problems" % len(failures))
sys.exit(1 if failures else 0)
