#pragma once

#include <array>
#include <string>
#include <vector>

#include "settings/arguments.hpp"

// The layer selection of one output pass.
struct Pass {
    bool text = false;
    bool components = false;
    bool outline = false;
    bool recess = false;
    float screw_size_top = 0;
    float screw_size_bottom = 0;
    float screw_head_diameter = 0;
};

// One pass with every selected layer, or in separate-files mode six passes,
// each keeping one layer: text, components, outline, recess, screw holes,
// screw recesses.
std::vector<Pass> output_passes(const Arguments& args);

// The folder reported at the end of a run: the absolute, normalised output
// directory joined with the project file's stem. Throws std::runtime_error
// for an empty output directory.
std::string output_path(const std::string& json_file, const std::string& output_directory);
