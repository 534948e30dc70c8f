#pragma once

#include <ostream>
#include <string>

#include "kicad/footprint_map.hpp"

// Prints every footprint of the board file: reference, library ID, value,
// position (mm), rotation (degrees, counter-clockwise as in KiCad), side and
// the part it becomes by its "Panel" property or the shipped map, or "not
// placed". Throws RunError naming the file (and line) when it cannot be read.
void print_board_list(const std::string& path, const FootprintMap* shipped, std::ostream& out);
