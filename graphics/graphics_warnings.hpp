#pragma once

#include <ostream>
#include <string>

#include "panel/errors.hpp"
#include "panel/project.hpp"
#include "settings/arguments.hpp"

// Design warnings about the scales and frames of a section: keys of "scale"
// and "frame" the program does not know, and a scale's or frame's line that
// runs past the panel's edge or over another component's cut-out. Given as
// the other design warnings are; the section must have been drawn without
// error.
void warn_about_graphics(const std::string& key, const json& section, const BoxSize& box, const Arguments& args,
                         const Place& place, std::ostream& err);
