#pragma once

#include <optional>
#include <string>
#include <vector>

// One extra hole of a part, placed relative to the part's centre before the
// component turns it: a round hole, or a rectangle for a tab or a pin slot.
// Millimetres, x to the right and y downwards as on the page.
struct PartHole {
    double x = 0;
    double y = 0;
    bool round = true;
    double diameter = 0;  // round holes
    double width = 0;     // rectangles
    double height = 0;
};

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
