#pragma once

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
