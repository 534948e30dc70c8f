#include "panel/hatching.hpp"

#include <cmath>

#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/panel.hpp"

namespace {

// No hatch line is shorter than this in the document, so this many bytes per
// line is a floor on what a hatch adds.
constexpr double min_line_bytes = 64;

// Refuses a hatch over `extent` whose lines would not fit in the document.
void check_line_count(const std::string& svg, double extent, float step) {
    double lines = extent / step + 1;
    double room = static_cast<double>(max_document_bytes) - static_cast<double>(svg.size());
    if (lines * min_line_bytes > room) {
        throw HatchProblem("the recess would need about " + std::to_string(static_cast<long long>(
                               std::fmin(lines, 9e18))) + " hatch lines, more than an SVG of " +
                           std::to_string(max_document_bytes >> 20) +
                           " MiB can hold; check the size and --recess-lines-per-mm");
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

void append_line(std::string& svg, float x1, float y1, float x2, float y2) {
    svg += "<line";
    append_attribute(svg, "x1", x1);
    append_attribute(svg, "y1", y1);
    append_attribute(svg, "x2", x2);
    append_attribute(svg, "y2", y2);
    svg += " stroke=\"black\" stroke-width=\"0.5\"";
}

void close_element(std::string& svg, const Component& c, bool turned) {
    if (turned) {
        append_turn(svg, c.x, c.y, c.rotation);
    }
    svg += "/>\n";
}

// Lines change direction by the parity of the truncated quotient, so that the
// laser head sweeps back and forth instead of returning empty each line.
void rectangle_hatch(const Component& c, float step, SectionDocument& doc) {
    std::string& svg = doc.svg;
    const float w = c.visible_width;
    const float h = c.visible_height;
    const bool turned = c.rotation > 0;
    const float left = turned ? -w / 2 : c.x - w / 2;
    const float top = turned ? -h / 2 : c.y - h / 2;
    check_line_count(svg, h, step);

    const std::string id = "recess-clip-" + std::to_string(++doc.clip_paths);
    svg += "<clipPath id=\"" + id + "\">\n";
    open_rect(svg, left, top, w, h);
    close_element(svg, c, turned);
    svg += "</clipPath>\n";
    svg += "<g clip-path=\"url(#" + id + ")\">\n";
    for (float y = top; y <= top + h; y = advance(y, step)) {
        const float q = std::trunc((y - top) / step);
        const bool even = std::fmod(q, 2.0f) == 0.0f;
        append_line(svg, even ? left : left + w, y, even ? left + w : left, y);
        close_element(svg, c, turned);
    }
    svg += "</g>\n";
    open_rect(svg, left, top, w, h);
    svg += " stroke=\"black\" stroke-width=\"1\"";
    close_element(svg, c, turned);
}

}  // namespace

float hatch_step_px(float lines_per_mm) { return cm_to_px / lines_per_mm / 10.0f; }

float as_px(float px) { return px; }

void circle_hatch(std::string& svg, float cx, float cy, float r, float step, ToPx to_px) {
    check_line_count(svg, 2.0 * r, step);
    for (float y = cy - r; y <= cy + r; y = advance(y, step)) {
        const float dy = y - cy;
        if (std::fabs(dy) <= r) {
            const float half = std::sqrt(r * r - dy * dy);
            append_line(svg, to_px(cx - half), to_px(y), to_px(cx + half), to_px(y));
            svg += "/>\n";
        }
    }
    open_circle(svg, to_px(cx), to_px(cy), to_px(r));
    svg += " stroke=\"black\" stroke-width=\"1\"/>\n";
}

void draw_recess(const Component& c, float lines_per_mm, SectionDocument& doc, std::ostream& out) {
    out << "Adding recess for: " << c.key << std::endl;
    const float step = hatch_step_px(lines_per_mm);
    const char* key = "visible_diameter";
    try {
        if (c.has("visible_diameter") && c.visible_diameter >= 0) {
            circle_hatch(doc.svg, c.x, c.y, c.visible_diameter / 2, step, as_px);
        } else if (c.has("visible_height") && c.has("visible_width")) {
            key = "visible_height";
            rectangle_hatch(c, step, doc);
        }
    } catch (const HatchProblem& problem) {
        fail_at(c.place, key, problem.what());
    }
}
