#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "joints/finger_edges.hpp"
#include "panel/laser_style.hpp"
#include "settings/arguments.hpp"

// A small coupon to cut from the run's own material before the box: a row of
// slots around the material thickness, two plates with the run's finger
// joint, and a 20 mm square and round hole that show the kerf.
struct TestPiece {
    float width_mm = 0;
    float height_mm = 0;
    // The nominal widths of the slots, left to right, and where their cut
    // lines run (mm, left and right, after the kerf).
    std::vector<float> slot_widths_mm;
    // The two plates' outlines (px, the drawing's frame): the one with
    // fingers and the one with notches.
    std::vector<Point> fingers_plate;
    std::vector<Point> notches_plate;
    std::string svg;
};

// The slot row steps by this from T - 0.3 mm to T + 0.3 mm.
constexpr float slot_step_mm = 0.1f;
constexpr int slot_count = 7;
// Fingers on each plate.
constexpr int plate_fingers = 3;

// The test piece for the thickness, finger width, finger play and kerf of
// `args`, drawn as the panels are (page, colours, kerf of `style`).
TestPiece draw_test_piece(const Arguments& args, const LaserStyle& style);

// One short paragraph on how to read the cut piece: which measurement gives
// which option.
void print_test_piece_guide(const Arguments& args, std::ostream& out);
