#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <ostream>
#include <string>

#include "settings/arguments.hpp"

class CommandRunner;
class VectorConverter;
struct PartLibrary;
struct FootprintMap;

// Pixels per centimetre in every SVG this program writes.
extern const float cm_to_px;
// The document frame: a header with three placeholders, and the footer that
// closes the group the header opens.
extern const std::string svg_header;
extern const std::string svg_footer;

// All drawings of one run together may not take more than this: each file
// has its own cap, but many sections of large drawings would still fill a disk.
constexpr std::uintmax_t max_run_write_bytes = std::uintmax_t{1} << 30;

// Where a pass writes its console lines and how it reaches the outside world.
struct RunContext {
    std::ostream& out;
    std::ostream& err;
    CommandRunner& commands;
    // What turns each written file into its vector file; none: Inkscape,
    // started through `commands`.
    VectorConverter* converter = nullptr;
    // Design warnings are given by the first pass that draws, not again by
    // every layer pass of separate files.
    bool design_warned = false;
    // The sheet placement is printed by the first pass that draws.
    bool sheets_reported = false;
    // What the run may still write; every pass of the run draws on it.
    std::uintmax_t write_budget = max_run_write_bytes;
    // The project as the first pass read and checked it; later passes of the
    // run draw from it, so it is read once, even from a pipe.
    std::shared_ptr<const nlohmann::json> project{};
    std::string project_file{};  // the path it was read from
    // The named parts components may use; none: no library was loaded.
    const PartLibrary* parts = nullptr;
    // The shipped map from KiCad footprints to parts; none: not found.
    const FootprintMap* footprints = nullptr;
    // Files handed to the vectorization step, and those it failed to convert.
    int vectorizations = 0;
    int failed_vectorizations = 0;
    // DXF files begun, and those that could not be made.
    int dxf_files = 0;
    int failed_dxf_files = 0;
};

// Takes `bytes` from the run's write budget; false, taking nothing, when they
// do not fit.
bool take_from_write_budget(RunContext& context, std::uintmax_t bytes);
// How a write refused by the budget is described: "past 1024 MiB written in all".
std::string past_write_budget();
