#pragma once

#include <optional>
#include <string>
#include <vector>

#include "graphics/graphics_keys.hpp"
#include "panel/project.hpp"

struct PagePoint {
    double x = 0;
    double y = 0;
};

struct Segment {
    PagePoint from;
    PagePoint to;
};

// A circular arc about `centre`, in degrees from twelve o'clock, clockwise.
struct ArcPiece {
    PagePoint centre;
    double radius = 0;
    double from = 0;
    double to = 0;
};

// One label of a scale: its centre on the page, and its turn about it.
struct ScaleLabel {
    PagePoint at;
    double turn = 0;
    std::string text;
};

// Everything a scale draws, in px on the page.
struct ScaleDrawing {
    std::vector<Segment> marks;  // inner end first
    std::optional<ArcPiece> arc;
    std::vector<ScaleLabel> labels;
    double label_size = 0;
    double line_width = 0;
};

// The point at `radius` from `centre` in the direction of `degrees`.
PagePoint on_circle(PagePoint centre, double radius, double degrees);

// The scale of component `c`; `font_size` (px) is the run's, the labels'
// size unless the scale gives its own.
ScaleDrawing scale_geometry(const ScaleSettings& s, const Component& c, double font_size);

// How far a label's box reaches from its centre along the unit direction
// (dx, dy): an estimate from its letters, as no font is known here.
double label_reach(const std::string& text, double size, double dx, double dy);

// The turn of the rectangles of a component: above 0 it turns them, as the
// cut-out does; 0 and below leave them as they stand.
int rectangle_turn(const Component& c);
