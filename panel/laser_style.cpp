#include "panel/laser_style.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "panel/screws.hpp"

namespace {

// An empty colour setting keeps the plain drawing's black.
std::string colour_or(const std::string& colour, const std::string& plain) {
    return colour.empty() ? plain : colour;
}

}  // namespace

LaserStyle::LaserStyle() : LaserStyle(Arguments{}) {}

LaserStyle::LaserStyle(const Arguments& args)
    : text_fill_(colour_or(args.engrave_color, "#000")),
      physical_size_(args.physical_size),
      kerf_x_mm_(args.kerf_x.value_or(args.kerf)),
      kerf_y_mm_(args.kerf_y.value_or(args.kerf)) {
    kerf_mm_ = round_kerf() ? kerf_x_mm_ : std::max(kerf_x_mm_, kerf_y_mm_);
    kerf_px_ = mm_to_px(kerf_mm_);
    kerf_x_px_ = mm_to_px(kerf_x_mm_);
    kerf_y_px_ = mm_to_px(kerf_y_mm_);
    const std::string cut = colour_or(args.cut_color, "black");
    const std::string engrave = colour_or(args.engrave_color, "black");
    engrave_colour_ = engrave;
    // Outlines carry no fill in the plain drawing, so readers paint them
    // black. Once engraving has a colour of its own, that implied black would
    // become a layer of its own: the hatch lines do the engraving instead.
    const std::string outline_fill = args.engrave_color.empty() ? "" : " fill=\"none\"";
    const auto set = [this](Mark mark, std::string paint) { paints_[static_cast<std::size_t>(mark)] = paint; };
    set(Mark::cut, " fill=\"none\" stroke=\"" + cut + "\" stroke-width=\"1\"");
    set(Mark::border, " fill=\"none\" stroke=\"" + cut + "\" stroke-width=\"2\"");
    set(Mark::hatch_line, " stroke=\"" + engrave + "\" stroke-width=\"0.5\"");
    set(Mark::outline, outline_fill + " stroke=\"" + engrave + "\" stroke-width=\"1\"");
    set(Mark::label, " fill=\"" + engrave + "\"");
}

SidesPx sides_inside_kerf(float width_px, float height_px, int degrees, const LaserStyle& style) {
    if (style.round_kerf()) {
        return {size_inside_kerf(width_px, style.kerf_px()), size_inside_kerf(height_px, style.kerf_px())};
    }
    // An elliptic spot is as wide across a side as its extent along the
    // side's normal; the width's normal is the turned x axis.
    const double angle = degrees * std::acos(-1.0) / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double kx = style.kerf_x_px();
    const double ky = style.kerf_y_px();
    const auto across = [&](double nx, double ny) { return static_cast<float>(std::hypot(kx * nx, ky * ny)); };
    return {width_px - across(c, s), height_px - across(s, c)};
}

std::string kerf_too_large(const LaserStyle& style, float size_mm) {
    std::ostringstream text;
    text << (style.round_kerf() ? "--kerf " : "--kerf-x/--kerf-y, up to ") << style.kerf_mm() << " mm is not smaller than the hole (" << size_mm
         << " mm), so its cut would leave no hole";
    return text.str();
}
