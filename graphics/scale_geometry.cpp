#include "graphics/scale_geometry.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "panel/panel.hpp"

namespace {

// Room between the marks' outer ends and the labels' boxes.
constexpr double label_gap_cm = 0.08;
// The default radius stands this far outside the knob's circle.
constexpr double clearance_cm = 0.1;

double px(double cm) { return cm * static_cast<double>(cm_to_px); }

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

std::size_t letters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char ch) {
        return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    }));
}

// The circle the knob fills: the visible one, else the drilled one, else
// the larger side of its rectangle.
double knob_radius(const Component& c) {
    if (c.visible_diameter > 0) return c.visible_diameter / 2.0;
    if (c.drill_diameter > 0) return c.drill_diameter / 2.0;
    return std::max(c.visible_width, c.visible_height) / 2.0;
}

// The angles of the majors and the minors, in drawing order.
struct Angles {
    std::vector<double> major;
    std::vector<double> minor;
};

Angles mark_positions(double from, double to, int marks, int minor, bool wraps) {
    Angles a;
    const int intervals = wraps ? marks : marks - 1;
    const double step = (to - from) / intervals;
    for (int i = 0; i < marks; ++i) {
        a.major.push_back(!wraps && i == marks - 1 ? to : from + step * i);
    }
    for (int i = 0; i < intervals; ++i) {
        for (int j = 1; j <= minor; ++j) a.minor.push_back(from + step * i + step * j / (minor + 1));
    }
    return a;
}

bool full_circle(const ScaleSettings& s) { return std::fabs(std::fabs(s.to - s.from) - 360) < 1e-9; }

void arc_scale(const ScaleSettings& s, const Component& c, ScaleDrawing& d) {
    const PagePoint centre{c.x, c.y};
    const double inner = s.radius ? *s.radius : knob_radius(c) + px(clearance_cm);
    const double minor_length = s.minor_length ? *s.minor_length : s.length / 2;
    const Angles at = mark_positions(s.from, s.to, s.marks, s.minor, full_circle(s));
    for (double a : at.major) d.marks.push_back({on_circle(centre, inner, a), on_circle(centre, inner + s.length, a)});
    for (double a : at.minor) {
        d.marks.push_back({on_circle(centre, inner, a), on_circle(centre, inner + minor_length, a)});
    }
    if (s.arc) d.arc = ArcPiece{centre, inner, s.from, s.to};
    const double outer = inner + std::max(s.length, s.minor ? minor_length : 0.0) + px(label_gap_cm);
    for (std::size_t i = 0; i < s.labels.size(); ++i) {
        const double a = at.major[i];
        const double dx = std::sin(radians(a)), dy = -std::cos(radians(a));
        const double reach = s.radial ? label_reach(s.labels[i], d.label_size, 0, 1)
                                      : label_reach(s.labels[i], d.label_size, dx, dy);
        const double radius = s.label_radius ? *s.label_radius : outer + reach;
        d.labels.push_back({on_circle(centre, radius, a), s.radial ? a : 0.0, s.labels[i]});
    }
}

PagePoint turned(double x, double y, int degrees) {
    const double t = radians(degrees);
    return {x * std::cos(t) - y * std::sin(t), x * std::sin(t) + y * std::cos(t)};
}

void line_scale(const ScaleSettings& s, const Component& c, ScaleDrawing& d) {
    // The travel runs up a standing fader and to the right along a lying one.
    const bool standing = c.drill_height >= c.drill_width;
    const int turn = rectangle_turn(c);
    const PagePoint along = standing ? turned(0, -1, turn) : turned(1, 0, turn);
    const PagePoint left{along.y, -along.x};
    const double travel = standing ? c.visible_height : c.visible_width;
    const double across = (standing ? c.visible_width : c.visible_height) / 2.0;
    const double from = s.range_given ? s.from : -travel / 2.0;
    const double to = s.range_given ? s.to : travel / 2.0;
    const double inner = s.radius ? *s.radius : across + px(clearance_cm);
    const double minor_length = s.minor_length ? *s.minor_length : s.length / 2;
    const Angles at = mark_positions(from, to, s.marks, s.minor, false);
    const auto point = [&](double t, double side, double off) {
        return PagePoint{c.x + t * along.x + side * off * left.x, c.y + t * along.y + side * off * left.y};
    };
    std::vector<double> sides;
    if (s.side != ScaleSettings::Side::right) sides.push_back(1);
    if (s.side != ScaleSettings::Side::left) sides.push_back(-1);
    for (double side : sides) {
        for (double t : at.major) d.marks.push_back({point(t, side, inner), point(t, side, inner + s.length)});
        for (double t : at.minor) d.marks.push_back({point(t, side, inner), point(t, side, inner + minor_length)});
    }
    // Labels stand on the left, or on the right of a scale drawn only there.
    const double side = sides.front();
    const double outer = inner + std::max(s.length, s.minor ? minor_length : 0.0) + px(label_gap_cm);
    for (std::size_t i = 0; i < s.labels.size(); ++i) {
        const double reach = label_reach(s.labels[i], d.label_size, side * left.x, side * left.y);
        d.labels.push_back({point(at.major[i], side, outer + reach), 0.0, s.labels[i]});
    }
}

}  // namespace

PagePoint on_circle(PagePoint centre, double radius, double degrees) {
    const double t = radians(degrees);
    return {centre.x + radius * std::sin(t), centre.y - radius * std::cos(t)};
}

double label_reach(const std::string& text, double size, double dx, double dy) {
    // Bold sans-serif letters average about 0.65 em across; figures with the
    // central baseline reach about 0.4 em above and below it.
    const double half_width = 0.325 * size * static_cast<double>(letters(text));
    const double half_height = 0.4 * size;
    return half_width * std::fabs(dx) + half_height * std::fabs(dy);
}

int rectangle_turn(const Component& c) { return c.rotation > 0 ? c.rotation : 0; }

ScaleDrawing scale_geometry(const ScaleSettings& s, const Component& c, double font_size) {
    ScaleDrawing d;
    d.label_size = s.label_size ? *s.label_size : font_size;
    d.line_width = s.line_width;
    if (s.type == ScaleSettings::Type::arc) {
        arc_scale(s, c, d);
    } else {
        line_scale(s, c, d);
    }
    return d;
}
