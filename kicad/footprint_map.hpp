#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "kicad/placement.hpp"

// The shipped map from KiCad library footprints to parts: each entry gives
// the part, the shaft's offset from the footprint's origin and the part's
// angle against the footprint, read from the library's footprint file.
struct FootprintMap {
    std::map<std::string, Mapping> by_name;  // keyed by footprint name, without the library
    std::string file;                        // where it was read; empty: none found
};

// Reads {"footprints": {"Lib:Name": {"part", "offset": [x, y], "angle",
// "source"}}}. Throws RunError naming the file and the entry.
FootprintMap parse_footprint_map(const std::string& text, const std::string& path);

// The shipped map beside the program or in ../share/svggenerator, as the
// parts library is found; an empty map when there is none.
FootprintMap load_shipped_footprint_map(const std::filesystem::path& program);
