#pragma once

#include <optional>
#include <string>
#include <vector>

#include "panel/laser_style.hpp"
#include "panel/panel.hpp"
#include "panel/project.hpp"
#include "sheets/packer.hpp"

// Lengths on a sheet are counted in hundredths of a pixel, the unit in which
// every number of a drawing is written: a page size is one exactly, and a
// placement written back as a pixel value loses nothing.
constexpr double sheet_units_per_px = 100.0;

// Where every panel of the project goes on the material sheets. The same for
// every pass of a run, so the layer files of one sheet line up.
struct SheetPlan {
    Extent sheet;  // the sheet's viewBox in units
    Length gap = 0;
    std::vector<std::string> sections;  // in key order
    std::vector<Extent> pages;          // each section's page, unturned, in units
    Packing packing;
};

// The page of a drawing from its header, in units: the viewBox when there is
// one, otherwise the width and height (px). Nothing when it cannot be read.
std::optional<Extent> page_of(const std::string& header);

// Places every section's panel on sheets when --sheet is given (nothing
// otherwise), prints the placement the first time in a run, and refuses,
// before anything is written, a panel that fits the sheet in neither
// orientation and a sheet file that would take a section's file name.
std::optional<SheetPlan> plan_sheets(const json& project, const BoxSize& box, const Arguments& args,
                                     const LaserStyle& style, const std::string& json_file, RunContext& context);

// The name of sheet `index` (from 0) without ".svg": "sheet-1" and the
// layer suffix.
std::string sheet_name(std::size_t index, const std::string& suffix);
