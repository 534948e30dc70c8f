#!/usr/bin/python3
"""The shipped footprint map against Debian's kicad-footprints: every entry's
footprint file exists, its offset is where the file puts the shaft (the
centre of its circle on F.Fab, or half way between its mounting pads), its
angle turns the part's tab away from the pins it names, and its part is a
shipped part.

Usage: footprint_map_test.py MAP PARTS [FOOTPRINTS_DIR]"""
import json
import math
import os
import re
import sys

map_path, parts_path = sys.argv[1:3]
library = sys.argv[3] if len(sys.argv) > 3 else "/usr/share/kicad/footprints"
with open(map_path, encoding="utf-8") as f:
    entries = json.load(f)["footprints"]
with open(parts_path, encoding="utf-8") as f:
    parts = json.load(f)["parts"]

NUMBER = r"(-?[\d.]+)"
CIRCLE = re.compile(r"\(fp_circle \(center " + NUMBER + " " + NUMBER + r"\) \(end [^)]*\) \(layer \"?F\.Fab\"?\)")
PAD = re.compile(r"\(pad \"?([^\" ]*)\"? (?:thru_hole|np_thru_hole|smd)\s+\w+\s+\(at " + NUMBER + " " + NUMBER)


def pads(text, names):
    return [(float(x), float(y)) for name, x, y in PAD.findall(text) if name in names]


def mean(points):
    return (sum(p[0] for p in points) / len(points), sum(p[1] for p in points) / len(points))


failures = []
for lib_id, entry in entries.items():
    library_name, name = lib_id.split(":")
    path = os.path.join(library, library_name + ".pretty", name + ".kicad_mod")
    if not os.path.exists(path):
        failures.append(f"{lib_id}: no footprint file {path}")
        continue
    if entry["part"] not in parts:
        failures.append(f"{lib_id}: no shipped part {entry['part']}")
    if name not in entry["source"]:
        failures.append(f"{lib_id}: the source does not cite the footprint file")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    rule = entry["shaft_from"]
    if rule == "fab_circle":
        circles = CIRCLE.findall(text)
        shaft = (float(circles[0][0]), float(circles[0][1])) if len(circles) == 1 else None
    else:
        holes = pads(text, rule.split(":")[1].split(","))
        shaft = mean(holes) if len(holes) == 2 else None
    if shaft is None:
        failures.append(f"{lib_id}: {rule} does not name one place in the file")
        continue
    if math.dist(shaft, entry["offset"]) > 0.005:
        failures.append(f"{lib_id}: offset {entry['offset']}, the file puts the shaft at {shaft}")
    rule = entry["angle_from"]
    if rule.startswith("away_from:"):
        pins = mean(pads(text, rule.split(":")[1].split(",")))
        # The part's tab is above its shaft (y downwards); turned clockwise by
        # the angle it must point from the pins through the shaft.
        away = math.degrees(math.atan2(shaft[0] - pins[0], -(shaft[1] - pins[1]))) % 360
        if abs(away - entry["angle"] % 360) > 0.5:
            failures.append(f"{lib_id}: angle {entry['angle']}, the pins put the tab at {away:.1f}")
    elif rule == "pads:0":
        a, b = pads(text, ["0"])
        along = math.degrees(math.atan2(b[1] - a[1], b[0] - a[0])) % 180
        if abs(along - entry["angle"] % 180) > 0.5:
            failures.append(f"{lib_id}: angle {entry['angle']}, the mounting holes lie at {along:.1f}")
    elif rule != "round" or entry["angle"] != 0:
        failures.append(f"{lib_id}: unknown angle rule {rule}")
for failure in failures:
    print(failure)
print(f"{len(entries)} footprints checked against {library}, {len(failures)} problems")
sys.exit(1 if failures else 0)
