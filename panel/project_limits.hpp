#pragma once

#include <cstddef>
#include <optional>
#include <string>

// A box design holds a few dozen components of a dozen values each. The
// parsed tree costs far more memory than its text (an array of empty objects
// some fifty times as much), so the text is counted before it is parsed.
constexpr std::size_t max_project_values = 250'000;  // keys and values together
constexpr std::size_t max_project_depth = 64;         // a design nests 3 deep

// Reads the JSON text without building it and says why it is too large for a
// project (too many values, or nested too deep), or nothing when it is not.
// Text that is not JSON passes: the real parse reports it, and stops at the
// same place.
std::optional<std::string> project_too_large(const std::string& text);
