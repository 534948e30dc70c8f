#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "kicad/footprint_map.hpp"

// Reads every board the project's "Boards" names and adds its placed
// footprints to the section it names, keyed by reference: the part, the
// shaft's place in cm and the rotation, and "call_name" from a "Label"
// property. A component the section already has under that key wins key by
// key; with "skip": true it drops the footprint. Through-hole footprints
// that map to no part are listed on `out` as not placed. A project without
// "Boards" is left as it is. Throws RunError naming the project file, the
// board and the key (and the board file's line) for a board that cannot be
// read or used. `shipped` may be null.
void add_boards(nlohmann::json& project, const std::string& json_file, const FootprintMap* shipped,
                std::ostream& out);
