#!/usr/bin/python3
"""The panels of a finger-jointed box, read back from the written files and
put together in 3D, fill exactly the space of the butt-jointed box: no point
belongs to two panels and none is missing, for both sizings and two
thicknesses. With a kerf the outlines may differ from the butt-jointed box
only within the kerf of a panel's face, and play opens gaps only beside the
joints. A tray (no top face) fills the space of the butt-jointed tray: the
edges that would meet the top stay straight. Every outline also fits its page.

Usage: joints_assembly_test.py PROGRAM"""
import os
import re
import subprocess
import sys
import tempfile

import numpy as np

program = sys.argv[1]
CELL = 0.25  # mm
PX_PER_MM = float(np.float32(37.795)) / 10
MARGIN = 1.0  # mm of empty space around the box in the grid

SECTIONS = ["box_Main", "box_Bottom", "box_Back", "box_Front", "box_Left", "box_Right"]
TRAY = SECTIONS[1:]

# (outer sizing, T, finger width (None: the default 2T), W, H, BH in mm). The
# strips are whole multiples of the finger width, so every joint line falls on a grid line
# (cell centres stay an eighth of a millimetre from it, far beyond the 0.01 px
# of the written numbers).
BOXES = [
    (False, 3.0, None, 66.0, 54.0, 24.0),
    (True, 3.0, 7.0, 69.0, 49.0, 41.0),
    (False, 4.0, 8.0, 72.0, 56.0, 32.0),
    (True, 4.0, 8.0, 80.0, 56.0, 48.0),
]


def run(folder, box, extra, sections=SECTIONS):
    outer, t, fw, w, h, bh = box
    with open(os.path.join(folder, "box.json"), "w") as f:
        members = ", ".join('"%s": {}' % s for s in sections)
        f.write('{"Generic": {"width": %g, "height": %g}, %s}' % (w / 10, h / 10, members))
    out = os.path.join(folder, "out")
    args = [program, "-j", "box.json", "-o", out, "-m", "%g" % t, "-b", "%g" % bh, "--vectorize=false",
            "--text=false", "--components=false"] + (["-z"] if outer else []) + extra
    done = subprocess.run(args, cwd=folder, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return {s: open(os.path.join(out, "box", s + ".svg")).read() for s in sections}


def outline_mm(svg, name):
    """The outline's corners in mm on the panel, and a check that it fills its
    page: the fingers and the kerf must not leave the page nor leave room."""
    page_w, page_h = (float(v) for v in re.search(r'<svg[^>]* width="([-\d.]+)" height="([-\d.]+)"', svg).groups())
    moved = re.search(r'<g transform="translate\(([-\d.]+),([-\d.]+)\)">', svg)
    dx, dy = (float(v) for v in moved.groups()) if moved else (0.0, 0.0)
    rect = re.search(r'<rect x="([-\d.]+)" y="([-\d.]+)" width="([-\d.]+)" height="([-\d.]+)"', svg)
    if rect:
        x, y, rw, rh = (float(v) for v in rect.groups())
        points = [(x, y), (x + rw, y), (x + rw, y + rh), (x, y + rh)]
    else:
        paths = re.findall(r'<path d="([^"]*)"', svg)
        assert len(paths) == 1, "%s: %d outline paths" % (name, len(paths))
        d = paths[0]
        assert d.startswith("M") and d.endswith(" Z"), name
        points = [tuple(float(v) for v in p.split(",")) for p in re.findall(r"[-\d.]+,[-\d.]+", d)]
        assert len(points) == d.count(" L") + 1, name
    xs = [x + dx for x, _ in points]
    ys = [y + dy for _, y in points]
    tolerance = 0.02
    assert abs(min(xs)) <= tolerance and abs(min(ys)) <= tolerance, "%s: outline off the page's top left" % name
    assert abs(max(xs) - page_w) <= tolerance and abs(max(ys) - page_h) <= tolerance, \
        "%s: outline and page differ in size: %s x %s against %s x %s" % (name, max(xs), max(ys), page_w, page_h)
    return [(x / PX_PER_MM, y / PX_PER_MM) for x, y in points]


def rasterise(points):
    """Cells (centres on the 0.25 mm grid) inside the outline, by the even-odd
    rule over its vertical edges. Returns the mask and the (u, v) of its first
    cell's corner."""
    us = [p[0] for p in points]
    vs = [p[1] for p in points]
    u0 = np.floor(min(us) / CELL) * CELL
    v0 = np.floor(min(vs) / CELL) * CELL
    nu = int(np.ceil((max(us) - u0) / CELL)) + 1
    nv = int(np.ceil((max(vs) - v0) / CELL)) + 1
    uc = u0 + (np.arange(nu) + 0.5) * CELL
    vc = v0 + (np.arange(nv) + 0.5) * CELL
    parity = np.zeros((nu, nv), dtype=bool)
    for (ua, va), (ub, vb) in zip(points, points[1:] + points[:1]):
        if abs(ua - ub) > 1e-6:
            assert abs(va - vb) < 1e-6, "an outline edge that is neither horizontal nor vertical"
            continue
        rows = (vc > min(va, vb)) & (vc < max(va, vb))
        cols = uc > ua
        parity ^= cols[:, None] & rows[None, :]
    return parity, u0, v0


def placements(box):
    """Per section: the global axes (0 = x along W, 1 = y along H from the
    back, 2 = z up) of the drawing's u and v, their offsets, and the
    thickness axis with the panel's place along it, all in mm from the box's
    outer corner. A negative offset runs the drawing's axis backwards from
    there: an end's top edge and a side's left edge are at the top, a side's
top edge at the front."""
    outer, t, _, w, h, bh = box
    if not outer:
        top = bh + t
        return {
            "box_Main": (0, t, 1, t, 2, top), "box_Bottom": (0, t, 1, t, 2, 0),
            "box_Back": (0, t, 2, -(bh + 2 * t), 1, 0), "box_Front": (0, t, 2, -(bh + 2 * t), 1, h + t),
            "box_Left": (2, -(bh + 2 * t), 1, -(h + 2 * t), 0, 0),
            "box_Right": (2, -(bh + 2 * t), 1, -(h + 2 * t), 0, w + t),
        }, (w + 2 * t, h + 2 * t, bh + 2 * t)
    return {
        "box_Main": (0, 0, 1, 0, 2, bh - t), "box_Bottom": (0, 0, 1, 0, 2, 0),
        "box_Back": (0, t, 2, -(bh - t), 1, 0), "box_Front": (0, t, 2, -(bh - t), 1, h - t),
        "box_Left": (2, -(bh - t), 1, -h, 0, 0), "box_Right": (2, -(bh - t), 1, -h, 0, w - t),
    }, (w, h, bh)


def assemble(box, files):
    """The count of panels in every cell and the panel (index, -1 none) that
    holds it."""
    t = box[1]
    where, size = placements(box)
    shape = tuple(int(round((s + 2 * MARGIN) / CELL)) for s in size)
    count = np.zeros(shape, dtype=np.int8)
    label = np.full(shape, -1, dtype=np.int8)
    for index, section in enumerate(SECTIONS):
        if section not in files:
            continue
        mask, u0, v0 = rasterise(outline_mm(files[section], section))
        u_axis, u_off, v_axis, v_off, t_axis, t_at = where[section]
        # A backwards axis: the cell at u lies at -u_off - u.
        if u_off < 0:
            mask, u0, u_off = mask[::-1, :], -(u0 + mask.shape[0] * CELL), -u_off
        if v_off < 0:
            mask, v0, v_off = mask[:, ::-1], -(v0 + mask.shape[1] * CELL), -v_off
        starts = [0, 0, 0]
        lengths = [0, 0, 0]
        starts[u_axis], lengths[u_axis] = int(round((u0 + u_off + MARGIN) / CELL)), mask.shape[0]
        starts[v_axis], lengths[v_axis] = int(round((v0 + v_off + MARGIN) / CELL)), mask.shape[1]
        starts[t_axis], lengths[t_axis] = int(round((t_at + MARGIN) / CELL)), int(round(t / CELL))
        block = np.zeros(lengths, dtype=bool)
        # Spread the 2D mask along the thickness axis.
        order = [u_axis, v_axis, t_axis]
        block[...] = np.transpose(np.broadcast_to(mask[:, :, None], (mask.shape[0], mask.shape[1], lengths[t_axis])),
                                  np.argsort(order))
        assert all(s >= 0 and s + n <= m for s, n, m in zip(starts, lengths, shape)), section + " leaves the grid"
        region = tuple(slice(s, s + n) for s, n in zip(starts, lengths))
        count[region] += block
        label[region][block] = index
    return count, label


def window(values, r, pick):
    """The max (or min) of every cube of 2r + 1 cells, axis by axis."""
    out = values.copy()
    for axis in range(3):
        padded = np.pad(out, [(r, r) if a == axis else (0, 0) for a in range(3)], mode="edge")
        stacked = [np.take(padded, np.arange(i, i + out.shape[axis]), axis=axis) for i in range(2 * r + 1)]
        out = pick(stacked)
    return out


def near_a_face(label, r):
    """Cells within r cells of a place where the box changes from one panel
    to another or to air."""
    highest = window(label, r, lambda s: np.maximum.reduce(s))
    lowest = window(label, r, lambda s: np.minimum.reduce(s))
    return highest != lowest


failures = []
with tempfile.TemporaryDirectory() as folder:
    for box in BOXES:
        name = "%s sizing, T = %g" % ("outer" if box[0] else "inner", box[1])
        joints = ["--finger-joints"] + (["--finger-width", "%g" % box[2]] if box[2] else [])
        butt_count, butt_label = assemble(box, run(folder, box, []))
        count, label = assemble(box, run(folder, box, joints))
        if butt_count.max() > 1:
            failures.append(name + ": the butt-jointed panels overlap (the placement is wrong)")
            continue
        overlap = int((count > 1).sum())
        missing = int(((butt_count > 0) & (count == 0)).sum())
        extra = int(((butt_count == 0) & (count > 0)).sum())
        moved = int(((label != butt_label) & (count > 0)).sum())
        print("%s: %d cells, %d change panel through the joints, %d in two panels, %d missing, %d extra"
              % (name, int(butt_count.sum()), moved, overlap, missing, extra))
        if overlap or missing or extra:
            failures.append("%s: %d cells in two panels, %d missing, %d beyond the box" % (name, overlap, missing, extra))
        if moved == 0:
            failures.append(name + ": no cell changed panel, so no joint was drawn")
        if box == BOXES[1] or box == BOXES[2]:
            # 0.5 mm play: every notch a cell wider on either side, nothing more.
            play_count, _ = assemble(box, run(folder, box, joints + ["--finger-play", "0.5"]))
            gaps = (butt_count > 0) & (play_count == 0)
            print("%s, play 0.5 mm: %d cells left open, all beside a joint: %s"
                  % (name, int(gaps.sum()), not (gaps & ~near_a_face(label, 1)).any()))
            if play_count.max() > 1 or ((butt_count == 0) & (play_count > 0)).any() or not gaps.any() or \
                    (gaps & ~near_a_face(label, 1)).any():
                failures.append(name + " with play: overlaps, cells beyond the box, or gaps away from a joint")
        if box == BOXES[0] or box == BOXES[3]:
            # 0.5 mm kerf: every outline half of it (one cell) further out.
            kerf_count, _ = assemble(box, run(folder, box, joints + ["--kerf", "0.5"]))
            solid = butt_count > 0
            beyond = (kerf_count > 0) & ~solid & ~near_a_face(butt_label, 1)
            lost = solid & (kerf_count == 0)
            # Where two panels meet, each reaches half the kerf into the other.
            doubled = (kerf_count > 1) & ~near_a_face(label, 1)
            print("%s, kerf 0.5 mm: %d cells in two panels, all within the kerf of a face: %s"
                  % (name, int((kerf_count > 1).sum()), not doubled.any()))
            if beyond.any() or lost.any() or doubled.any():
                failures.append("%s with a kerf: %d cells beyond the kerf, %d lost, %d doubled away from a face"
                                % (name, int(beyond.sum()), int(lost.sum()), int(doubled.sum())))

    # A tray: the walls' edges toward the missing top stay straight, so the
    # jointed tray takes exactly the space of the butt-jointed one.
    for box in (BOXES[0], BOXES[1]):
        name = "%s sizing tray" % ("outer" if box[0] else "inner")
        joints = ["--finger-joints"] + (["--finger-width", "%g" % box[2]] if box[2] else [])
        butt_count, _ = assemble(box, run(folder, box, [], TRAY))
        count, label = assemble(box, run(folder, box, joints, TRAY))
        overlap = int((count > 1).sum())
        missing = int(((butt_count > 0) & (count == 0)).sum())
        extra = int(((butt_count == 0) & (count > 0)).sum())
        print("%s: %d cells, %d in two panels, %d missing, %d extra" % (name, int(butt_count.sum()), overlap,
                                                                        missing, extra))
        if butt_count.max() > 1 or overlap or missing or extra:
            failures.append("%s: %d cells in two panels, %d missing, %d beyond the tray" % (name, overlap, missing,
                                                                                           extra))

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
