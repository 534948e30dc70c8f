#include "panel/cutouts.hpp"

#include "panel/frame.hpp"

void draw_cutout(const Component& c, std::string& svg) {
    if (c.has("drill_diameter") && c.drill_diameter > 0) {
        open_circle(svg, c.x, c.y, c.drill_diameter / 2);
        svg += " fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>";
        return;
    }
    if (!c.has("drill_width") || !c.has("drill_height")) {
        return;
    }
    const float w = c.drill_width;
    const float h = c.drill_height;
    const bool turned = c.rotation > 0;
    open_rect(svg, turned ? -w / 2 : c.x - w / 2, turned ? -h / 2 : c.y - h / 2, w, h);
    svg += " fill=\"none\" stroke=\"black\" stroke-width=\"1\"";
    if (turned) {
        append_turn(svg, c.x, c.y, c.rotation);
    }
    svg += "/>";
}
