#include "panel/labels.hpp"

#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"
#include "panel/part_holes.hpp"

#include <algorithm>

namespace {

// Knobs and buttons are numbered across the section: pots from their id,
// faders after the pots seen so far, buttons after both.
void number_label(Component& c, LabelCounters& counters) {
    if (contains(c.key, "pot")) {
        ++counters.pots;
        c.label_number = static_cast<long long>(read_whole_number(*c.object, "id", c.place)) + 1;
    } else if (contains(c.key, "fader")) {
        ++counters.faders;
        c.label_number = static_cast<long long>(read_whole_number(*c.object, "id", c.place)) - counters.pots;
    } else if (contains(c.key, "button")) {
        c.label_number = static_cast<long long>(read_whole_number(*c.object, "id", c.place)) - counters.pots -
                         counters.faders;
    }
}

// Characters XML 1.0 does not allow at all, so no escape makes them
// readable: controls other than tab and line ends, and U+FFFE and U+FFFF.
bool has_forbidden_character(const std::string& text) {
    for (unsigned char ch : text) {
        if (ch < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') {
            return true;
        }
    }
    return text.find("\xEF\xBF\xBE") != std::string::npos || text.find("\xEF\xBF\xBF") != std::string::npos;
}

// The text is turned about the origin, so its position is given in the turned
// frame; the gap to the component differs per side.
Position label_position(int rotation, float x, float y, float vh) {
    switch (rotation) {
        case 90:
            return {y, -(vh / 2 + x) - 5};
        case 180:
            return {-x, -(vh / 2 + y + 10)};
        case 270:
            return {-y, x - vh / 2 - 6};
        default:
            return {x, y - vh / 2 - 8};
    }
}

// How far the label keeps from the component's centre before its gap: half
// the visible height (which covers the cut-out), or as far as a part's
// outermost extra hole reaches on the label's side, when that is farther.
float label_reach(const Component& c, int rotation) {
    float reach = c.visible_height / 2;
    for (const Outline& hole : part_hole_outlines(c)) {
        const Bounds b = bounds_of(hole);
        double out = 0;
        switch (rotation) {
            case 90: out = b.right - c.x; break;
            case 180: out = b.bottom - c.y; break;
            case 270: out = c.x - b.left; break;
            default: out = c.y - b.top;
        }
        reach = std::max(reach, static_cast<float>(out));
    }
    return reach;
}

}  // namespace

std::string label_text(Component& c, LabelCounters& counters, bool whole_numbers) {
    if (c.call_name == "Screen") {
        return {};
    }
    number_label(c, counters);
    std::string label = c.call_name;
    if (label == "Knob" || label == "Button") {
        label += ' ';
        if (whole_numbers) {
            label += std::to_string(c.label_number);
        } else {
            append_float(label, static_cast<double>(c.label_number));
        }
    }
    return label;
}

int label_rotation(int rotation) {
    return rotation == 90 || rotation == 180 || rotation == 270 ? rotation : 0;
}

Position label_anchor(const Component& c, int rotation) {
    const float reach = label_reach(c, rotation);
    // A component without a part keeps its label exactly where the visible
    // height puts it.
    Position at = label_position(rotation, c.x, c.y, reach > c.visible_height / 2 ? reach * 2 : c.visible_height);
    if (c.label_offset_x != 0 || c.label_offset_y != 0) {
        // The offset is on the page; the position is in the text's turned frame.
        const float turn_cos = rotation == 0 ? 1.0f : rotation == 180 ? -1.0f : 0.0f;
        const float turn_sin = rotation == 90 ? 1.0f : rotation == 270 ? -1.0f : 0.0f;
        at.x += c.label_offset_x * turn_cos + c.label_offset_y * turn_sin;
        at.y += c.label_offset_y * turn_cos - c.label_offset_x * turn_sin;
    }
    return at;
}

Position label_centre_on_page(const Position& at, int rotation) {
    // rotate(r) takes the turned frame's (x, y) to the page.
    switch (rotation) {
        case 90: return {-at.y, at.x};
        case 180: return {-at.x, -at.y};
        case 270: return {at.y, -at.x};
        default: return at;
    }
}

std::string escape_xml_text(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            default: escaped += ch;
        }
    }
    return escaped;
}

void draw_label(Component& c, const LaserStyle& style, SectionDocument& doc, std::ostream& out, bool whole_numbers) {
    LabelCounters counters{doc.pot_counter, doc.fader_counter};
    const std::string label = label_text(c, counters, whole_numbers);
    doc.pot_counter = counters.pots;
    doc.fader_counter = counters.faders;
    if (label.empty()) {
        return;
    }
    if (has_forbidden_character(label)) {
        fail_at(c.place, "call_name", "the name holds a character that an SVG file cannot carry");
    }
    out << "Creating text: " << label << " for " << c.key << std::endl;
    int rotation = c.rotation;
    if (rotation > 0) {
        out << " - Rotation of " << c.call_name << " is " << rotation << std::endl;
    }
    if (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270) {
        out << "Warning: Rotations for text are supported only for 0, 90, 180, and 270 degrees for now. Assuming 0."
            << std::endl;
        rotation = 0;
    }
    const Position at = label_anchor(c, rotation);
    std::string& svg = doc.svg;
    svg += "<text";
    append_attribute(svg, "x", at.x);
    append_attribute(svg, "y", at.y);
    svg += " class=\"text\"";
    svg += style.paint(Mark::label);
    if (c.label_size > 0) {
        svg += " style=\"font-size:";
        append_float(svg, c.label_size);
        svg += "px\"";
    }
    svg += " transform=\"rotate(";
    append_float(svg, rotation);
    svg += ")\" dominant-baseline=\"central\" text-anchor=\"middle\">";
    svg += escape_xml_text(label);
    svg += "</text>";
}
