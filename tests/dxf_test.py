#!/usr/bin/env python3
"""Reads the DXF files of the example back with real readers.

ezdxf: the audit finds no error, the header and layers are as written, each
file holds the entities its SVG draws, its extents are the SVG page in mm,
and the holes of one panel agree with the SVG's to 0.001 mm. LibreCAD: its
print of one file covers what the SVG's own rendering shows.

The scales and frames of a second example are engraved: every mark a LINE
and every arc or frame a POLYLINE on ENGRAVE, the open ones left open, and
nothing of them on CUT.

Usage: dxf_test.py <svggenerator> <example project> [<scales example>]
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import ezdxf
import numpy
from ezdxf import bbox
from PIL import Image

SVG = "{http://www.w3.org/2000/svg}"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
# The drawing's pixels per centimetre, in single precision as the program has it.
CM_TO_PX = struct.unpack("f", struct.pack("f", 37.795))[0]
MM_PER_PX = 10 / CM_TO_PX
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(program, project, out, extra):
    args = [program, "-j", project, "-o", out, "-m", "3", "-b", "50", "--recess", "-n", "2", "-p", "3",
            "-d", "6", "-x", "1", "--dxf", "--font-file", FONT] + extra
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != 0 or result.stderr:
        sys.exit("the program failed: %s\n%s" % (" ".join(args), result.stderr))
    return os.path.join(out, os.path.splitext(os.path.basename(project))[0])


def page_mm(root):
    return float(root.get("width")) * MM_PER_PX, float(root.get("height")) * MM_PER_PX


def shifts(element):
    """The translation of the drawing group (the kerf's half), as (dx, dy)."""
    text = element.get("transform", "")
    if not text.startswith("translate("):
        return 0.0, 0.0
    x, y = text[len("translate("):text.index(")")].split(",")
    return float(x), float(y)


def drawn(root):
    """Every drawn element with the shift of the groups around it; clip paths are no drawing."""
    def walk(element, dx, dy):
        for child in element:
            tag = child.tag.replace(SVG, "")
            if tag in ("defs", "clipPath"):
                continue
            if tag == "g":
                sx, sy = shifts(child)
                yield from walk(child, dx + sx, dy + sy)
            else:
                yield tag, child, dx, dy
    yield from walk(root, 0.0, 0.0)


def lines_on_outline(root):
    """The hatch lines that lie on an edge of their recess's outline (its clip rectangle, as written): the DXF
    leaves them out, as the outline engraves that edge."""
    clips = {}
    for clip in root.iter(SVG + "clipPath"):
        r = clip.find(SVG + "rect")
        clips[clip.get("id")] = (float(r.get("y")), float(r.get("y")) + float(r.get("height")))
    found = set()
    for group in root.iter(SVG + "g"):
        if group.get("clip-path") is None:
            continue
        edges = clips[group.get("clip-path")[5:-1]]
        for e in group.iter(SVG + "line"):
            if e.get("y1") == e.get("y2") and any(abs(float(e.get("y1")) - edge) < 1e-3 for edge in edges):
                found.add((e.get("x1"), e.get("y1"), e.get("x2"), e.get("y2"), e.get("transform")))
    return found


def expected_counts(root):
    counts = {}
    lines = set()
    glyphs = 0
    on_outline = lines_on_outline(root)

    def add(key):
        counts[key] = counts.get(key, 0) + 1

    for tag, e, _, _ in drawn(root):
        layer = "CUT" if e.get("fill") == "none" else "ENGRAVE"
        if tag == "circle":
            add(("CIRCLE", layer))
        elif tag == "rect":
            add(("POLYLINE", layer))
        elif tag == "line":
            ends = (e.get("x1"), e.get("y1"), e.get("x2"), e.get("y2"), e.get("transform"))
            if ends[:2] != ends[2:4] and ends not in on_outline:
                lines.add(ends)
        elif tag == "text":
            glyphs += len(e.text.replace(" ", ""))
    if lines:
        counts[("LINE", "ENGRAVE")] = len(lines)
    return counts, glyphs


def check_file(svg_path, dxf_path):
    name = os.path.basename(dxf_path)
    root = ET.parse(svg_path).getroot()
    doc = ezdxf.readfile(dxf_path)
    auditor = doc.audit()
    check(not auditor.has_errors, "%s: audit errors %s" % (name, [str(e) for e in auditor.errors]))
    check(doc.dxfversion == "AC1009", "%s: version %s" % (name, doc.dxfversion))
    check(doc.header.get("$INSUNITS") == 4 and doc.header.get("$MEASUREMENT") == 1, "%s: not mm" % name)
    for layer, colour in (("CUT", 1), ("ENGRAVE", 5)):
        check(doc.layers.has_entry(layer) and doc.layers.get(layer).color == colour,
              "%s: layer %s without colour %d" % (name, layer, colour))
    msp = doc.modelspace()
    counts = {}
    for e in msp:
        counts[(e.dxftype(), e.dxf.layer)] = counts.get((e.dxftype(), e.dxf.layer), 0) + 1
        if e.dxftype() == "POLYLINE":
            check(e.is_closed, "%s: an open polyline" % name)
        if e.dxftype() == "LINE":
            check(e.dxf.start != e.dxf.end, "%s: a line of no length" % name)
    expected, glyphs = expected_counts(root)
    # Labels are the outlines of their glyphs: at least one for every letter.
    engraved_outlines = counts.pop(("POLYLINE", "ENGRAVE"), 0) - expected.pop(("POLYLINE", "ENGRAVE"), 0)
    check(engraved_outlines >= glyphs, "%s: %d glyph outlines for %d letters" % (name, engraved_outlines, glyphs))
    check(glyphs > 0 or engraved_outlines == 0, "%s: outlines without labels" % name)
    check(counts == expected, "%s: entities %s, the SVG draws %s" % (name, counts, expected))
    width, height = page_mm(root)
    extents = bbox.extents(msp)
    for got, want in ((extents.extmin.x, 0), (extents.extmin.y, 0), (extents.extmax.x, width),
                      (extents.extmax.y, height)):
        check(abs(got - want) <= 0.0006, "%s: extents %s to %s, page %.4f x %.4f mm" %
              (name, extents.extmin, extents.extmax, width, height))
    return sum(counts.values()) + engraved_outlines


def check_hatch_inside_clip(svg_path):
    """The hatch lines of a clipped group lie inside its rectangle as written (to the hundredth of a pixel that
    the numbers are rounded to), so the DXF's lines, which leave out the clip, are what the SVG shows."""
    root = ET.parse(svg_path).getroot()
    clips = {}
    for clip in root.iter(SVG + "clipPath"):
        r = clip.find(SVG + "rect")
        clips[clip.get("id")] = [float(r.get(k)) for k in ("x", "y", "width", "height")] + [r.get("transform")]
    lines = 0
    for group in root.iter(SVG + "g"):
        if group.get("clip-path") is None:
            continue
        x, y, w, h, transform = clips[group.get("clip-path")[5:-1]]
        for line in group.iter(SVG + "line"):
            lines += 1
            x1, y1, x2, y2 = (float(line.get(k)) for k in ("x1", "y1", "x2", "y2"))
            check(line.get("transform") == transform, "hatch: a line not in its rectangle's frame")
            inside = all(x - 0.011 <= v <= x + w + 0.011 for v in (x1, x2)) and \
                all(y - 0.011 <= v <= y + h + 0.011 for v in (y1, y2))
            check(inside, "hatch: a line outside its clip rectangle: %s" % line.attrib)
    return lines


def check_holes(svg_path, dxf_path):
    """Every circle and cut rectangle of the SVG is in the DXF at the same place and size, to 0.001 mm."""
    root = ET.parse(svg_path).getroot()
    _, height = page_mm(root)
    to_mm = lambda x, y: (x * MM_PER_PX, height - y * MM_PER_PX)
    want_circles, want_corners = [], []
    for tag, e, dx, dy in drawn(root):
        if tag == "circle":
            x, y = to_mm(float(e.get("cx")) + dx, float(e.get("cy")) + dy)
            want_circles.append((x, y, float(e.get("r")) * MM_PER_PX))
        elif tag == "rect" and e.get("fill") == "none" and e.get("transform") is None:
            x, y, w, h = (float(e.get(k)) for k in ("x", "y", "width", "height"))
            want_corners.append(sorted(to_mm(px + dx, py + dy) for px, py in
                                       ((x, y), (x + w, y), (x + w, y + h), (x, y + h))))
    msp = ezdxf.readfile(dxf_path).modelspace()
    got_circles = [(c.dxf.center.x, c.dxf.center.y, c.dxf.radius) for c in msp.query("CIRCLE")]
    got_corners = [sorted((v.dxf.location.x, v.dxf.location.y) for v in p.vertices)
                   for p in msp.query("POLYLINE[layer=='CUT']")]
    close = lambda a, b: all(abs(p - q) <= 0.0005 + 1e-9 for p, q in zip(a, b))
    check(len(want_circles) == len(got_circles) and len(want_circles) > 8,
          "holes: the SVG has %d circles, the DXF %d" % (len(want_circles), len(got_circles)))
    for want in want_circles:
        check(any(close(want, got) for got in got_circles), "holes: no DXF circle at %s" % (want,))
    for want in want_corners:
        check(any(len(got) == 4 and all(close(p, q) for p, q in zip(want, got)) for got in got_corners),
              "holes: no DXF outline with corners %s" % (want,))


def ink(path, threshold=160):
    return numpy.asarray(Image.open(path).convert("L")) < threshold


def grown(mask, reach):
    out = mask.copy()
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            out |= numpy.roll(numpy.roll(mask, dy, axis=0), dx, axis=1)
    return out


def edges(mask):
    inner = mask.copy()
    for dy, dx in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        inner &= numpy.roll(numpy.roll(mask, dy, axis=0), dx, axis=1)
    return mask & ~inner


def check_librecad_print(svg_path, dxf_path, work):
    """LibreCAD prints the DXF at 1:1 on A4, its origin at the page's bottom-left; cut to the panel, its lines
    lie on the SVG's ink, and the SVG's every edge has a DXF line by it. The SVG is the vector file of the
    builtin converter, whose labels sit where Inkscape puts them: rsvg-convert sets "dominant-baseline:
    central" text a little higher."""
    for tool in ("xvfb-run", "librecad", "pdftoppm", "rsvg-convert"):
        if shutil.which(tool) is None:
            failures.append("%s is missing (setup.sh installs it)" % tool)
            return
    shutil.copy(dxf_path, os.path.join(work, "panel.dxf"))
    subprocess.run(["xvfb-run", "-a", "librecad", "dxf2pdf", "-s", "1", "-f", "0,0,0,0", "-m", "panel.dxf"],
                   cwd=work, capture_output=True, timeout=120, check=True)
    dots_per_mm = 10
    subprocess.run(["pdftoppm", "-r", "254", "-gray", "-png", "-singlefile", "panel.pdf", "dxf"], cwd=work,
                   check=True)
    root = ET.parse(svg_path).getroot()
    width, height = page_mm(root)
    subprocess.run(["rsvg-convert", "-b", "white", "-z", str(dots_per_mm * MM_PER_PX), "-o",
                    os.path.join(work, "svg.png"), svg_path], check=True)
    svg_ink = ink(os.path.join(work, "svg.png"))
    printed = ink(os.path.join(work, "dxf.png"))
    rows, cols = svg_ink.shape
    dxf_ink = printed[printed.shape[0] - rows:, :cols]
    check(abs(rows - height * dots_per_mm) < 2 and abs(cols - width * dots_per_mm) < 2,
          "print: the SVG renders %dx%d for %.1f x %.1f mm" % (cols, rows, width, height))
    on_svg = (dxf_ink & grown(svg_ink, 3)).sum() / max(dxf_ink.sum(), 1)
    svg_edges = edges(svg_ink)
    covered = (svg_edges & grown(dxf_ink, 3)).sum() / max(svg_edges.sum(), 1)
    check(dxf_ink.sum() > 1000, "print: LibreCAD drew almost nothing")
    check(on_svg >= 0.99, "print: only %.3f of LibreCAD's lines lie on the SVG's drawing" % on_svg)
    check(covered >= 0.97, "print: only %.3f of the SVG's edges have a LibreCAD line by them" % covered)
    print("LibreCAD's print: %.4f of its ink on the SVG's, %.4f of the SVG's edges covered" % (on_svg, covered))


def check_graphics(program, project, work):
    out = os.path.join(work, "graphics")
    result = subprocess.run([program, "-j", project, "-o", out, "-m", "3", "-b", "50", "--vectorize=false", "--dxf",
                             "--font-file", FONT], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("the program failed on %s:\n%s" % (project, result.stderr))
    folder = os.path.join(out, os.path.splitext(os.path.basename(project))[0])
    svg = open(os.path.join(folder, "box_Main.svg"), encoding="utf-8").read()
    doc = ezdxf.readfile(os.path.join(folder, "box_Main.dxf"))
    auditor = doc.audit()
    check(not auditor.has_errors, "graphics: audit errors %s" % [str(e) for e in auditor.errors])
    msp = doc.modelspace()
    lines = msp.query("LINE")
    root = ET.fromstring(svg)
    groups = [g for g in root.iter(SVG + "g") if g.get("class") in ("scale", "frame")]
    marks = sum(1 for g in groups for _ in g.iter(SVG + "line"))
    paths = [p for g in groups for p in g.iter(SVG + "path")]
    check(marks > 100 and len(lines) == marks, "graphics: %d marks drawn, %d DXF lines" % (marks, len(lines)))
    check(all(e.dxf.layer == "ENGRAVE" for e in lines), "graphics: a mark on CUT")
    opened = [p for p in msp.query("POLYLINE[layer=='ENGRAVE']") if not p.is_closed]
    open_paths = [p for p in paths if not p.get("d").endswith("Z")]
    check(len(opened) == len(open_paths) > 0, "graphics: %d open DXF lines for %d open paths" %
          (len(opened), len(open_paths)))
    # Cut: the cut-outs and the border only.
    cut = len(msp.query("*[layer=='CUT']"))
    cutouts = sum(1 for _ in root.iter(SVG + "circle")) + sum(1 for _ in root.iter(SVG + "rect"))
    check(cut == cutouts, "graphics: %d entities on CUT for %d cut shapes" % (cut, cutouts))


def main():
    program, project = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as work:
        folder = run(program, project, os.path.join(work, "plain"),
                     ["--vectorize", "--vectorizer", "builtin", "--keep-files"])
        names = sorted(f[:-4] for f in os.listdir(folder) if f.endswith(".svg") and not f.endswith("_vector.svg"))
        check(not any(f.endswith("_vector.dxf") for f in os.listdir(folder)), "a DXF of a vector file")
        check(names and all(os.path.exists(os.path.join(folder, n + ".dxf")) for n in names),
              "not every drawing has its DXF: %s" % sorted(os.listdir(folder)))
        for n in names:
            check_file(os.path.join(folder, n + ".svg"), os.path.join(folder, n + ".dxf"))
        check(check_hatch_inside_clip(os.path.join(folder, "box_Main.svg")) > 100, "hatch: too few lines checked")
        check_librecad_print(os.path.join(folder, "box_Main_vector.svg"), os.path.join(folder, "box_Main.dxf"),
                             work)
        # With a kerf the holes shrink and the drawing moves by half of it.
        kerf = run(program, project, os.path.join(work, "kerf"), ["--kerf", "0.2", "--vectorize=false"])
        check_file(os.path.join(kerf, "box_Main.svg"), os.path.join(kerf, "box_Main.dxf"))
        check_holes(os.path.join(kerf, "box_Main.svg"), os.path.join(kerf, "box_Main.dxf"))
        if len(sys.argv) > 3:
            check_graphics(program, sys.argv[3], work)
    for failure in failures:
        print("FAIL:", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
