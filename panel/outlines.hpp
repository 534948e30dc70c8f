#pragma once

#include <array>
#include <optional>

#include "panel/project.hpp"

// The ground a cut-out, a recess or a screw takes on its panel, in px: a
// circle, or a rectangle given by its corners (turned rectangles included).
struct Outline {
    struct Point {
        double x;
        double y;
    };
    bool round = false;
    Point centre{};
    double radius = 0;
    std::array<Point, 4> corners{};
};

struct Bounds {
    double left, top, right, bottom;
};

Outline circle_outline(double cx, double cy, double radius);

// What the components layer cuts for a component, by the same rules that
// choose its shape; nothing when no shape with an area is cut.
std::optional<Outline> cutout_outline(const Component& c);
// What the recess layer engraves for a component; nothing when no area is.
std::optional<Outline> recess_outline(const Component& c);

Bounds bounds_of(const Outline& shape);

// True when the two areas share more than a touching edge (by `slack` px).
bool outlines_overlap(const Outline& a, const Outline& b, double slack);
