#include "panel/screws.hpp"

#include <cmath>

#include "panel/frame.hpp"
#include "panel/hatching.hpp"
#include "panel/layout.hpp"
#include "panel/panel.hpp"

namespace {

// "(x,y)" in px, as the console lines give a screw's place.
std::string point_text(float x, float y) {
    std::string text = "(";
    text += format_float_as_str(mm_to_px(x), 2);
    text += ',';
    text += format_float_as_str(mm_to_px(y), 2);
    text += ')';
    return text;
}

// Radii in mm along x and y; they differ only where the kerf does.
void append_hole(std::string& svg, float x, float y, float rx, float ry, const LaserStyle& style,
                 std::ostream& out) {
    out << "Adding screw at position " << point_text(x, y) << std::endl;
    if (rx == ry) {
        open_circle(svg, mm_to_px(x), mm_to_px(y), mm_to_px(rx));
    } else {
        open_ellipse(svg, mm_to_px(x), mm_to_px(y), mm_to_px(rx), mm_to_px(ry));
    }
    svg += style.paint(Mark::cut);
    svg += "/>";
}

}  // namespace

float mm_to_px(float mm) { return (mm / 10.0f) * cm_to_px; }

ScrewLayout screw_layout(const std::string& section, const BoxSize& box, const Arguments& a) {
    ScrewLayout layout;
    const bool through_top = a.screw_size_top > 0 && (contains(section, "_Main") || contains(section, "_Top"));
    const bool through_bottom = a.screw_size_bottom > 0 && contains(section, "_Bottom");
    if (!through_top && !through_bottom) {
        return layout;
    }
    layout.takes_screws = true;
    const float diameter = through_bottom ? a.screw_size_bottom : a.screw_size_top;
    layout.hole_radius = diameter / 2;
    layout.head_radius = a.screw_head_diameter / 2;
    const float clearance = layout.head_radius >= layout.hole_radius ? layout.head_radius : layout.hole_radius;
    const float t = a.material_thickness;
    const float e = a.screw_extra_margin;
    const float inset = clearance + t + e;
    const float far_x = 10 * box.width - t - clearance - e;
    const float far_y = 10 * box.height - t - clearance - e;
    const float corners[4][2] = {{inset, inset}, {far_x, inset}, {inset, far_y}, {far_x, far_y}};
    for (int i = 0; i < 4; ++i) {
        layout.corners[i][0] = corners[i][0];
        layout.corners[i][1] = corners[i][1];
    }
    return layout;
}

void draw_screws(const std::string& section, const BoxSize& box, float pass_top, float pass_bottom, float pass_head,
                 const Arguments& args, const LaserStyle& style, SectionDocument& doc, std::ostream& out,
                 const Place& place) {
    const ScrewLayout layout = screw_layout(section, box, args);
    if (!layout.takes_screws) {
        return;
    }
    const float inset = layout.corners[0][0];
    const float reach = layout.head_radius > layout.hole_radius ? layout.head_radius : layout.hole_radius;
    for (float mm : {layout.hole_radius, layout.head_radius, inset, inset - reach, layout.corners[3][0] + reach,
                     layout.corners[3][1] + reach}) {
        if (!std::isfinite(mm_to_px(mm))) {
            fail_at(place, "", "the screw settings put the screws out of any drawable range");
        }
    }
    const bool holes = pass_top > 0 || pass_bottom > 0;
    if (holes && !kerf_leaves_hole(2 * layout.hole_radius, style.kerf_mm())) {
        fail_at(place, "", "screw holes: " + kerf_too_large(style, 2 * layout.hole_radius));
    }
    // The hole's line runs half the kerf inside its edge.
    const float radius_x = size_inside_kerf(2 * layout.hole_radius, style.kerf_x_mm()) / 2;
    const float radius_y = size_inside_kerf(2 * layout.hole_radius, style.kerf_y_mm()) / 2;
    const float step_mm = 1.0f / args.recess_lines_per_mm;
    for (const auto& corner : layout.corners) {
        const float x = corner[0];
        const float y = corner[1];
        if (holes) {
            append_hole(doc.svg, x, y, radius_x, radius_y, style, out);
        }
        if (pass_head > 0) {
            out << "Adding recess for screw: " << point_text(x, y) << std::endl;
            try {
                circle_hatch(doc, x, y, layout.head_radius, step_mm, mm_to_px, style);
            } catch (const HatchProblem& problem) {
                fail_at(place, "", std::string("screw head recess (--screw-head-diameter): ") + problem.what());
            }
        }
    }
}
