#pragma once

#include <string_view>
#include <vector>

#include "dxf/dxf_writer.hpp"
#include "dxf/transform.hpp"

// What SVG path data draws, piece by piece, with every point already mapped
// to millimetres; quadratic curves stay quadratic.
class PathPieces {
public:
    virtual ~PathPieces() = default;
    virtual void move(MmPoint p) = 0;
    virtual void line(MmPoint p) = 0;
    virtual void quad(MmPoint c, MmPoint p) = 0;
    virtual void cubic(MmPoint c1, MmPoint c2, MmPoint p) = 0;
    // "Z": the pen goes back to the subpath's start.
    virtual void close() = 0;
};

// Reads SVG path data (M L H V Q T C S A Z, absolute and relative), mapped by
// `to_mm`, into `pieces`. Arcs come as straight pieces that stray no more
// than `arc_tolerance_mm` from them. Throws std::runtime_error for path data
// it cannot read.
void read_path(std::string_view d, const Affine& to_mm, PathPieces& pieces, double arc_tolerance_mm = 0.001);

// The closed outlines of SVG path data, mapped by `to_mm` and with their
// curves flattened to straight pieces that stay within `tolerance_mm` of the
// curve. Every outline must be closed, by "Z" or by ending where it began;
// throws std::runtime_error for an open one and for path data it cannot read.
std::vector<std::vector<MmPoint>> closed_outlines(std::string_view d, const Affine& to_mm, double tolerance_mm);

// One subpath of path data, flattened as above.
struct PathLine {
    std::vector<MmPoint> points;
    bool closed = false;
};

// Every subpath, open ones too: engraved lines need not be closed.
std::vector<PathLine> path_lines(std::string_view d, const Affine& to_mm, double tolerance_mm);
