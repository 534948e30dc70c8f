#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "panel/design_warning.hpp"
#include "parts/library.hpp"
#include "settings/arguments.hpp"

// Everything the page shows of a project, drawn in memory by the same code
// as a normal pass of the command line, without conversion.
struct PanelRendering {
    std::vector<std::pair<std::string, std::string>> panels;  // section key, SVG text
    std::vector<DesignWarning> warnings;
    std::vector<std::string> sheets;  // with a sheet size: each sheet's SVG text
};

// Draws every section of `project` (a project as the file holds it) as the
// file of a normal pass with `args` would hold it. Touches no file and
// prints nothing. Throws RunError naming file, section, component and key.
PanelRendering render_project(nlohmann::json project, const Arguments& args, const PartLibrary* parts);
