#pragma once

#include <string>

#include "panel/laser_style.hpp"
#include "panel/project.hpp"

// Appends the contour the laser cuts for a component: a circle for a drilled
// hole, else a rectangle (turned about its centre when rotated), else nothing.
// With a kerf the contour runs half the kerf inside the hole's edge; a kerf
// that leaves no hole is refused with a RunError naming the component.
// A named part's extra holes follow the cut-out (panel/part_holes.hpp).
void draw_cutout(const Component& c, const LaserStyle& style, std::string& svg);
