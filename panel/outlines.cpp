#include "panel/outlines.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Point = Outline::Point;

// A w x h rectangle centred on the component, turned as its drawing turns it:
// SVG's rotate() with y downwards, so clockwise on the page.
std::optional<Outline> rectangle_outline(const Component& c, double w, double h) {
    if (!(w > 0 && h > 0)) {
        return std::nullopt;  // a rect without area is not drawn
    }
    Outline shape;
    shape.centre = {c.x, c.y};
    const double angle = c.rotation > 0 ? c.rotation * std::acos(-1.0) / 180.0 : 0.0;
    const double cos_a = std::cos(angle);
    const double sin_a = std::sin(angle);
    const Point half[4] = {{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}};
    for (int i = 0; i < 4; ++i) {
        shape.corners[i] = {c.x + half[i].x * cos_a - half[i].y * sin_a, c.y + half[i].x * sin_a + half[i].y * cos_a};
    }
    return shape;
}

struct Span {
    double low, high;
};

Span project(const Outline& shape, Point axis) {
    if (shape.round) {
        const double middle = shape.centre.x * axis.x + shape.centre.y * axis.y;
        return {middle - shape.radius, middle + shape.radius};
    }
    Span span{INFINITY, -INFINITY};
    for (const Point& p : shape.corners) {
        const double d = p.x * axis.x + p.y * axis.y;
        span = {std::min(span.low, d), std::max(span.high, d)};
    }
    return span;
}

void add_axis(std::vector<Point>& axes, double x, double y) {
    const double length = std::hypot(x, y);
    if (length > 0) {
        axes.push_back({x / length, y / length});
    }
}

void add_edge_normals(std::vector<Point>& axes, const Outline& shape) {
    for (int i = 0; i < 2; ++i) {
        const Point& a = shape.corners[i];
        const Point& b = shape.corners[i + 1];
        add_axis(axes, -(b.y - a.y), b.x - a.x);
    }
}

// A circle is separated from a rectangle, if at all, along one of the
// rectangle's edge normals or along the line to its nearest corner.
void add_circle_axis(std::vector<Point>& axes, const Outline& circle, const Outline& other) {
    if (other.round) {
        add_axis(axes, other.centre.x - circle.centre.x, other.centre.y - circle.centre.y);
        return;
    }
    const Point* nearest = &other.corners[0];
    for (const Point& p : other.corners) {
        if (std::hypot(p.x - circle.centre.x, p.y - circle.centre.y) <
            std::hypot(nearest->x - circle.centre.x, nearest->y - circle.centre.y)) {
            nearest = &p;
        }
    }
    add_axis(axes, nearest->x - circle.centre.x, nearest->y - circle.centre.y);
}

}  // namespace

Outline circle_outline(double cx, double cy, double radius) {
    Outline shape;
    shape.round = true;
    shape.centre = {cx, cy};
    shape.radius = radius;
    return shape;
}

std::optional<Outline> cutout_outline(const Component& c) {
    if (c.has("drill_diameter") && c.drill_diameter > 0) {
        return circle_outline(c.x, c.y, c.drill_diameter / 2.0);
    }
    if (c.has("drill_width") && c.has("drill_height")) {
        return rectangle_outline(c, c.drill_width, c.drill_height);
    }
    return std::nullopt;
}

std::optional<Outline> recess_outline(const Component& c) {
    if (c.has("visible_diameter") && c.visible_diameter >= 0) {
        if (c.visible_diameter == 0) return std::nullopt;
        return circle_outline(c.x, c.y, c.visible_diameter / 2.0);
    }
    if (c.has("visible_height") && c.has("visible_width")) {
        return rectangle_outline(c, c.visible_width, c.visible_height);
    }
    return std::nullopt;
}

Bounds bounds_of(const Outline& shape) {
    if (shape.round) {
        return {shape.centre.x - shape.radius, shape.centre.y - shape.radius, shape.centre.x + shape.radius,
                shape.centre.y + shape.radius};
    }
    Bounds b{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const Point& p : shape.corners) {
        b = {std::min(b.left, p.x), std::min(b.top, p.y), std::max(b.right, p.x), std::max(b.bottom, p.y)};
    }
    return b;
}

// Separating axes: two convex areas are apart exactly when their shadows on
// one of these axes are apart.
bool outlines_overlap(const Outline& a, const Outline& b, double slack) {
    std::vector<Point> axes;
    if (!a.round) add_edge_normals(axes, a);
    if (!b.round) add_edge_normals(axes, b);
    if (a.round) add_circle_axis(axes, a, b);
    if (b.round) add_circle_axis(axes, b, a);
    for (const Point& axis : axes) {
        const Span sa = project(a, axis);
        const Span sb = project(b, axis);
        if (sa.high <= sb.low + slack || sb.high <= sa.low + slack) {
            return false;
        }
    }
    return true;
}
