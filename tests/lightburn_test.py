#!/usr/bin/env python3
"""Reads the LightBurn projects of a run back and holds them against the SVG.

The reader here is written from the .lbrn2 format itself: a LightBurnProject
of CutSetting layers (index = LightBurn palette colour, name, priority, machine
values) and Shape elements: Ellipse (Rx, Ry), Rect (W, H) centred on their
XForm, and Path (VertList of "V x y" vertices with c0/c1 control points,
PrimList of "L i j" lines and "B i j" cubic Béziers), in mm with y up. Every
shape must match its SVG element, in order, after the SVG's transforms and the
flip of y, to 0.001 mm: circles, rectangles, lines and paths from the plain
drawing, the labels' glyph outlines from the builtin vector file. The layers
must run engraving, inner cuts, outlines, in the run's colours, with the
settings file's values, and no text object may be left.

Usage: lightburn_test.py <svggenerator> <example project>
"""

import json
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
CM_TO_PX = struct.unpack("f", struct.pack("f", 37.795))[0]
MM_PER_PX = 10 / CM_TO_PX
TOLERANCE = 0.001
# LightBurn's palette, C00 to C15.
PALETTE = ["#000000", "#0000FF", "#FF0000", "#00E000", "#D0D000", "#FF8000", "#00E0E0", "#FF00FF",
           "#B4B4B4", "#0000A0", "#A00000", "#00A000", "#A0A000", "#C08000", "#00A0FF", "#A000A0"]
CUT, ENGRAVE = "#FF0000", "#0000FF"
SETTINGS = {"engrave": {"speed": 300, "power": 20}, "outlines": {"speed": 8, "power": 90, "passes": 2}}
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


# --- SVG side ---------------------------------------------------------------

def multiply(m, n):
    """m after n, matrices as (a, b, c, d, e, f)."""
    a, b, c, d, e, f = m
    return (a * n[0] + c * n[1], b * n[0] + d * n[1], a * n[2] + c * n[3], b * n[2] + d * n[3],
            a * n[4] + c * n[5] + e, b * n[4] + d * n[5] + f)


def transform_of(text):
    m = (1, 0, 0, 1, 0, 0)
    for name, args in re.findall(r"(\w+)\s*\(([^)]*)\)", text or ""):
        v = [float(x) for x in re.split(r"[\s,]+", args.strip())]
        if name == "translate":
            step = (1, 0, 0, 1, v[0], v[1] if len(v) > 1 else 0)
        elif name == "scale":
            step = (v[0], 0, 0, v[1] if len(v) > 1 else v[0], 0, 0)
        elif name == "rotate":
            t = math.radians(v[0])
            step = (math.cos(t), math.sin(t), -math.sin(t), math.cos(t), 0, 0)
            if len(v) == 3:
                step = multiply(multiply((1, 0, 0, 1, v[1], v[2]), step), (1, 0, 0, 1, -v[1], -v[2]))
        elif name == "matrix":
            step = tuple(v)
        else:
            raise ValueError(name)
        m = multiply(m, step)
    return m


def apply(m, x, y):
    return (m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5])


def path_segments(d, m):
    """SVG path data as closed or open runs of ('L', p, q) and ('C', p, c1, c2, q), mapped by m."""
    tokens = re.findall(r"[MLHVQTCSZmlhvqtcsz]|[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?", d)
    segments, i, cmd = [], 0, None
    pen = start = (0.0, 0.0)
    last_ctrl = None

    def num():
        nonlocal i
        i += 1
        return float(tokens[i - 1])

    while i < len(tokens):
        if re.match(r"[A-Za-z]", tokens[i]):
            cmd = tokens[i]
            i += 1
        rel = cmd.islower()
        base = pen if rel else (0.0, 0.0)
        up = cmd.upper()
        pt = lambda: (base[0] + num(), base[1] + num())
        if up == "M":
            pen = start = pt()
            cmd = "l" if rel else "L"
            last_ctrl = None
            continue
        if up == "Z":
            if pen != start:
                segments.append(("L", pen, start))
            pen = start
            last_ctrl = None
            continue
        if up == "L":
            q = pt()
            segments.append(("L", pen, q))
        elif up == "H":
            q = (base[0] + num(), pen[1])
            segments.append(("L", pen, q))
        elif up == "V":
            q = (pen[0], base[1] + num())
            segments.append(("L", pen, q))
        elif up in "QT":
            c = pt() if up == "Q" else (2 * pen[0] - last_ctrl[0], 2 * pen[1] - last_ctrl[1])
            q = pt()
            c1 = (pen[0] + 2 / 3 * (c[0] - pen[0]), pen[1] + 2 / 3 * (c[1] - pen[1]))
            c2 = (q[0] + 2 / 3 * (c[0] - q[0]), q[1] + 2 / 3 * (c[1] - q[1]))
            segments.append(("C", pen, c1, c2, q))
            last_ctrl = c
            pen = q
            continue
        elif up in "CS":
            c1 = pt() if up == "C" else (2 * pen[0] - last_ctrl[0], 2 * pen[1] - last_ctrl[1])
            c2 = pt()
            q = pt()
            segments.append(("C", pen, c1, c2, q))
            last_ctrl = c2
            pen = q
            continue
        pen = q
        last_ctrl = None
    return [(kind,) + tuple(apply(m, *p) for p in points) for kind, *points in segments]


def expected_shapes(plain_path, vector_path):
    """(layer, kind, geometry) of every drawn element in order; labels as their glyph paths."""
    plain = ET.parse(plain_path).getroot()
    view = plain.get("viewBox")
    height = float(view.split()[3]) if view else float(plain.get("height"))
    page = (MM_PER_PX, 0, 0, -MM_PER_PX, 0, height * MM_PER_PX)
    labels = [g for g in ET.parse(vector_path).getroot().iter(SVG + "g") if g.get("class") == "text"]
    shapes, label_at, after_hatch = [], [0], [False]

    def layer_of(e):
        colour = e.get("stroke") or e.get("fill")
        if colour == ENGRAVE:
            return "Engrave"
        return "Outlines" if e.get("stroke-width") == "2" else "Inner cuts"

    def walk(element, m):
        for e in element:
            tag = e.tag.replace(SVG, "")
            if tag in ("defs", "clipPath", "style", "title"):
                continue
            here = multiply(m, transform_of(e.get("transform")))
            if tag == "g":
                walk(e, here)
            elif tag == "circle":
                cx, cy = apply(here, float(e.get("cx")), float(e.get("cy")))
                r = float(e.get("r")) * math.hypot(here[0], here[1])
                shapes.append((layer_of(e), "Ellipse", (cx, cy, r, r)))
            elif tag == "ellipse":
                cx, cy = apply(here, float(e.get("cx")), float(e.get("cy")))
                rx = float(e.get("rx")) * math.hypot(here[0], here[1])
                ry = float(e.get("ry")) * math.hypot(here[2], here[3])
                shapes.append((layer_of(e), "Ellipse", (cx, cy, rx, ry)))
            elif tag == "rect":
                x, y, w, h = (float(e.get(k)) for k in ("x", "y", "width", "height"))
                corners = [apply(here, px, py) for px, py in ((x, y), (x + w, y), (x + w, y + h), (x, y + h))]
                shapes.append((layer_of(e), "Rect", corners))
            elif tag == "line":
                p = apply(here, float(e.get("x1")), float(e.get("y1")))
                q = apply(here, float(e.get("x2")), float(e.get("y2")))
                shapes.append((layer_of(e), "Path", [("L", p, q)]))
            elif tag == "path":
                shapes.append((layer_of(e), "Path", path_segments(e.get("d"), here)))
            elif tag == "text":
                group = labels[label_at[0]]
                label_at[0] += 1
                check(group.get("aria-label") == e.text, "label %r against glyphs of %r" %
                      (e.text, group.get("aria-label")))
                g = multiply(m, transform_of(group.get("transform")))
                for glyph in group.iter(SVG + "path"):
                    shapes.append(("Engrave", "Path", path_segments(glyph.get("d"), g)))
            else:
                failures.append("%s: an SVG element <%s> the test cannot read" % (plain_path, tag))

    walk(plain, page)
    check(label_at[0] == len(labels), "%s: %d labels, %d glyph groups" % (plain_path, label_at[0], len(labels)))
    return shapes


# --- LightBurn side -----------------------------------------------------------

def vertices(text):
    out = []
    for match in re.finditer(r"V([-\d.e]+) ([-\d.e]+)((?:c[01][xy][-\d.e]+)*)", text):
        v = {"at": (float(match.group(1)), float(match.group(2)))}
        controls = dict((k, float(x)) for k, x in re.findall(r"(c[01][xy])([-\d.e]+)", match.group(3)))
        for c in ("c0", "c1"):
            if c + "x" in controls:
                v[c] = (controls[c + "x"], controls[c + "y"])
        out.append(v)
    return out


def lbrn_geometry(shape):
    xform = [float(x) for x in shape.find("XForm").text.split()]
    kind = shape.get("Type")
    if kind == "Ellipse":
        rx, ry = float(shape.get("Rx")), float(shape.get("Ry"))
        return (xform[4], xform[5], rx * math.hypot(xform[0], xform[1]), ry * math.hypot(xform[2], xform[3]))
    if kind == "Rect":
        w, h = float(shape.get("W")) / 2, float(shape.get("H")) / 2
        return [apply(xform, x, y) for x, y in ((-w, -h), (w, -h), (w, h), (-w, h))]
    verts = vertices(shape.find("VertList").text)
    segments = []
    for kind, i, j in re.findall(r"([LB])(\d+) (\d+)", shape.find("PrimList").text):
        a, b = verts[int(i)], verts[int(j)]
        if kind == "L":
            segments.append(("L", a["at"], b["at"]))
        else:
            segments.append(("C", a["at"], a["c0"], b["c1"], b["at"]))
    return [(k,) + tuple(apply(xform, *p) for p in points) for k, *points in segments]


def near(p, q):
    return math.hypot(p[0] - q[0], p[1] - q[1]) <= TOLERANCE


def same_geometry(kind, want, got):
    if kind == "Ellipse":
        return all(abs(a - b) <= TOLERANCE for a, b in zip(want, got))
    if kind == "Rect":
        return all(any(near(p, q) for q in got) for p in want)
    return len(want) == len(got) and all(
        w[0] == g[0] and all(near(p, q) for p, q in zip(w[1:], g[1:])) for w, g in zip(want, got))


def check_project(lbrn_path, plain_path, vector_path):
    name = os.path.basename(lbrn_path)
    root = ET.parse(lbrn_path).getroot()
    check(root.tag == "LightBurnProject", "%s: root <%s>" % (name, root.tag))
    layers = {}
    order = []
    for setting in root.findall("CutSetting"):
        values = {child.tag: child.get("Value") for child in setting}
        layers[values["index"]] = values["name"]
        order.append((int(values["priority"]), values["name"], PALETTE[int(values["index"])], values))
    names = [n for _, n, _, _ in sorted(order)]
    check(names == [n for n in ("Engrave", "Inner cuts", "Outlines") if n in names] and names == [n for _, n, _, _ in order],
          "%s: layers by priority %s" % (name, names))
    # Inner cuts take the cut colour; the outlines the palette's nearest other colour to it.
    colours = {"Engrave": ENGRAVE, "Inner cuts": CUT, "Outlines": "#A00000"}
    for _, layer, colour, values in order:
        check(colour == colours[layer], "%s: layer %s in %s" % (name, layer, colour))
        given = SETTINGS.get({"Inner cuts": "inner_cuts"}.get(layer, layer.lower()), {})
        for key, tag in (("speed", "speed"), ("power", "maxPower"), ("passes", "numPasses")):
            want = given.get(key)
            got = values.get(tag)
            check((want is None and got is None) or (got is not None and float(got) == want),
                  "%s: layer %s has %s %s, the settings %s" % (name, layer, tag, got, want))
    check(not any(s.get("Type") == "Text" for s in root.iter("Shape")) and "Str=" not in open(lbrn_path).read(),
          "%s: a text object is left" % name)
    got = [(layers[s.get("CutIndex")], s.get("Type"), lbrn_geometry(s)) for s in root.findall("Shape")]
    want = expected_shapes(plain_path, vector_path)
    check(len(got) == len(want), "%s: %d shapes, the SVG draws %d" % (name, len(got), len(want)))
    for k, (w, g) in enumerate(zip(want, got)):
        if not check(w[:2] == g[:2], "%s: shape %d is %s, the SVG's %s" % (name, k, g[:2], w[:2])):
            break
        if not check(same_geometry(w[1], w[2], g[2]), "%s: shape %d (%s) is at %s, the SVG's at %s" %
                     (name, k, w[1], str(g[2])[:300], str(w[2])[:300])):
            break
    return {kind: sum(1 for g in got if g[1] == kind) for kind in ("Ellipse", "Rect", "Path")}


def main():
    program, project = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as work:
        settings = os.path.join(work, "layers.json")
        with open(settings, "w") as f:
            json.dump(SETTINGS, f)
        out = os.path.join(work, "out")
        args = [program, "-j", project, "-o", out, "-m", "3", "-b", "50", "--recess", "-n", "2", "-p", "3", "-d",
                "6", "--finger-joints", "--kerf", "0.15", "--cut-color", CUT, "--engrave-color", ENGRAVE,
                "--vectorizer", "builtin", "--keep-files", "--font-file", FONT, "--sheet", "700x500",
                "--lightburn", "--lightburn-settings", settings, "--test-piece"]
        result = subprocess.run(args, capture_output=True, text=True)
        if result.returncode != 0 or result.stderr:
            sys.exit("the program failed: %s\n%s" % (" ".join(args), result.stderr))
        check("LightBurn projects: Yes" in result.stdout, "no report line for --lightburn")
        folder = os.path.join(out, os.path.splitext(os.path.basename(project))[0])
        names = sorted(f[:-4] for f in os.listdir(folder) if f.endswith(".svg") and not f.endswith("_vector.svg"))
        check(any(n.startswith("sheet") for n in names) and "test-piece" in names, "no sheet or test piece among %s" % names)
        totals = {}
        for n in names:
            lbrn = os.path.join(folder, n + ".lbrn2")
            if not check(os.path.exists(lbrn), "%s.svg has no LightBurn project" % n):
                continue
            check("Creation of LightBurn project for %s successful." % n in result.stdout, "no line for " + n)
            for kind, count in check_project(lbrn, os.path.join(folder, n + ".svg"),
                                             os.path.join(folder, n + "_vector.svg")).items():
                totals[kind] = totals.get(kind, 0) + count
        check(all(totals.get(k, 0) > 10 for k in ("Ellipse", "Rect", "Path")), "too few shapes read: %s" % totals)
        print("shapes read back: %s" % totals)
        # A settings file with a key LightBurn's layers do not have ends the run before any file.
        with open(settings, "w") as f:
            json.dump({"outlines": {"sped": 8}}, f)
        bad = subprocess.run(args[:4] + [os.path.join(work, "bad")] + args[5:], capture_output=True, text=True)
        check(bad.returncode == 2 and 'layer "outlines", key "sped"' in bad.stderr,
              "a bad settings file: status %d, %s" % (bad.returncode, bad.stderr.strip()))
        check(not os.path.exists(os.path.join(work, "bad", os.path.basename(folder), "box_Main.svg")),
              "a bad settings file left drawings")
        # The test piece alone needs no project and no box height, and writes only its file.
        alone = subprocess.run([program, "-o", os.path.join(work, "alone"), "-m", "3", "--test-piece",
                                "--vectorize=false"], capture_output=True, text=True)
        check(alone.returncode == 0 and not alone.stderr, "the test piece alone: %s" % alone.stderr)
        check(sorted(os.listdir(os.path.join(work, "alone"))) == ["test-piece.svg"],
              "the test piece alone wrote %s" % os.listdir(os.path.join(work, "alone")))
        check("Test piece: measure the 20.00 square" in alone.stdout, "no guide to the test piece")
        # A kerf of its own along each axis turns round holes into ellipses, turned panels included.
        axes = os.path.join(work, "axes")
        with open(settings, "w") as f:
            json.dump(SETTINGS, f)
        run = subprocess.run(args[:4] + [axes] + args[5:] + ["--kerf-x", "0.2", "--kerf-y", "0.1"],
                             capture_output=True, text=True)
        check(run.returncode == 0 and not run.stderr, "--kerf-x and --kerf-y: %s" % run.stderr)
        folder = os.path.join(axes, os.path.basename(folder))
        drawn = 0
        for n in sorted(f[:-4] for f in os.listdir(folder) if f.endswith(".svg") and not f.endswith("_vector.svg")):
            drawn += open(os.path.join(folder, n + ".svg")).read().count("<ellipse")
            check("<ellipse" not in open(os.path.join(folder, n + "_vector.svg")).read(),
                  "%s_vector.svg keeps an ellipse" % n)
            check_project(os.path.join(folder, n + ".lbrn2"), os.path.join(folder, n + ".svg"),
                          os.path.join(folder, n + "_vector.svg"))
        check(drawn > 0, "--kerf-x and --kerf-y drew no ellipse")
    for failure in failures:
        print("FAIL:", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
