#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "panel/outlines.hpp"

// Every pair of shapes that overlap (outlines_overlap with `slack`), as
// (lower index, higher index), when there are at most `most` of them; empty
// when there are more. Rectangles are compared in a frame turned with them,
// where their boxes fit them closely, so that long thin shapes turned alike
// (rows of slots at 45 degrees) are not all compared with one another.
// Empty too for layouts it does not speed up (many different turns).
std::optional<std::vector<std::pair<std::size_t, std::size_t>>> few_overlapping_pairs(
    const std::vector<Outline>& shapes, std::size_t most, double slack);
