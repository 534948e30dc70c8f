#include "graphics/frame_geometry.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "panel/frame.hpp"

namespace {

// The corners' chords in the warnings' polylines.
constexpr int chords_per_corner = 8;

void add_point(std::string& d, char command, double x, double y) {
    d += command;
    append_float(d, x);
    d += ' ';
    append_float(d, y);
}

void add_corner(std::string& d, double r, double x, double y) {
    d += 'A';
    append_float(d, r);
    d += ' ';
    append_float(d, r);
    d += " 0 0 1 ";
    append_float(d, x);
    d += ' ';
    append_float(d, y);
}

// The outline about the centre, clockwise from the top edge's left end past
// the corners, as (corner centre, start angle) quarter turns between edges.
struct Corner {
    double cx, cy, start_degrees;
};

std::vector<Corner> corners(const FrameDrawing& f) {
    const double w = f.width / 2 - f.radius, h = f.height / 2 - f.radius;
    return {{w, -h, 0}, {w, h, 90}, {-w, h, 180}, {-w, -h, 270}};
}

PagePoint corner_point(const Corner& k, double r, double degrees) {
    const double t = degrees * std::numbers::pi / 180.0;
    return {k.cx + r * std::sin(t), k.cy - r * std::cos(t)};
}

}  // namespace

FrameDrawing frame_geometry(const FrameSettings& settings, const Component& c, double font_size) {
    FrameDrawing f;
    f.centre = {c.x, c.y};
    f.turn = rectangle_turn(c);
    f.width = settings.width;
    f.height = settings.height;
    f.radius = std::min({settings.radius, settings.width / 2, settings.height / 2});
    f.line_width = settings.line_width;
    f.title = settings.title;
    f.title_size = font_size;
    if (!settings.title.empty()) {
        // The title's estimated width and half an em of room either side,
        // within the straight part of the top edge.
        const double half = label_reach(settings.title, font_size, 1, 0) + font_size / 2;
        const double room = f.width / 2 - f.radius;
        f.gap = std::pair{-std::min(half, room), std::min(half, room)};
    }
    return f;
}

std::string frame_path_data(const FrameDrawing& f) {
    const double r = f.radius;
    const double top = -f.height / 2;
    std::string d;
    add_point(d, 'M', f.gap ? f.gap->second : -f.width / 2 + r, top);
    const auto k = corners(f);
    for (std::size_t i = 0; i < k.size(); ++i) {
        const PagePoint start = corner_point(k[i], r, k[i].start_degrees);
        const PagePoint end = corner_point(k[i], r, k[i].start_degrees + 90);
        add_point(d, 'L', start.x, start.y);
        if (r > 0) add_corner(d, r, end.x, end.y);
    }
    if (f.gap) {
        add_point(d, 'L', f.gap->first, top);
    } else {
        d += 'Z';
    }
    return d;
}

std::vector<std::vector<PagePoint>> frame_polylines(const FrameDrawing& f) {
    std::vector<PagePoint> local;
    local.push_back({f.gap ? f.gap->second : -f.width / 2 + f.radius, -f.height / 2});
    for (const Corner& k : corners(f)) {
        for (int i = 0; i <= chords_per_corner; ++i) {
            local.push_back(corner_point(k, f.radius, k.start_degrees + 90.0 * i / chords_per_corner));
        }
    }
    local.push_back({f.gap ? f.gap->first : -f.width / 2 + f.radius, -f.height / 2});
    const double t = f.turn * std::numbers::pi / 180.0;
    std::vector<PagePoint> page;
    for (const PagePoint& p : local) {
        page.push_back({f.centre.x + p.x * std::cos(t) - p.y * std::sin(t),
                        f.centre.y + p.x * std::sin(t) + p.y * std::cos(t)});
    }
    if (!f.gap) page.push_back(page.front());
    return {page};
}
