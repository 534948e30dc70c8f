#pragma once

#include <optional>
#include <string>
#include <vector>

#include "graphics/graphics_keys.hpp"
#include "graphics/scale_geometry.hpp"

// A frame drawn about the origin and turned and moved onto the component.
struct FrameDrawing {
    PagePoint centre;
    int turn = 0;
    double width = 0;
    double height = 0;
    double radius = 0;  // no more than half the smaller side
    double line_width = 0;
    // The gap in the top edge that the title stands in: from its left to its
    // right end, as x about the centre.
    std::optional<std::pair<double, double>> gap;
    std::string title;
    double title_size = 0;
};

FrameDrawing frame_geometry(const FrameSettings& f, const Component& c, double font_size);

// The frame's line as SVG path data about its centre: clockwise from the
// right end of the title's gap to its left end, or closed without a title.
std::string frame_path_data(const FrameDrawing& f);

// The frame's line on the page as polylines, corners in short chords.
std::vector<std::vector<PagePoint>> frame_polylines(const FrameDrawing& f);
