#include "joints/finger_edges.hpp"

#include <cmath>
#include <utility>

#include "panel/screws.hpp"

const char* edge_name(EdgeSide side) {
    switch (side) {
        case EdgeSide::top: return "top";
        case EdgeSide::right: return "right";
        case EdgeSide::bottom: return "bottom";
        case EdgeSide::left: return "left";
    }
    return "";
}

int finger_pairs(float length, float width) {
    if (!(width > 0) || !(length > 0) || !std::isfinite(length)) return 0;
    // Both panels of a joint compute the same length, but a ratio that lands
    // on a whole number must not fall just below it by rounding.
    const double segments = static_cast<double>(length) / width * (1 + 1e-6);
    const double pairs = std::floor((segments - 1) / 2);
    if (pairs < 1) return 0;
    return pairs > max_finger_pairs ? max_finger_pairs : static_cast<int>(pairs);
}

float finger_width_mm(const Arguments& args) {
    return args.finger_width > 0 ? args.finger_width : 2 * args.material_thickness;
}

namespace {

// One joint along an edge: the covered panel's edge of `length` begins
// `start` mm from the panel's origin.
EdgeJoint joint(JointRole role, SectionKind partner, float start, float length, float width) {
    return {role, partner, start, length, finger_pairs(length, width)};
}

}  // namespace

BoxPlace partner_place(SectionKind kind, EdgeSide side) {
    using P = BoxPlace;
    // top, right, bottom, left; see the header for how each panel stands.
    constexpr P face[] = {P::back, P::right, P::front, P::left};
    constexpr P end[] = {P::top, P::right, P::bottom, P::left};
    constexpr P wall_side[] = {P::front, P::bottom, P::back, P::top};
    const auto i = static_cast<std::size_t>(side);
    switch (kind) {
        case SectionKind::face: return face[i];
        case SectionKind::end: return end[i];
        case SectionKind::side: break;
    }
    return wall_side[i];
}

namespace {

// Each strip's length is computed once, from the box, so that the two panels
// of a joint split it at the same places.
PanelJoints closed_box_joints(SectionKind kind, const BoxSize& box, const Arguments& args) {
    const float t = args.material_thickness;
    const float bh = args.box_height_3d;
    const float w = box.width * 10.0f;
    const float h = box.height * 10.0f;
    const float fw = finger_width_mm(args);
    using R = JointRole;
    using K = SectionKind;
    // top, right, bottom, left
    if (!args.outer_sizing) {
        // The faces sit inside the walls; the ends cover the faces' W edges,
        // the sides cover the ends and the faces' H edges.
        const float corner = bh + 2 * t;  // the vertical corners
        switch (kind) {
            case K::face:
                return {joint(R::fingers, K::end, 0, w, fw), joint(R::fingers, K::side, 0, h, fw),
                        joint(R::fingers, K::end, 0, w, fw), joint(R::fingers, K::side, 0, h, fw)};
            case K::end:
                return {joint(R::notches, K::face, 0, w, fw), joint(R::fingers, K::side, 0, corner, fw),
                        joint(R::notches, K::face, 0, w, fw), joint(R::fingers, K::side, 0, corner, fw)};
            case K::side:
                // The drawing's x axis runs along the wall's height.
                return {joint(R::notches, K::end, 0, corner, fw), joint(R::notches, K::face, t, h, fw),
                        joint(R::notches, K::end, 0, corner, fw), joint(R::notches, K::face, t, h, fw)};
        }
    }
    // Outer sizing: the faces cover the walls' edges, the sides cover the ends.
    const float corner = bh - 2 * t;
    const float end_width = w - 2 * t;
    switch (kind) {
        case K::face:
            return {joint(R::notches, K::end, t, end_width, fw), joint(R::notches, K::side, 0, h, fw),
                    joint(R::notches, K::end, t, end_width, fw), joint(R::notches, K::side, 0, h, fw)};
        case K::end:
            return {joint(R::fingers, K::face, 0, end_width, fw), joint(R::fingers, K::side, 0, corner, fw),
                    joint(R::fingers, K::face, 0, end_width, fw), joint(R::fingers, K::side, 0, corner, fw)};
        case K::side:
            break;
    }
    return {joint(R::notches, K::end, 0, corner, fw), joint(R::fingers, K::face, 0, h, fw),
            joint(R::notches, K::end, 0, corner, fw), joint(R::fingers, K::face, 0, h, fw)};
}

}  // namespace

PanelJoints panel_joints(SectionKind kind, const BoxSize& box, const Arguments& args) {
    PanelJoints joints = closed_box_joints(kind, box, args);
    for (EdgeSide side : edge_sides) {
        if (!box.places.has(partner_place(kind, side))) joints[static_cast<std::size_t>(side)].role = JointRole::none;
    }
    return joints;
}

std::vector<Interval> finger_intervals(const EdgeJoint& joint) {
    std::vector<Interval> fingers;
    if (!joint.jointed()) return fingers;
    const float s = joint.segment();
    fingers.reserve(static_cast<std::size_t>(joint.pairs));
    for (int k = 0; k < joint.pairs; ++k) {
        fingers.push_back({joint.start + static_cast<float>(2 * k + 1) * s,
                           joint.start + static_cast<float>(2 * k + 2) * s});
    }
    return fingers;
}

FingerReach finger_reach(const PanelJoints& joints, float thickness_mm) {
    const auto reach = [&](EdgeSide side) {
        const EdgeJoint& j = joints[static_cast<std::size_t>(side)];
        return j.jointed() && j.role == JointRole::fingers ? thickness_mm : 0.0f;
    };
    return {reach(EdgeSide::left), reach(EdgeSide::top), reach(EdgeSide::right), reach(EdgeSide::bottom)};
}

namespace {

// A point `out` px outside the edge at `along` px on its axis. Subtracting
// from zero keeps a point on the edge at 0, where negating would write -0.00.
Point on_edge(EdgeSide side, float along, float out, float width, float height) {
    switch (side) {
        case EdgeSide::top: return {along, 0.0f - out};
        case EdgeSide::right: return {width + out, along};
        case EdgeSide::bottom: return {along, height + out};
        case EdgeSide::left: return {0.0f - out, along};
    }
    return {};
}

void append_edge(std::vector<Point>& points, EdgeSide side, const EdgeJoint& joint, float width, float height,
                 float thickness_px, float play_px) {
    const bool fingers = joint.role == JointRole::fingers;
    const float out = fingers ? thickness_px : -thickness_px;
    const float widen = fingers ? 0.0f : play_px / 2;
    std::vector<Interval> spans = finger_intervals(joint);
    // The bottom and left edges run backwards.
    const bool backwards = side == EdgeSide::bottom || side == EdgeSide::left;
    const std::size_t count = spans.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Interval& span = spans[backwards ? count - 1 - i : i];
        float from = mm_to_px(span.from) - widen;
        float to = mm_to_px(span.to) + widen;
        if (backwards) std::swap(from, to);
        points.push_back(on_edge(side, from, 0, width, height));
        points.push_back(on_edge(side, from, out, width, height));
        points.push_back(on_edge(side, to, out, width, height));
        points.push_back(on_edge(side, to, 0, width, height));
    }
}

float sign(float v) { return v > 0 ? 1.0f : v < 0 ? -1.0f : 0.0f; }

// Every outline edge is horizontal or vertical. Moves each vertical edge
// `along_x` and each horizontal one `along_y` outwards (to the left of travel
// is inside, with y downwards and the outline running clockwise on the page).
std::vector<Point> grown(const std::vector<Point>& points, float along_x, float along_y) {
    const std::size_t count = points.size();
    std::vector<Point> result(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Point& prev = points[(i + count - 1) % count];
        const Point& here = points[i];
        const Point& next = points[(i + 1) % count];
        // Outward normals (dy, -dx) of the edge in and the edge out.
        const Point in{sign(here.y - prev.y), -sign(here.x - prev.x)};
        const Point out{sign(next.y - here.y), -sign(next.x - here.x)};
        result[i] = {here.x + along_x * (in.x + out.x), here.y + along_y * (in.y + out.y)};
    }
    return result;
}

// Drops repeated points and points in the middle of a straight run, so that
// every point left is a corner.
std::vector<Point> corners_only(const std::vector<Point>& points) {
    std::vector<Point> unique;
    for (const Point& p : points) {
        if (unique.empty() || unique.back().x != p.x || unique.back().y != p.y) unique.push_back(p);
    }
    while (unique.size() > 1 && unique.back().x == unique.front().x && unique.back().y == unique.front().y) {
        unique.pop_back();
    }
    std::vector<Point> corners;
    const std::size_t count = unique.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Point& prev = unique[(i + count - 1) % count];
        const Point& here = unique[i];
        const Point& next = unique[(i + 1) % count];
        const bool straight = (prev.x == here.x && here.x == next.x) || (prev.y == here.y && here.y == next.y);
        if (!straight) corners.push_back(here);
    }
    return corners;
}

}  // namespace

std::vector<Point> jointed_outline(float width_px, float height_px, const PanelJoints& joints, float thickness_px,
                                   float play_px, float kerf_x_px, float kerf_y_px) {
    std::vector<Point> points;
    const Point corner_after[4] = {{width_px, 0}, {width_px, height_px}, {0, height_px}, {0, 0}};
    points.push_back({0, 0});
    for (EdgeSide side : edge_sides) {
        const auto i = static_cast<std::size_t>(side);
        append_edge(points, side, joints[i], width_px, height_px, thickness_px, play_px);
        points.push_back(corner_after[i]);
    }
    points = corners_only(points);
    if (!(kerf_x_px > 0) && !(kerf_y_px > 0)) return points;
    return grown(points, kerf_x_px > 0 ? kerf_x_px / 2 : 0.0f, kerf_y_px > 0 ? kerf_y_px / 2 : 0.0f);
}
