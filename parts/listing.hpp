#pragma once

#include <ostream>

#include "parts/library.hpp"

// Prints every part of the library in name order: its name, description,
// cut-out, visible area and extra holes in mm, and its source.
void print_part_list(const PartLibrary& library, std::ostream& out);
