#pragma once

#include <optional>
#include <string>

#include "graphics/graphics_keys.hpp"
#include "panel/laser_style.hpp"
#include "panel/project.hpp"

// A component's engraved graphics, as its keys ask for them.
struct ComponentGraphics {
    std::optional<ScaleSettings> scale;
    std::optional<FrameSettings> frame;
};

// Reads and checks "scale" and "frame" (RunError for bad values), whether or
// not the pass draws them, so every pass refuses the same projects.
ComponentGraphics read_graphics(const Component& c);

// Appends the scale and the frame of the text layer: each a group of class
// "scale" or "frame" whose lines carry the engrave colour, and whose texts
// are labels like the components' own. Appends nothing without either.
void draw_graphics(const ComponentGraphics& g, const Component& c, const LaserStyle& style, int font_size,
                   std::string& svg);
