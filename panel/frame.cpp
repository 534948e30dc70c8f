#include "panel/frame.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "panel/panel.hpp"

const float cm_to_px = 37.795f;

const std::string svg_header =
    "<!-- Created with ZELKORA SVG Generator - https://www.zelkora.com -->\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{current_width_px}\" height=\"{current_height_px}\">\n"
    "<defs>\n"
    "    <style>\n"
    "      .text {\n"
    "        font-weight: 700;\n"
    "        font-size: {font_size_px}px;\n"
    "        fill: #000;\n"
    "      }\n"
    "    </style>\n"
    "</defs>\n"
    "<g>";

const std::string svg_footer = "</g></svg>";

namespace {

void append_fixed(std::string& out, double value, int decimals) {
    decimals = std::clamp(decimals, 0, 60);
    // The largest double has 309 integer digits.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, result.ptr);
}

}  // namespace

UnwritableNumber::UnwritableNumber()
    : std::runtime_error("a coordinate is too large to draw (it overflows single precision)") {}

void append_float(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) {
        throw UnwritableNumber();
    }
    append_fixed(out, value, decimals);
}

void append_attribute(std::string& out, const char* name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    append_float(out, value);
    out += '"';
}

void open_rect(std::string& out, float x, float y, float width, float height) {
    out += "<rect";
    append_attribute(out, "x", x);
    append_attribute(out, "y", y);
    append_attribute(out, "width", width);
    append_attribute(out, "height", height);
}

void open_circle(std::string& out, float cx, float cy, float r) {
    out += "<circle";
    append_attribute(out, "cx", cx);
    append_attribute(out, "cy", cy);
    append_attribute(out, "r", r);
}

void append_turn(std::string& out, float x, float y, int degrees) {
    out += " transform=\"translate(";
    append_float(out, x);
    out += ",";
    append_float(out, y);
    out += ") rotate(";
    append_float(out, degrees);
    out += ")\"";
}

std::string format_float_as_str(double value, int decimals) {
    std::string text;
    append_fixed(text, value, decimals);
    return text;
}

namespace {

void replace_first(std::string& text, const std::string& placeholder, const std::string& value) {
    auto at = text.find(placeholder);
    if (at != std::string::npos) {
        text.replace(at, placeholder.size(), value);
    }
}

}  // namespace

std::string prepare_header(float width_cm, float height_cm, int font_size_px) {
    float width_px = cm_to_px * width_cm;
    float height_px = cm_to_px * height_cm;
    std::string header = svg_header;
    replace_first(header, "{current_width_px}", format_float_as_str(width_px, 2));
    replace_first(header, "{current_height_px}", format_float_as_str(height_px, 2));
    replace_first(header, "{font_size_px}", format_float_as_str(font_size_px, 2));
    return header;
}

std::string draw_board(float width_cm, float height_cm, bool outline) {
    if (!outline) {
        return {};
    }
    std::string board = "<rect x=\"0\" y=\"0\" width=\"";
    append_float(board, cm_to_px * width_cm);
    board += "\" height=\"";
    append_float(board, cm_to_px * height_cm);
    board += "\" fill=\"none\" stroke=\"black\" stroke-width=\"2\"/>";
    return board;
}
