#pragma once

#include <ostream>
#include <string>

#include "panel/errors.hpp"
#include "panel/project.hpp"
#include "settings/arguments.hpp"

// With --finger-joints: names each edge of the section's panel that is too
// short for a joint, and each cut-out or recess that reaches into the strip
// of material a joint takes (within the material thickness of a jointed
// edge), where it would weaken or cut through the fingers. Each goes to `err`
// as a design warning; nothing else changes.
void warn_about_joints(const std::string& key, const json& section, const BoxSize& box, const Arguments& args,
                       const Place& place, std::ostream& err);
