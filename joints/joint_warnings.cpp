#include "joints/joint_warnings.hpp"

#include <optional>

#include "joints/finger_edges.hpp"
#include "panel/design_warning.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"
#include "panel/outlines.hpp"
#include "panel/panel.hpp"
#include "panel/part_holes.hpp"
#include "panel/screws.hpp"

namespace {

// Shapes closer than this (px) to the strip only touch it.
constexpr double slack_px = 0.01;

void warn(std::ostream& err, const Place& place, const std::string& problem) {
    write_design_warning(err, place, "", problem);
}

std::string cm_text(float mm) { return format_float_as_str(mm / 10.0f, 2); }

const char* partner_name(SectionKind kind) {
    switch (kind) {
        case SectionKind::face: return "a face";
        case SectionKind::end: return "an end";
        case SectionKind::side: return "a side";
    }
    return "";
}

// How far the shape reaches past the inner line of the strip along `side`.
bool reaches_strip(const Bounds& b, EdgeSide side, double strip, double width, double height) {
    switch (side) {
        case EdgeSide::top: return b.top < strip - slack_px;
        case EdgeSide::right: return b.right > width - strip + slack_px;
        case EdgeSide::bottom: return b.bottom > height - strip + slack_px;
        case EdgeSide::left: return b.left < strip - slack_px;
    }
    return false;
}

void warn_in_strip(const Place& place, const char* what, const std::optional<Outline>& shape,
                   const PanelJoints& joints, float thickness_mm, double width, double height, std::ostream& err) {
    if (!shape) return;
    const Bounds b = bounds_of(*shape);
    for (EdgeSide side : edge_sides) {
        if (!joints[static_cast<std::size_t>(side)].jointed()) continue;
        if (reaches_strip(b, side, mm_to_px(thickness_mm), width, height)) {
            warn(err, place,
                 std::string(what) + " reaches into the finger joint along the " + edge_name(side) + " edge (within " +
                     cm_text(thickness_mm) + " cm of it)");
        }
    }
}

}  // namespace

void warn_about_joints(const std::string& key, const json& section, const BoxSize& box, const Arguments& args,
                       const Place& place, std::ostream& err) {
    if (!args.finger_joints) return;
    const SectionKind kind = section_kind(key);
    const PanelJoints joints = panel_joints(kind, box, args);
    for (EdgeSide side : edge_sides) {
        const EdgeJoint& joint = joints[static_cast<std::size_t>(side)];
        if (joint.role != JointRole::none && joint.pairs == 0) {
            warn(err, place,
                 std::string("the ") + edge_name(side) + " edge, where it meets " + partner_name(joint.partner) +
                     ", gets no finger joint: its joint is " + cm_text(joint.length) +
                     " cm long, too short for three segments of at least " + cm_text(finger_width_mm(args)) +
                     " cm (--finger-width)");
        }
    }
    const PanelSize size = panel_size(kind, box.width, box.height, args.material_thickness, args.box_height_3d,
                                      args.outer_sizing);
    const double width = static_cast<double>(size.width * cm_to_px);
    const double height = static_cast<double>(size.height * cm_to_px);
    for (const auto& [component_key, value] : section_members(section, place)) {
        const Component c = read_component(component_key, *value, place);
        warn_in_strip(c.place, "the cut-out", cutout_outline(c), joints, args.material_thickness, width, height, err);
        warn_in_strip(c.place, "the recess", recess_outline(c), joints, args.material_thickness, width, height, err);
        for (const Outline& hole : part_hole_outlines(c)) {
            const std::string what = std::string("a ") + part_hole_name(hole) + " of the part";
            warn_in_strip(c.place, what.c_str(), hole, joints, args.material_thickness, width, height, err);
        }
    }
}
