#pragma once

#include <string>

#include "kicad/board.hpp"

// How a footprint becomes a part: which part, where its shaft lies from the
// footprint's origin (mm, in the footprint's own frame at 0°, y downwards)
// and how far the part is turned against the footprint (degrees, clockwise
// on the page, as a component's rotation).
struct Mapping {
    std::string part;
    double offset_x = 0;
    double offset_y = 0;
    double angle = 0;
};

// Where a board lies on a panel: the board point `origin` (mm) lands at
// (panel_x, panel_y) (cm); the board is first mirrored (x flipped about the
// origin, the panel seen from the board's other side), then turned by
// `rotation` degrees clockwise about that point.
struct BoardFrame {
    BoardPoint origin;
    double panel_x = 0;
    double panel_y = 0;
    int rotation = 0;
    bool mirror = false;
};

// A component's place on the panel: its centre in cm and its rotation in
// whole degrees, clockwise, from 0 to 359.
struct PanelPlace {
    double x = 0;
    double y = 0;
    int rotation = 0;
};

PanelPlace place_on_panel(const Footprint& footprint, const Mapping& mapping, const BoardFrame& frame);
