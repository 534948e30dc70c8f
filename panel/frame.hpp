#pragma once

#include <stdexcept>
#include <string>

#include "panel/laser_style.hpp"

// Fixed-point text with exactly `decimals` digits after the point, as a
// stream in fixed mode writes it: no exponent, "-0.00" for tiny negatives.
std::string format_float_as_str(double value, int decimals);
// A number that cannot stand in a drawing: an infinity or NaN, reached when
// sizes near the limit of single precision are added or scaled.
class UnwritableNumber : public std::runtime_error {
public:
    UnwritableNumber();
};

// Appends a number of a drawing, as format_float_as_str writes it, without a
// temporary string. Throws UnwritableNumber for a value that is not finite.
void append_float(std::string& out, double value, int decimals = 2);

// Appends ` name="value"` with the value written as above.
void append_attribute(std::string& out, const char* name, double value);
// Opens a rect or circle element with its geometry; the caller appends the
// remaining attributes and closes it.
void open_rect(std::string& out, float x, float y, float width, float height);
void open_circle(std::string& out, float cx, float cy, float r);
void open_ellipse(std::string& out, float cx, float cy, float rx, float ry);
// A round hole of `diameter` drawn inside the kerf: a circle, or an ellipse
// where the kerf along x and y differ.
void open_round_hole(std::string& out, float cx, float cy, float diameter, const LaserStyle& style);

// ` transform="translate(x,y) rotate(degrees)"`: turns a shape drawn about
// the origin and moves its centre to (x, y).
void append_turn(std::string& out, float x, float y, int degrees);

// Room (mm) the page keeps beyond each edge of the panel, for parts of the
// outline that stand out of it, such as the fingers of a joint.
struct PageMargins {
    float left = 0, top = 0, right = 0, bottom = 0;
};

// The header with the panel size (cm, converted to px) and the font size
// filled in. The style may give the page in millimetres, colour the labels,
// and grow the page by the kerf with the content moved by half of it. The
// margins grow the page further and move the content by the left and top ones.
std::string prepare_header(float width_cm, float height_cm, int font_size_px, const LaserStyle& style,
                           const PageMargins& margins = {});

// The border rectangle around the whole panel, or nothing when outline is off.
// With a kerf it runs half the kerf outside the panel's edge.
std::string draw_board(float width_cm, float height_cm, bool outline, const LaserStyle& style);
