#include "panel/cutouts.hpp"

#include "panel/frame.hpp"
#include "panel/panel.hpp"
#include "panel/part_holes.hpp"

namespace {

// A kerf that leaves no hole is refused.
float checked_size(const Component& c, const char* key, float size, const LaserStyle& style) {
    if (!kerf_leaves_hole(size, style.kerf_px())) {
        fail_at(c.place, key, kerf_too_large(style, size / cm_to_px * 10.0f));
    }
    return size;
}

void draw_main_cutout(const Component& c, const LaserStyle& style, std::string& svg) {
    if (c.has("drill_diameter") && c.drill_diameter > 0) {
        open_round_hole(svg, c.x, c.y, checked_size(c, "drill_diameter", c.drill_diameter, style), style);
        svg += style.paint(Mark::cut);
        svg += "/>";
        return;
    }
    if (!c.has("drill_width") || !c.has("drill_height")) {
        return;
    }
    const bool turned = c.rotation > 0;
    const float width = checked_size(c, "drill_width", c.drill_width, style);
    const float height = checked_size(c, "drill_height", c.drill_height, style);
    const auto [w, h] = sides_inside_kerf(width, height, turned ? c.rotation : 0, style);
    open_rect(svg, turned ? -w / 2 : c.x - w / 2, turned ? -h / 2 : c.y - h / 2, w, h);
    svg += style.paint(Mark::cut);
    if (turned) {
        append_turn(svg, c.x, c.y, c.rotation);
    }
    svg += "/>";
}

}  // namespace

void draw_cutout(const Component& c, const LaserStyle& style, std::string& svg) {
    draw_main_cutout(c, style, svg);
    draw_part_holes(c, style, svg);
}
