#pragma once

#include <cstddef>
#include <string>

// How many single-character insertions, deletions and substitutions turn
// `a` into `b` (Levenshtein distance): "did you mean" picks the known name
// nearest to a mistyped one by it.
std::size_t edit_distance(const std::string& a, const std::string& b);
