#pragma once

#include <ostream>
#include <string>

#include "panel/laser_style.hpp"
#include "panel/project.hpp"
#include "panel/section.hpp"

// The section's running counts that number knobs and buttons.
struct LabelCounters {
    int pots = 0;
    int faders = 0;
};

// The label's text for a component (empty: it gets none), numbering pots,
// faders and buttons by the section's counters as it goes.
std::string label_text(Component& c, LabelCounters& counters, bool whole_numbers);

// The rotation a label is drawn with: the quarter turns; anything else as 0.
int label_rotation(int rotation);

// A point of a label: where its <text> puts it, in its turned frame.
struct Position {
    float x;
    float y;
};

// Where the label of a component sits, in its turned frame: beside the
// component on the side that is up for the turned text, a gap (8, 5, 10 or
// 6 px for 0, 90, 180 and 270 degrees) beyond half its visible height, or for
// a part beyond the part's outermost hole on that side.
Position label_anchor(const Component& c, int rotation);

// The same point on the page.
Position label_centre_on_page(const Position& at, int rotation);

// Label text made safe for XML character data: &, < and > become entities.
std::string escape_xml_text(const std::string& text);

// The text layer of one component: numbers pots, faders and buttons by the
// section's counters, then writes the label beside the component.
// With `whole_numbers`, knobs and buttons read "Knob 3" instead of "Knob 3.00".
void draw_label(Component& c, const LaserStyle& style, SectionDocument& doc, std::ostream& out,
                bool whole_numbers = false);
