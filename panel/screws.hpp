#pragma once

#include <ostream>
#include <string>

#include "panel/errors.hpp"
#include "panel/laser_style.hpp"
#include "panel/project.hpp"
#include "panel/section.hpp"
#include "settings/arguments.hpp"

// The screw layout of one panel, in millimetres.
struct ScrewLayout {
    bool takes_screws = false;
    float hole_radius = 0;
    float head_radius = 0;
    float corners[4][2] = {};  // top left, top right, bottom left, bottom right
};

// Which panels take screws, and where, comes from the settings alone, so the
// holes and the recesses of every pass share their centres. A panel screwed
// through the top setting ("_Main", "_Top") takes the top size, one screwed
// through the bottom setting ("_Bottom") the bottom size.
ScrewLayout screw_layout(const std::string& section, const BoxSize& box, const Arguments& args);

// Millimetres to the px value that is written.
float mm_to_px(float mm);

// Appends the holes and/or head recesses the pass selects, corner by corner.
// With a kerf the holes are drawn half the kerf inside their edge; a kerf that
// leaves no hole is refused with a RunError naming the section.
void draw_screws(const std::string& section, const BoxSize& box, float pass_top, float pass_bottom, float pass_head,
                 const Arguments& args, const LaserStyle& style, SectionDocument& doc, std::ostream& out,
                 const Place& place);
