#include "panel/part_holes.hpp"

#include <cmath>

#include "panel/frame.hpp"
#include "panel/panel.hpp"

namespace {

float mm_px(double mm) { return static_cast<float>(mm / 10.0) * cm_to_px; }

bool turned(const Component& c) { return c.rotation > 0; }

double angle_of(const Component& c) { return turned(c) ? c.rotation * std::acos(-1.0) / 180.0 : 0.0; }

// A kerf that leaves no hole is refused.
float checked_size(const Component& c, float size, const LaserStyle& style) {
    if (!kerf_leaves_hole(size, style.kerf_px())) {
        fail_at(c.place, "part", kerf_too_large(style, size / cm_to_px * 10.0f));
    }
    return size;
}

}  // namespace

std::vector<PlacedHole> place_part_holes(const Component& c) {
    std::vector<PlacedHole> placed;
    const double angle = angle_of(c);
    const double cos_a = std::cos(angle);
    const double sin_a = std::sin(angle);
    for (const PartHole& h : c.part_holes) {
        const double dx = mm_px(h.x);
        const double dy = mm_px(h.y);
        PlacedHole p;
        p.round = h.round;
        p.x = c.x + static_cast<float>(dx * cos_a - dy * sin_a);
        p.y = c.y + static_cast<float>(dx * sin_a + dy * cos_a);
        p.diameter = mm_px(h.diameter);
        p.width = mm_px(h.width);
        p.height = mm_px(h.height);
        placed.push_back(p);
    }
    return placed;
}

void draw_part_holes(const Component& c, const LaserStyle& style, std::string& svg) {
    for (const PlacedHole& h : place_part_holes(c)) {
        if (h.round) {
            open_round_hole(svg, h.x, h.y, checked_size(c, h.diameter, style), style);
            svg += style.paint(Mark::cut);
            svg += "/>";
            continue;
        }
        const float width = checked_size(c, h.width, style);
        const float height = checked_size(c, h.height, style);
        const auto [w, hh] = sides_inside_kerf(width, height, turned(c) ? c.rotation : 0, style);
        if (turned(c)) {
            open_rect(svg, -w / 2, -hh / 2, w, hh);
            svg += style.paint(Mark::cut);
            append_turn(svg, h.x, h.y, c.rotation);
        } else {
            open_rect(svg, h.x - w / 2, h.y - hh / 2, w, hh);
            svg += style.paint(Mark::cut);
        }
        svg += "/>";
    }
}

std::vector<Outline> part_hole_outlines(const Component& c) {
    std::vector<Outline> outlines;
    const double angle = angle_of(c);
    const double cos_a = std::cos(angle);
    const double sin_a = std::sin(angle);
    for (const PlacedHole& h : place_part_holes(c)) {
        if (h.round) {
            outlines.push_back(circle_outline(h.x, h.y, h.diameter / 2.0));
            continue;
        }
        Outline shape;
        shape.centre = {h.x, h.y};
        const double w = h.width;
        const double hh = h.height;
        const Outline::Point half[4] = {{-w / 2, -hh / 2}, {w / 2, -hh / 2}, {w / 2, hh / 2}, {-w / 2, hh / 2}};
        for (int i = 0; i < 4; ++i) {
            shape.corners[i] = {h.x + half[i].x * cos_a - half[i].y * sin_a, h.y + half[i].x * sin_a + half[i].y * cos_a};
        }
        outlines.push_back(shape);
    }
    return outlines;
}

const char* part_hole_name(const Outline& hole) { return hole.round ? "screw hole" : "slot"; }

std::vector<PartHole> resolved_part_holes(const nlohmann::json& component) {
    std::vector<PartHole> holes;
    auto it = component.find("part");
    if (it == component.end() || !it->is_object()) return holes;
    for (const nlohmann::json& h : it->at("holes")) {
        PartHole hole;
        hole.x = h[0].get<double>();
        hole.y = h[1].get<double>();
        hole.round = h.size() == 3;
        if (hole.round) {
            hole.diameter = h[2].get<double>();
        } else {
            hole.width = h[2].get<double>();
            hole.height = h[3].get<double>();
        }
        holes.push_back(hole);
    }
    return holes;
}
