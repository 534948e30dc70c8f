#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "panel/outlines.hpp"

// A box with the index of the shape it holds.
struct Boxed {
    std::size_t index;
    Bounds bounds;
};

// Calls `meet(earlier, current)` with the indices of every pair of boxes that
// overlap, sweeping left to right with the open boxes kept by their top edge,
// so that only neighbours meet; `earlier` is the box the sweep opened first.
// Once `meet` returns false the sweep ends before its next box.
void sweep_overlapping_boxes(std::vector<Boxed> boxes, const std::function<bool(std::size_t, std::size_t)>& meet);

// Every pair of shapes that overlap (outlines_overlap with `slack`), as
// (lower index, higher index), when there are at most `most` of them; empty
// when there are more. Rectangles are compared in a frame turned with them,
// where their boxes fit them closely, so that long thin shapes turned alike
// (rows of slots at 45 degrees) are not all compared with one another.
// Empty too for layouts it does not speed up (many different turns).
std::optional<std::vector<std::pair<std::size_t, std::size_t>>> few_overlapping_pairs(
    const std::vector<Outline>& shapes, std::size_t most, double slack);
