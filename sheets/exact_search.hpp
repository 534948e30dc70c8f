#pragma once

#include <cstddef>
#include <vector>

#include "sheets/free_space.hpp"

// Whether the panels fit one sheet together (no gaps: the caller grows them),
// decided by trying every panel, both ways, at every corner of the staircase
// the panels placed so far leave (the corner-point search of Martello and
// Vigo, which misses no packing). Each step taken comes off `steps_left`;
// when none is left the search gives up with `stopped` set and answers false.
// On success `layout` holds each panel's rectangle, in the panels' order.
bool fits_one_sheet(const std::vector<Extent>& panels, Extent sheet, std::size_t& steps_left, bool& stopped,
                    std::vector<Rect>& layout);
