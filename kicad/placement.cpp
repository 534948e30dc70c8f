#include "kicad/placement.hpp"

#include <cmath>

namespace {

const double degree = std::acos(-1.0) / 180.0;

struct Vec {
    double x;
    double y;
};

// A point of the footprint's own frame on the board. KiCad turns
// counter-clockwise as the board is shown, y downwards; a footprint on the
// bottom side keeps its library shape flipped top to bottom.
Vec footprint_to_board(const Footprint& f, Vec local) {
    if (f.back) local.y = -local.y;
    const double a = f.angle * degree;
    return {local.x * std::cos(a) + local.y * std::sin(a), -local.x * std::sin(a) + local.y * std::cos(a)};
}

// A direction of the board on the panel: mirrored, then turned clockwise.
Vec board_to_panel(const BoardFrame& frame, Vec d) {
    if (frame.mirror) d.x = -d.x;
    const double r = frame.rotation * degree;
    return {d.x * std::cos(r) - d.y * std::sin(r), d.x * std::sin(r) + d.y * std::cos(r)};
}

}  // namespace

PanelPlace place_on_panel(const Footprint& f, const Mapping& m, const BoardFrame& frame) {
    const Vec shaft = footprint_to_board(f, {m.offset_x, m.offset_y});
    const Vec from_origin{f.x + shaft.x - frame.origin.x, f.y + shaft.y - frame.origin.y};
    const Vec on_panel = board_to_panel(frame, from_origin);
    // The part's "up" followed through the same turns gives its rotation.
    const double a = m.angle * degree;
    const Vec up = board_to_panel(frame, footprint_to_board(f, {std::sin(a), -std::cos(a)}));
    double rotation = std::atan2(up.x, -up.y) / degree;
    long turned = std::lround(rotation);
    turned %= 360;
    if (turned < 0) turned += 360;
    return {frame.panel_x + on_panel.x / 10.0, frame.panel_y + on_panel.y / 10.0, static_cast<int>(turned)};
}
