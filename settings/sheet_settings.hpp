#pragma once

#include <cxxopts.hpp>

#include "settings/arguments.hpp"

// The largest sheet side and gap taken, in mm: far beyond any laser's bed,
// and small enough that every length on a sheet stays exact.
constexpr float max_sheet_mm = 100000.0f;

// Reads --sheet ("WIDTHxHEIGHT" in mm) and --sheet-gap into `a`. Throws the
// option library's parsing error for a malformed size or gap.
void read_sheet_settings(const cxxopts::ParseResult& result, Arguments& a);
