#pragma once

#include <ostream>
#include <stdexcept>
#include <string>

#include "panel/laser_style.hpp"
#include "panel/project.hpp"
#include "panel/section.hpp"

// Raised when a hatch cannot be drawn: its lines would not advance, or they
// would push the document past max_document_bytes. Callers add where it is.
class HatchProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Distance between hatch lines in px for a density in lines per mm.
float hatch_step_px(float lines_per_mm);

// Converts a coordinate of the hatch to the px value that is written.
using ToPx = float (*)(float);
float as_px(float px);

// Horizontal chords across a circle, top to bottom, each left to right, then
// the circle's outline, painted as engraving. Positions advance by repeated
// addition of `step`.
void circle_hatch(SectionDocument& doc, float cx, float cy, float r, float step, ToPx to_px, const LaserStyle& style);

// The recess layer of one component: prints its console line, then hatches
// the visible circle or the visible rectangle, if the component has one.
void draw_recess(const Component& c, float lines_per_mm, const LaserStyle& style, SectionDocument& doc,
                 std::ostream& out);
