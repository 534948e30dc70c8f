#include "graphics/graphics_drawing.hpp"

#include <cmath>

#include "graphics/frame_geometry.hpp"
#include "graphics/scale_geometry.hpp"
#include "panel/frame.hpp"
#include "panel/labels.hpp"

namespace {

// Opens the group of the marks or the frame's line: stroked, not filled.
void open_lines(std::string& svg, const LaserStyle& style, double line_width) {
    svg += "<g fill=\"none\" stroke=\"";
    svg += style.engrave_colour();
    svg += '"';
    append_attribute(svg, "stroke-width", line_width);
    svg += '>';
}

void add_number(std::string& d, double value) {
    d += ' ';
    append_float(d, value);
}

// The arc as pieces of at most half a turn, each one SVG arc command.
std::string arc_path_data(const ArcPiece& arc) {
    const PagePoint start = on_circle(arc.centre, arc.radius, arc.from);
    std::string d = "M";
    append_float(d, start.x);
    add_number(d, start.y);
    const double sweep = arc.to - arc.from;
    const int pieces = static_cast<int>(std::ceil(std::fabs(sweep) / 180.0 - 1e-9));
    for (int i = 1; i <= pieces; ++i) {
        const PagePoint end = on_circle(arc.centre, arc.radius, arc.from + sweep * i / pieces);
        d += 'A';
        append_float(d, arc.radius);
        add_number(d, arc.radius);
        d += sweep > 0 ? " 0 0 1" : " 0 0 0";
        add_number(d, end.x);
        add_number(d, end.y);
    }
    return d;
}

// A label of the graphics: the components' label style, with its own size
// when it is not the run's.
void add_text(std::string& svg, const LaserStyle& style, double x, double y, double turn, double size,
              int font_size, const std::string& text) {
    svg += "<text";
    append_attribute(svg, "x", x);
    append_attribute(svg, "y", y);
    svg += " class=\"text\"";
    svg += style.paint(Mark::label);
    if (size != font_size) {
        svg += " style=\"font-size:";
        append_float(svg, size);
        svg += "px\"";
    }
    if (turn != 0) {
        svg += " transform=\"rotate(";
        append_float(svg, turn);
        add_number(svg, x);
        add_number(svg, y);
        svg += ")\"";
    }
    svg += " dominant-baseline=\"central\" text-anchor=\"middle\">";
    svg += escape_xml_text(text);
    svg += "</text>";
}

void draw_scale(const ScaleDrawing& s, const LaserStyle& style, int font_size, std::string& svg) {
    svg += "<g class=\"scale\">";
    open_lines(svg, style, s.line_width);
    for (const Segment& mark : s.marks) {
        svg += "<line";
        append_attribute(svg, "x1", mark.from.x);
        append_attribute(svg, "y1", mark.from.y);
        append_attribute(svg, "x2", mark.to.x);
        append_attribute(svg, "y2", mark.to.y);
        svg += "/>";
    }
    if (s.arc) {
        svg += "<path d=\"" + arc_path_data(*s.arc) + "\"/>";
    }
    svg += "</g>";
    for (const ScaleLabel& label : s.labels) {
        // An empty text leaves its mark unlabelled.
        if (label.text.empty()) continue;
        add_text(svg, style, label.at.x, label.at.y, label.turn, s.label_size, font_size, label.text);
    }
    svg += "</g>";
}

void draw_frame(const FrameDrawing& f, const LaserStyle& style, int font_size, std::string& svg) {
    svg += "<g class=\"frame\"";
    append_turn(svg, static_cast<float>(f.centre.x), static_cast<float>(f.centre.y), f.turn);
    svg += '>';
    open_lines(svg, style, f.line_width);
    svg += "<path d=\"" + frame_path_data(f) + "\"/></g>";
    if (!f.title.empty()) {
        add_text(svg, style, 0, -f.height / 2, 0, f.title_size, font_size, f.title);
    }
    svg += "</g>";
}

}  // namespace

ComponentGraphics read_graphics(const Component& c) { return {read_scale(c), read_frame(c)}; }

void draw_graphics(const ComponentGraphics& g, const Component& c, const LaserStyle& style, int font_size,
                   std::string& svg) {
    if (g.scale) draw_scale(scale_geometry(*g.scale, c, font_size), style, font_size, svg);
    if (g.frame) draw_frame(frame_geometry(*g.frame, c, font_size), style, font_size, svg);
}
