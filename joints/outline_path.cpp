#include "joints/outline_path.hpp"

#include "panel/frame.hpp"
#include "panel/panel.hpp"
#include "panel/screws.hpp"

void append_outline_path(std::string& out, const std::vector<Point>& points, const std::string& paint) {
    out += "<path d=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        out += i == 0 ? "M" : " L";
        append_float(out, points[i].x);
        out += ',';
        append_float(out, points[i].y);
    }
    out += " Z\"";
    out += paint;
    out += "/>";
}

std::string draw_jointed_board(SectionKind kind, float width_cm, float height_cm, bool outline, const BoxSize& box,
                               const Arguments& args, const LaserStyle& style) {
    if (!outline) {
        return {};
    }
    const PanelJoints joints = panel_joints(kind, box, args);
    const std::vector<Point> points =
        jointed_outline(cm_to_px * width_cm, cm_to_px * height_cm, joints, mm_to_px(args.material_thickness),
                        mm_to_px(args.finger_play), style.kerf_x_px(), style.kerf_y_px());
    std::string board;
    append_outline_path(board, points, style.paint(Mark::border));
    return board;
}

PageMargins finger_margins(SectionKind kind, const BoxSize& box, const Arguments& args) {
    if (!args.finger_joints) {
        return {};
    }
    const FingerReach reach = finger_reach(panel_joints(kind, box, args), args.material_thickness);
    return {reach.left, reach.top, reach.right, reach.bottom};
}
