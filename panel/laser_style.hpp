#pragma once

#include <array>
#include <string>

#include "settings/arguments.hpp"

// What an element is to the laser program. Cut-outs, screw holes and the
// border are cut through; hatch lines, recess outlines and labels are engraved.
enum class Mark {
    cut,         // component cut-outs and screw holes
    border,      // the panel border: cut, with a wider stroke
    hatch_line,  // recess and screw-head hatch lines
    outline,     // recess and screw-head outlines
    label,       // component labels
};

// How the drawing speaks to the laser program beyond its shapes: the colour
// that tells cutting from engraving, the kerf the cut lines make up for, and
// whether the page is given in millimetres. Built once from the settings; the
// default is the plain drawing (all black, nominal sizes, px page).
class LaserStyle {
public:
    LaserStyle();
    explicit LaserStyle(const Arguments& args);

    // The paint attributes of an element, such as
    //  fill="none" stroke="black" stroke-width="1"
    const std::string& paint(Mark mark) const { return paints_[static_cast<std::size_t>(mark)]; }
    // The fill of the header's .text style rule.
    const std::string& text_fill() const { return text_fill_; }
    // The colour of engraved lines, such as the scales' marks.
    const std::string& engrave_colour() const { return engrave_colour_; }
    bool physical_size() const { return physical_size_; }
    // The kerf where one number stands for both axes: the larger of the two.
    float kerf_mm() const { return kerf_mm_; }
    float kerf_px() const { return kerf_px_; }
    // The kerf along each axis: --kerf-x and --kerf-y, or --kerf.
    float kerf_x_mm() const { return kerf_x_mm_; }
    float kerf_y_mm() const { return kerf_y_mm_; }
    float kerf_x_px() const { return kerf_x_px_; }
    float kerf_y_px() const { return kerf_y_px_; }
    // True when the beam takes the same along both axes: the drawing is then
    // the one a single --kerf gives, byte for byte.
    bool round_kerf() const { return kerf_x_mm_ == kerf_y_mm_; }

private:
    std::array<std::string, 5> paints_;
    std::string text_fill_;
    std::string engrave_colour_;
    bool physical_size_ = false;
    float kerf_mm_ = 0;
    float kerf_px_ = 0;
    float kerf_x_mm_ = 0;
    float kerf_y_mm_ = 0;
    float kerf_x_px_ = 0;
    float kerf_y_px_ = 0;
};

// A hole's size (diameter, width or height) as drawn: the beam takes half the
// kerf on either side of its line, so a line drawn half the kerf inside the
// edge leaves the hole at its nominal size. Kerf and size share one unit.
inline float size_inside_kerf(float size, float kerf) { return size - kerf; }

struct SidesPx {
    float width;
    float height;
};

// A rectangular hole's sides as drawn, the rectangle turned by `degrees`:
// each pair of sides moves in by what the beam takes across them, so a
// rectangle whose width runs along x loses the kerf along x from it.
SidesPx sides_inside_kerf(float width_px, float height_px, int degrees, const LaserStyle& style);

// True unless the kerf would leave a hole with no size. A kerf of 0 leaves
// every hole as the plain drawing has it, whatever its size.
inline bool kerf_leaves_hole(float size, float kerf) { return kerf <= 0 || size > kerf; }

// Why a hole of `size_mm` is refused when the kerf leaves nothing of it.
std::string kerf_too_large(const LaserStyle& style, float size_mm);
