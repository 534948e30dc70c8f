#pragma once

#include <string>
#include <vector>

#include "panel/laser_style.hpp"
#include "panel/outlines.hpp"
#include "panel/project.hpp"

// A part's extra hole where it lands on the panel, in px: its centre turned
// with the component about the component's centre, and its size.
struct PlacedHole {
    bool round = true;
    float x = 0;
    float y = 0;
    float diameter = 0;
    float width = 0;
    float height = 0;
};

// The component's extra holes on the page. They turn as the component's
// rectangles do: by its rotation when that is above 0, clockwise on the page.
std::vector<PlacedHole> place_part_holes(const Component& c);

// Appends the extra holes after the component's cut-out: circles, and
// rectangles (turned with the component) for tabs and slots, cut like the
// cut-out, kerf included. A kerf that leaves no hole is refused with a
// RunError naming the component and its "part".
void draw_part_holes(const Component& c, const LaserStyle& style, std::string& svg);

// The ground the extra holes take, for the design warnings.
std::vector<Outline> part_hole_outlines(const Component& c);

// What a maker calls an extra hole of this shape: a round one takes a screw,
// a rectangle a tab or lug.
const char* part_hole_name(const Outline& hole);

// The extra holes the parts library kept in a component; none for a component
// without a part.
std::vector<PartHole> resolved_part_holes(const nlohmann::json& component);
