#include "panel/frame.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "panel/fixed_text.hpp"

#include "panel/panel.hpp"
#include "panel/screws.hpp"

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
    if (decimals == 2) {
        char buffer[max_two_decimals_chars];
        out.append(buffer, put_two_decimals(buffer, value));
        return;
    }
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
    if (!std::isfinite(value)) {
        throw UnwritableNumber();
    }
    out += ' ';
    out += name;
    // The value with its quotes is built on the stack and appended at once.
    char buffer[max_two_decimals_chars + 3] = {'=', '"'};
    char* end = put_two_decimals(buffer + 2, value);
    *end++ = '"';
    out.append(buffer, end);
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

void open_ellipse(std::string& out, float cx, float cy, float rx, float ry) {
    out += "<ellipse";
    append_attribute(out, "cx", cx);
    append_attribute(out, "cy", cy);
    append_attribute(out, "rx", rx);
    append_attribute(out, "ry", ry);
}

void open_round_hole(std::string& out, float cx, float cy, float diameter, const LaserStyle& style) {
    if (style.round_kerf()) {
        open_circle(out, cx, cy, size_inside_kerf(diameter, style.kerf_px()) / 2);
    } else {
        open_ellipse(out, cx, cy, size_inside_kerf(diameter, style.kerf_x_px()) / 2,
                     size_inside_kerf(diameter, style.kerf_y_px()) / 2);
    }
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

// The page is the panel grown by the kerf, so that the border, drawn half the
// kerf outside the panel's edge, still lies on the page.
float page_size(float panel_size, float kerf) { return kerf > 0 ? panel_size + kerf : panel_size; }

// The size attributes of <svg>: px user units, or with --physical-size
// millimetres and a viewBox that maps the same px drawing onto them.
std::string page_attributes(float width_cm, float height_cm, const LaserStyle& style, const PageMargins& margins) {
    const float extra_width = margins.left + margins.right;
    const float extra_height = margins.top + margins.bottom;
    const std::string width_px =
        format_float_as_str(page_size(cm_to_px * width_cm, style.kerf_x_px()) + mm_to_px(extra_width), 2);
    const std::string height_px =
        format_float_as_str(page_size(cm_to_px * height_cm, style.kerf_y_px()) + mm_to_px(extra_height), 2);
    if (!style.physical_size()) {
        return "width=\"" + width_px + "\" height=\"" + height_px + "\"";
    }
    return "width=\"" + format_float_as_str(page_size(width_cm * 10.0f, style.kerf_x_mm()) + extra_width, 2) +
           "mm\" height=\"" + format_float_as_str(page_size(height_cm * 10.0f, style.kerf_y_mm()) + extra_height, 2) +
           "mm\" viewBox=\"0 0 " + width_px + " " + height_px + "\"";
}

// The group that holds the whole drawing. With a kerf it moves the panel by
// half the kerf, so everything keeps its place on the panel while the page
// grows around it; the coordinates inside stay those of the panel. Margins
// move it further.
std::string drawing_group(const LaserStyle& style, const PageMargins& margins) {
    const float kerf_x = style.kerf_x_px();
    const float kerf_y = style.kerf_y_px();
    if (!(kerf_x > 0) && !(kerf_y > 0) && margins.left == 0 && margins.top == 0) {
        return "<g>";
    }
    std::string group = "<g transform=\"translate(";
    append_float(group, (kerf_x > 0 ? kerf_x / 2 : 0.0f) + mm_to_px(margins.left));
    group += ',';
    append_float(group, (kerf_y > 0 ? kerf_y / 2 : 0.0f) + mm_to_px(margins.top));
    return group + ")\">";
}

}  // namespace

std::string prepare_header(float width_cm, float height_cm, int font_size_px, const LaserStyle& style,
                           const PageMargins& margins) {
    std::string header = svg_header;
    replace_first(header, "width=\"{current_width_px}\" height=\"{current_height_px}\"",
                  page_attributes(width_cm, height_cm, style, margins));
    replace_first(header, "{font_size_px}", format_float_as_str(font_size_px, 2));
    replace_first(header, "fill: #000;", "fill: " + style.text_fill() + ";");
    header.replace(header.rfind("<g>"), 3, drawing_group(style, margins));
    return header;
}

std::string draw_board(float width_cm, float height_cm, bool outline, const LaserStyle& style) {
    if (!outline) {
        return {};
    }
    const float kerf_x = style.kerf_x_px() > 0 ? style.kerf_x_px() : 0.0f;
    const float kerf_y = style.kerf_y_px() > 0 ? style.kerf_y_px() : 0.0f;
    std::string board;
    if (kerf_x > 0 || kerf_y > 0) {
        open_rect(board, -kerf_x / 2, -kerf_y / 2, cm_to_px * width_cm + kerf_x, cm_to_px * height_cm + kerf_y);
    } else {
        board = "<rect x=\"0\" y=\"0\"";
        append_attribute(board, "width", cm_to_px * width_cm);
        append_attribute(board, "height", cm_to_px * height_cm);
    }
    board += style.paint(Mark::border);
    board += "/>";
    return board;
}
