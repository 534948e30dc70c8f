#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kicad/board.hpp"
#include "kicad/footprint_map.hpp"

// A board item's own "map": glob patterns ("*" any run, "?" one character)
// tried in key order on the footprint's library ID, then on its value.
using PatternMap = std::vector<std::pair<std::string, Mapping>>;

bool glob_matches(std::string_view pattern, std::string_view text);

// The part a footprint becomes, first found wins: its "Panel" property (with
// "Panel_Offset" "X Y" in mm and "Panel_Rotation" in degrees), the item's
// map, the shipped map; none for any other footprint. Throws
// BoardReadError at the footprint's line for a property it cannot read.
std::optional<Mapping> choose_mapping(const Footprint& footprint, const PatternMap& patterns,
                                      const FootprintMap* shipped);
