#include "panel/laser_style.hpp"

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
      kerf_mm_(args.kerf),
      kerf_px_(mm_to_px(args.kerf)) {
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

std::string kerf_too_large(const LaserStyle& style, float size_mm) {
    std::ostringstream text;
    text << "--kerf " << style.kerf_mm() << " mm is not smaller than the hole (" << size_mm
         << " mm), so its cut would leave no hole";
    return text.str();
}
