#pragma once

#include <ostream>
#include <string>

#include "panel/laser_style.hpp"
#include "panel/project.hpp"
#include "panel/section.hpp"

// Label text made safe for XML character data: &, < and > become entities.
std::string escape_xml_text(const std::string& text);

// The text layer of one component: numbers pots, faders and buttons by the
// section's counters, then writes the label beside the component.
// With `whole_numbers`, knobs and buttons read "Knob 3" instead of "Knob 3.00".
void draw_label(Component& c, const LaserStyle& style, SectionDocument& doc, std::ostream& out,
                bool whole_numbers = false);
