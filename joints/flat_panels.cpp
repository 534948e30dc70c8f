#include "joints/flat_panels.hpp"

#include <cmath>

#include "joints/finger_edges.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"

namespace {

// Below the 0.01 px the drawings are written with: a body exactly as thick as
// the material is no sliver.
constexpr float slack_mm = 0.001f;

float notch_depth(const PanelJoints& joints, EdgeSide side, float thickness) {
    const EdgeJoint& joint = joints[static_cast<std::size_t>(side)];
    return joint.jointed() && joint.role == JointRole::notches ? thickness : 0.0f;
}

std::string cm(float cm_value) { return format_float_as_str(cm_value, 2); }

}  // namespace

void refuse_flat_panels(const json& project, const BoxSize& box, const Arguments& args, const std::string& path) {
    if (!args.finger_joints || !project.is_object()) return;
    const float t = args.material_thickness;
    for (const auto& [key, section] : project.items()) {
        if (!is_section_key(key)) continue;
        const SectionKind kind = section_kind(key);
        const PanelSize size = panel_size(kind, box.width, box.height, t, args.box_height_3d, args.outer_sizing);
        if (!std::isfinite(size.width) || !std::isfinite(size.height) || size.width < 0 || size.height < 0) continue;
        const PanelJoints joints = panel_joints(kind, box, args);
        // Fingers stand outside the panel's size, notches cut into it.
        const float across =
            size.width * 10.0f - notch_depth(joints, EdgeSide::left, t) - notch_depth(joints, EdgeSide::right, t);
        const float down =
            size.height * 10.0f - notch_depth(joints, EdgeSide::top, t) - notch_depth(joints, EdgeSide::bottom, t);
        const bool between_sides = across < down;
        const float body = between_sides ? across : down;
        if (body + slack_mm >= t) continue;
        fail_at(Place{path, key, {}}, "",
                "with --finger-joints the panel (" + cm(size.width) + " x " + cm(size.height) + " cm) keeps " +
                    cm(std::fmax(body, 0.0f) / 10.0f) + " cm of material between the joints of its " +
                    (between_sides ? "left and right" : "top and bottom") +
                    " edges, less than the material thickness (" + cm(t / 10.0f) +
                    " cm): it would come apart into loose fingers (check --box-height-3d, --material-thickness and "
                    "--outer-sizing)");
    }
}
