#pragma once

#include <string>

#include "panel/project.hpp"

// Appends the contour the laser cuts for a component: a circle for a drilled
// hole, else a rectangle (turned about its centre when rotated), else nothing.
void draw_cutout(const Component& c, std::string& svg);
