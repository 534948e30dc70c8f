#pragma once

#include <ostream>

#include "panel/project.hpp"
#include "settings/arguments.hpp"

// With --finger-joints: one note for each place the box leaves open (see
// FilledPlaces), naming the edges of every section that stay straight there
// and why. Nothing for a box whose sections close all six places.
void note_straight_edges(const json& project, const BoxSize& box, const Arguments& args, std::ostream& out);
