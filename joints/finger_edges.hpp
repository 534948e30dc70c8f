#pragma once

#include <array>
#include <vector>

#include "panel/box_places.hpp"
#include "panel/layout.hpp"
#include "panel/project.hpp"
#include "settings/arguments.hpp"

// Finger joints between the panels of the box. Where two panels meet, one of
// them (the covering panel) holds the T x T strip along the shared edge. The
// strip is split along its length into 2n + 1 equal segments: the covering
// panel keeps the two end segments and every second one between them (its
// edge gets notches), the covered panel fills the others (its edge gets
// fingers). The corners, where three panels meet, so stay with the covering
// panel, and the jointed box takes exactly the space of the butt-jointed one.

// The four edges of a panel's drawing, in the order the outline runs
// clockwise from the top-left corner.
enum class EdgeSide { top, right, bottom, left };
constexpr std::array<EdgeSide, 4> edge_sides = {EdgeSide::top, EdgeSide::right, EdgeSide::bottom, EdgeSide::left};
const char* edge_name(EdgeSide side);

enum class JointRole {
    none,     // the edge meets no other panel
    fingers,  // covered: fingers T long stand out of the edge
    notches,  // covering: notches T deep go into the edge
};

// The joint along one edge of a panel. Positions run along the edge's axis
// (x for the top and bottom edges, y for the sides), in mm from the panel's
// origin.
struct EdgeJoint {
    JointRole role = JointRole::none;
    SectionKind partner = SectionKind::face;  // the kind of panel the edge meets
    float start = 0;                          // where the covered panel's edge begins
    float length = 0;                         // the covered panel's edge: the strip that is split
    int pairs = 0;                            // n of the 2n + 1 segments; 0: too short, no joint

    bool jointed() const { return role != JointRole::none && pairs > 0; }
    float segment() const { return length / static_cast<float>(2 * pairs + 1); }
};

using PanelJoints = std::array<EdgeJoint, 4>;  // by EdgeSide

// Above this many fingers on one edge the segments grow beyond the finger
// width instead: a panel many metres long must not take millions of points.
constexpr int max_finger_pairs = 10000;

// n: the largest count whose 2n + 1 segments along `length` are each at
// least `width` long; 0 when fewer than three segments fit.
int finger_pairs(float length, float width);

// The finger width in use: --finger-width, or twice the material thickness.
float finger_width_mm(const Arguments& args);

// The place of the box the edge `side` of a panel of `kind` meets, with the
// panel's drawing put in the box so: a face with its top edge at the back and
// its left edge at the left, an end with its top edge at the top and its left
// edge at the left, a side with its left edge at the top and its top edge at
// the front.
BoxPlace partner_place(SectionKind kind, EdgeSide side);

// The joints of every edge of a panel of `kind`, for the box `box` (cm) with
// the material thickness, box height, sizing and finger width of `args`. An
// edge that would meet a place the box leaves open stays straight.
PanelJoints panel_joints(SectionKind kind, const BoxSize& box, const Arguments& args);

// The intervals [from, to] (mm along the edge's axis) where the covered
// panel's fingers, and so the covering panel's notches, lie.
struct Interval {
    float from;
    float to;
};
std::vector<Interval> finger_intervals(const EdgeJoint& joint);

struct Point {
    float x;
    float y;
};

// The closed outline of a panel of width x height px with its fingers and
// notches, running clockwise from the top-left corner; the last point is not
// repeated. Each notch is `play_px` wider than its fingers; the whole outline
// then lies half the kerf outside the nominal one: `kerf_x_px` / 2 at its
// vertical edges, `kerf_y_px` / 2 at its horizontal ones.
std::vector<Point> jointed_outline(float width_px, float height_px, const PanelJoints& joints, float thickness_px,
                                   float play_px, float kerf_x_px, float kerf_y_px);

// How far (mm) the fingers stand out of each side of the panel: T on an edge
// with fingers, 0 elsewhere.
struct FingerReach {
    float left = 0, top = 0, right = 0, bottom = 0;
};
FingerReach finger_reach(const PanelJoints& joints, float thickness_mm);
