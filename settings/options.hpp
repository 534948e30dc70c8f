#pragma once

#include <cxxopts.hpp>
#include <string>

#include "settings/arguments.hpp"

// The default Inkscape command: the Windows install path as users have always
// typed it there, and the plain command name on POSIX systems.
extern const std::string default_inkscape_path;

// An option name as the option library quotes it in its messages.
std::string quoted_option(const std::string& name);

// The program description shown at the top of the help text.
std::string program_description(int current_year);

// The option table, in the order of the help text.
cxxopts::Options make_options(const std::string& program_name, int current_year);

// Fills the settings from a parse result, reading the options in a fixed order
// so that the first missing required option is the one an error names.
// Throws cxxopts exceptions for missing values and for values that the
// library would silently cut short ("1,5", "3mm") or that cannot work
// (a hatch density that is not a positive finite number).
Arguments read_arguments(const cxxopts::ParseResult& result);
