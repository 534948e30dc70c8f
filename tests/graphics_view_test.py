#!/usr/bin/env python3
"""A laser program's view of the scales and frames: the text-layer file of the
example, read by a real SVG reader (svgelements, as Debian ships it), holds
every mark of every arc scale on its radii at its angle, in the engrave
colour, and the scale's labels at their sizes; the cut-out file holds none of it.

Usage: graphics_view_test.py <svggenerator> <examples/scales_panel.json>
"""

import json
import math
import os
import struct
import subprocess
import sys
import tempfile

import svgelements

CM = struct.unpack("f", struct.pack("f", 37.795))[0]
ENGRAVE = "#0000ff"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def expected_arc_marks(c):
    """(angle, inner, outer) of each mark of an arc scale, as docs/project-file.md tells it."""
    s = c["scale"]
    cx, cy = f32(c["location_x"] * CM), f32(c["location_y"] * CM)
    knob = c.get("visible_diameter") or c.get("drill_diameter")
    inner = s["radius"] * CM if "radius" in s else knob / 2 * CM + 0.1 * CM
    length = s.get("length", 0.2) * CM
    minor_length = s.get("minor_length", s.get("length", 0.2) / 2) * CM
    start, end, marks, minor = s.get("from", -150), s.get("to", 150), s.get("marks", 11), s.get("minor", 0)
    full = abs(abs(end - start) - 360) < 1e-9
    intervals = marks if full else marks - 1
    step = (end - start) / intervals
    out = [(start + step * i, inner, inner + length) for i in range(marks)]
    for i in range(intervals):
        out += [(start + step * (i + j / (minor + 1)), inner, inner + minor_length) for j in range(1, minor + 1)]
    return (cx, cy), out


def on(point, centre, angle, radius):
    a = math.radians(angle)
    x, y = centre[0] + radius * math.sin(a), centre[1] - radius * math.cos(a)
    return math.hypot(point[0] - x, point[1] - y) <= 0.011


def main():
    program, example = sys.argv[1:3]
    project = json.load(open(example, encoding="utf-8"))
    with tempfile.TemporaryDirectory() as work:
        run = subprocess.run([program, "-j", example, "-o", work, "-m", "3", "-b", "50", "--vectorize=false",
                              "--separate-files", "--engrave-color", ENGRAVE], capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit("the program failed: " + run.stderr)
        folder = os.path.join(work, "scales_panel")
        text = svgelements.SVG.parse(os.path.join(folder, "box_Main_text.svg"))
        cuts = svgelements.SVG.parse(os.path.join(folder, "box_Main_components.svg"))
    lines = [e for e in text.elements() if isinstance(e, svgelements.SimpleLine)]
    check(not [e for e in cuts.elements() if isinstance(e, svgelements.SimpleLine)], "marks in the cut-out file")
    for line in lines:
        check(str(line.stroke).lower() == ENGRAVE, "a mark in %s, not the engrave colour" % line.stroke)
        check(abs(line.stroke_width - 0.3 / 10 * CM) < 0.01, "a mark %.2f px wide" % line.stroke_width)
    ends = [((l.x1, l.y1), (l.x2, l.y2)) for l in lines]
    found = 0
    for key, c in project["box_Main"].items():
        if c.get("scale", {}).get("type", "arc") != "arc" or "scale" not in c:
            continue
        centre, marks = expected_arc_marks(c)
        for angle, inner, outer in marks:
            hit = any(on(a, centre, angle, inner) and on(b, centre, angle, outer) for a, b in ends)
            check(hit, "%s: no mark at %.2f degrees from %.2f to %.2f px" % (key, angle, inner, outer))
            found += hit
        # No two marks of one scale at one angle (the seam of a full turn).
        check(len({round(a % 360, 6) for a, _, _ in marks}) == len(marks), "%s: a doubled mark" % key)
    check(found > 60, "only %d arc marks found" % found)
    texts = {(t.text, t.font_size) for t in text.elements() if isinstance(t, svgelements.Text)}
    for label in (("0.25", 9.0), ("10", 8.0), ("FILTER", 8.0), ("-∞", 8.0), ("Mode", 10.0)):
        check(label in texts, "no label %s at %s px" % label)
    for failure in failures:
        print("FAIL:", failure)
    print("%d marks read, %d found on their arcs, %d failures" % (len(lines), found, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
