#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "panel/errors.hpp"
#include "parts/library.hpp"

// Gives every component of the project's sections that names a "part" the
// part's cut-out and visible area (in cm, as the project has them) wherever
// the component does not give its own, and keeps the part's extra holes in
// the component for the drawing. A component that gives a rectangle size
// (drill_width or drill_height, likewise visible_…) takes no diameter from
// the part, so that it gets the shape it names. A project without "part"
// keys is left as it is. Throws RunError for a "part" that is no text or
// names no known part, with the nearest known name. `library` may be null
// (no library was loaded).
void resolve_parts(nlohmann::json& project, const PartLibrary* library, const std::string& json_file);

