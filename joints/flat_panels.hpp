#pragma once

#include <string>

#include "panel/project.hpp"
#include "settings/arguments.hpp"

// With --finger-joints: refuses (RunError, naming the section and the
// panel's size) the first panel that keeps less material between the joints
// of two opposite edges than the material is thick. Its fingers would hold
// together by a sliver or not at all: loose tabs, not a wall. A panel whose
// size is out of range is left to the drawing's own refusal.
void refuse_flat_panels(const json& project, const BoxSize& box, const Arguments& args, const std::string& path);
