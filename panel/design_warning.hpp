#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "panel/errors.hpp"

// One design warning as the console shows it, with the place it names.
struct DesignWarning {
    std::string section;
    std::string component;  // empty: the section itself
    std::string key;        // empty: the component as a whole
    std::string text;       // the console line, without its newline
};

// A stream for design warnings that keeps each one whole instead of showing
// it, for a program that lists them itself.
class DesignWarningList : public std::ostream {
public:
    DesignWarningList() : std::ostream(nullptr) {}
    std::vector<DesignWarning> warnings;
};

// Writes `Warning: project file "…", section "…", component "…", key "…": …`
// to `err`; a DesignWarningList keeps it instead.
void write_design_warning(std::ostream& err, const Place& place, const std::string& key, const std::string& problem);
