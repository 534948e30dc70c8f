#pragma once

#include <filesystem>
#include <string>

#include "panel/laser_style.hpp"
#include "panel/panel.hpp"
#include "panel/project.hpp"
#include "lightburn/drawing_exports.hpp"
#include "settings/passes.hpp"
#include "sheets/sheet_plan.hpp"

// Writes this pass's sheet files, "sheet-1" + suffix + ".svg" and on, into
// `folder` (nothing when simulating) and vectorizes them as the panel files
// are. Each panel's drawing is built again straight into its sheet, so no
// drawing is ever held whole; the sheet counts against the run's write
// budget and the limit of one file. With --dxf each sheet gets its DXF
// file, with the labels in the pass's `dxf_font`.
void write_sheets(const SheetPlan& plan, const json& project, const BoxSize& box, const Pass& pass,
                  const Arguments& args, const LaserStyle& style, const std::filesystem::path& folder,
                  const std::string& suffix, RunContext& context, PassExports& exports);

// Sheet `s` (from 0) of the plan whole in memory, as its file of a normal
// pass holds it; touches no file. Its bytes count against the run's budget.
std::string draw_sheet_text(const SheetPlan& plan, std::size_t s, const json& project, const BoxSize& box,
                            const Pass& pass, const Arguments& args, const LaserStyle& style, RunContext& context);

// The start of a sheet's file, up to its first panel: a panel's header with
// the page made the sheet's (in mm with its viewBox in px) and without the
// panel's drawing group; the label style is the one all panels share.
std::string sheet_header(const Arguments& args, const std::string& panel_header);

// ` transform="…"` of a panel's group: moved to its place and, turned, by a
// quarter turn about its top-left corner, so that it covers the same
// footprint. `page` is the panel's own page, unturned.
std::string placement_transform(const Placement& placement, Extent page);
