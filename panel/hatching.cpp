#include "panel/hatching.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/hatch_line.hpp"
#include "panel/panel.hpp"

namespace {

// A hatch line without its numbers, paint and transform:
// <line x1="" y1="" x2="" y2=""/>\n
constexpr double line_frame_bytes = 32 + newline_extra_bytes;

// The line ends in `svg`, where they take more than one byte on disk.
std::size_t line_ends(const std::string& svg) {
    if constexpr (newline_extra_bytes == 0) {
        return 0;
    }
    return static_cast<std::size_t>(std::count(svg.begin(), svg.end(), '\n'));
}

std::string limit_text() { return std::to_string(max_document_bytes >> 20) + " MiB"; }

// What one hatch line costs, from the widest numbers it can carry.
double line_bytes(const LaserStyle& style, std::initializer_list<double> numbers, double transform_bytes = 0) {
    double bytes = line_frame_bytes + static_cast<double>(style.paint(Mark::hatch_line).size()) + transform_bytes;
    for (double number : numbers) {
        bytes += static_cast<double>(format_float_as_str(number, 2).size());
    }
    return bytes;
}

// Refuses a hatch over `extent` whose lines would push the document past its
// limit, before any of them is drawn.
void check_line_count(const SectionDocument& doc, double extent, float step, double bytes_per_line) {
    const double lines = extent / step + 1;
    const double room = static_cast<double>(max_document_bytes) - static_cast<double>(document_bytes(doc));
    if (lines * bytes_per_line > room) {
        char count[32];
        std::snprintf(count, sizeof count, "%.3g", lines);
        throw HatchProblem(std::string("the recess needs about ") + count +
                           " hatch lines, which would take the SVG file past its limit of " + limit_text() +
                           "; check the size and --recess-lines-per-mm");
    }
}

// The backstop while drawing, should the estimate fall short. It runs for
// every line, so the line ends already in the buffer are counted once per
// hatch (`line_ends_before`), and each line drawn adds one.
void check_room(const SectionDocument& doc, std::size_t line_ends_before, std::size_t lines_drawn) {
    if (doc.passed_on + doc.svg.size() + newline_extra_bytes * (line_ends_before + lines_drawn) >
        max_document_bytes) {
        throw HatchProblem("the hatch lines take the SVG file past its limit of " + limit_text() +
                           "; check the size and --recess-lines-per-mm");
    }
}

// Hands a full piece of the document on to its file; the line ends counted
// so far went with it.
void pass_on_full_piece(SectionDocument& doc, std::size_t& line_ends_before, std::size_t& lines_drawn) {
    if (!doc.pass_on_full_piece) return;
    const std::size_t before = doc.passed_on;
    doc.pass_on_full_piece();
    if (doc.passed_on != before) {
        line_ends_before = 0;
        lines_drawn = 0;
    }
}

float advance(float position, float step) {
    float next = position + step;
    if (next == position) {
        throw HatchProblem("the hatch step is too small to move the lines on at this size; "
                           "check the size and --recess-lines-per-mm");
    }
    return next;
}

void close_element(std::string& svg, const Component& c, bool turned) {
    if (turned) {
        append_turn(svg, c.x, c.y, c.rotation);
    }
    svg += "/>\n";
}

// Whether the quotient, truncated toward zero, is even. Below 2^24 a float
// holds every whole number, and an int tells its parity directly; above, every
// float is even, and infinities and NaN are odd, as fmod says of them.
bool is_even_whole(float quotient) {
    if (std::fabs(quotient) < 16777216.0f) {
        return (static_cast<long>(quotient) & 1) == 0;
    }
    return std::fmod(std::trunc(quotient), 2.0f) == 0.0f;
}

// Lines change direction by the parity of the truncated quotient, so that the
// laser head sweeps back and forth instead of returning empty each line.
void rectangle_hatch(const Component& c, float step, const LaserStyle& style, SectionDocument& doc) {
    std::string& svg = doc.svg;
    const float w = c.visible_width;
    const float h = c.visible_height;
    const bool turned = c.rotation > 0;
    const float left = turned ? -w / 2 : c.x - w / 2;
    const float top = turned ? -h / 2 : c.y - h / 2;
    const double transform_bytes =
        turned ? 32.0 + static_cast<double>(format_float_as_str(c.x, 2).size() + format_float_as_str(c.y, 2).size() +
                                            format_float_as_str(c.rotation, 2).size())
               : 0.0;
    check_line_count(doc, h, step,
                     std::fmax(line_bytes(style, {left, left + w, top, top}, transform_bytes),
                               line_bytes(style, {left, left + w, top + h, top + h}, transform_bytes)));

    const std::string id = "recess-clip-" + std::to_string(++doc.clip_paths);
    svg += "<clipPath id=\"" + id + "\">\n";
    open_rect(svg, left, top, w, h);
    close_element(svg, c, turned);
    svg += "</clipPath>\n";
    svg += "<g clip-path=\"url(#" + id + ")\">\n";
    std::string turn;
    if (turned) {
        append_turn(turn, c.x, c.y, c.rotation);
    }
    HatchLineWriter lines(style.paint(Mark::hatch_line), turn);
    std::size_t line_ends_before = line_ends(svg);
    std::size_t lines_drawn = 0;
    for (float y = top; y <= top + h; y = advance(y, step)) {
        const bool even = is_even_whole((y - top) / step);
        lines.append(svg, even ? left : left + w, even ? left + w : left, y);
        check_room(doc, line_ends_before, ++lines_drawn);
        pass_on_full_piece(doc, line_ends_before, lines_drawn);
    }
    svg += "</g>\n";
    open_rect(svg, left, top, w, h);
    svg += style.paint(Mark::outline);
    close_element(svg, c, turned);
}

}  // namespace

float hatch_step_px(float lines_per_mm) { return cm_to_px / lines_per_mm / 10.0f; }

float as_px(float px) { return px; }

void circle_hatch(SectionDocument& doc, float cx, float cy, float r, float step, ToPx to_px, const LaserStyle& style) {
    std::string& svg = doc.svg;
    if (!std::isfinite(r * r)) {
        throw HatchProblem("the circle is too large to hatch in single precision");
    }
    check_line_count(doc, 2.0 * r, step,
                     std::fmax(line_bytes(style, {to_px(cx - r), to_px(cx + r), to_px(cy - r), to_px(cy - r)}),
                               line_bytes(style, {to_px(cx - r), to_px(cx + r), to_px(cy + r), to_px(cy + r)})));
    HatchLineWriter lines(style.paint(Mark::hatch_line), {});
    std::size_t line_ends_before = line_ends(svg);
    std::size_t lines_drawn = 0;
    for (float y = cy - r; y <= cy + r; y = advance(y, step)) {
        const float dy = y - cy;
        if (std::fabs(dy) <= r) {
            const float half = std::sqrt(r * r - dy * dy);
            lines.append(svg, to_px(cx - half), to_px(cx + half), to_px(y));
            check_room(doc, line_ends_before, ++lines_drawn);
            pass_on_full_piece(doc, line_ends_before, lines_drawn);
        }
    }
    open_circle(svg, to_px(cx), to_px(cy), to_px(r));
    svg += style.paint(Mark::outline);
    svg += "/>\n";
}

void draw_recess(const Component& c, float lines_per_mm, const LaserStyle& style, SectionDocument& doc,
                 std::ostream& out) {
    out << "Adding recess for: " << c.key << std::endl;
    const float step = hatch_step_px(lines_per_mm);
    const char* key = "visible_diameter";
    try {
        if (c.has("visible_diameter") && c.visible_diameter >= 0) {
            circle_hatch(doc, c.x, c.y, c.visible_diameter / 2, step, as_px, style);
        } else if (c.has("visible_height") && c.has("visible_width")) {
            key = "visible_height";
            rectangle_hatch(c, step, style, doc);
        }
    } catch (const HatchProblem& problem) {
        fail_at(c.place, key, problem.what());
    }
}
