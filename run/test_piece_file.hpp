#pragma once

#include <filesystem>

#include "panel/panel.hpp"
#include "settings/arguments.hpp"

// Writes test-piece.svg into `folder` as a panel's file is written (atomic,
// within the run's budget, with its DXF file and LightBurn project as asked,
// vectorized like the panels) and prints how to read the cut piece. In a
// simulation nothing is written.
void write_test_piece(const std::filesystem::path& folder, const Arguments& args, RunContext& context);
