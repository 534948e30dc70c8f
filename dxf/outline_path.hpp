#pragma once

#include <string_view>
#include <vector>

#include "dxf/dxf_writer.hpp"
#include "dxf/transform.hpp"

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
