#pragma once

#include <optional>
#include <string>
#include <vector>

#include "panel/part_hole.hpp"

// A named panel part: its cut-out, its visible area and its extra holes, in
// millimetres as the data sheets give them, and where the sizes come from.
struct Part {
    std::string name;
    std::string description;
    std::string source;
    std::optional<double> drill_diameter;
    std::optional<double> drill_width;
    std::optional<double> drill_height;
    std::optional<double> visible_diameter;
    std::optional<double> visible_width;
    std::optional<double> visible_height;
    std::vector<PartHole> holes;
};
