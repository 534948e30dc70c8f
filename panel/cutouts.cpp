#include "panel/cutouts.hpp"

#include "panel/frame.hpp"
#include "panel/panel.hpp"
#include "panel/part_holes.hpp"

namespace {

// A cut-out's size as drawn for the kerf; a kerf that leaves no hole is refused.
float drawn_size(const Component& c, const char* key, float size, const LaserStyle& style) {
    if (!kerf_leaves_hole(size, style.kerf_px())) {
        fail_at(c.place, key, kerf_too_large(style, size / cm_to_px * 10.0f));
    }
    return size_inside_kerf(size, style.kerf_px());
}

void draw_main_cutout(const Component& c, const LaserStyle& style, std::string& svg) {
    if (c.has("drill_diameter") && c.drill_diameter > 0) {
        open_circle(svg, c.x, c.y, drawn_size(c, "drill_diameter", c.drill_diameter, style) / 2);
        svg += style.paint(Mark::cut);
        svg += "/>";
        return;
    }
    if (!c.has("drill_width") || !c.has("drill_height")) {
        return;
    }
    const float w = drawn_size(c, "drill_width", c.drill_width, style);
    const float h = drawn_size(c, "drill_height", c.drill_height, style);
    const bool turned = c.rotation > 0;
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
