#pragma once

#include <map>
#include <string>
#include <vector>

#include "parts/part.hpp"

// The parts a run knows, by name, and the files they came from.
struct PartLibrary {
    std::map<std::string, Part> parts;
    std::vector<std::string> files;  // the library files read, shipped one first
};

// Reads a parts file: {"parts": {"name": {"description", "source", the
// cut-out in mm, optional visible area and "holes"}}}. Throws RunError naming
// the file, the part and the key for anything the drawing could not use.
PartLibrary read_part_library(const std::string& path);
// The same from text already read; `path` names it in messages.
PartLibrary parse_part_library(const std::string& text, const std::string& path);

// `over`'s parts replace `base`'s parts of the same name.
void add_parts(PartLibrary& base, const PartLibrary& over);

// The known name nearest to `name` by edit distance (ties: the first by
// name); empty for an empty library.
std::string nearest_part_name(const PartLibrary& library, const std::string& name);
