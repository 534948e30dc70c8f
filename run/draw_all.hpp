#pragma once

#include <string>

#include "panel/panel.hpp"

// One output pass: reads the project file, creates <output_directory>/<stem>
// and writes one SVG per section with the selected layers. Throws
// RunError (panel/errors.hpp) when the project file or the output folder
// cannot be used; files written before stay.
void draw_all(const std::string& json_file, const std::string& output_directory, bool text, bool components,
              bool outline, bool recess, float screw_size_top, float screw_size_bottom, float screw_head_diameter,
              const Arguments& args, RunContext& context);
