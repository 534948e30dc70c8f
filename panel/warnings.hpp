#pragma once

#include <ostream>
#include <string>

#include "panel/errors.hpp"
#include "panel/project.hpp"
#include "settings/arguments.hpp"

// Design mistakes that the drawing would carry out faithfully and that cost
// material: a misspelt key, a cut-out or recess beyond its panel, cut-outs
// that overlap each other or a screw. Each goes to `err` as
// `Warning: project file "…", section "…", component "…": …`; nothing else
// changes. The section must already have been read without error.
// Warns on standard error about keys of "Generic" the program does not read.
void warn_about_generic(const json& project, const std::string& json_file, std::ostream& err);

void warn_about_section(const std::string& key, const json& section, const BoxSize& box, const Arguments& args,
                        const Place& place, std::ostream& err);
