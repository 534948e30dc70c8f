#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "parts/library.hpp"

// The running program's own file, so that the data shipped with it is found
// wherever it was installed or unpacked; `argv0` when the system cannot say.
std::filesystem::path program_file(const char* argv0);

// Where the shipped library may be, first match wins: beside the program (a
// build folder, the Windows zip) and in ../share/svggenerator (an install).
std::vector<std::filesystem::path> shipped_library_places(const std::filesystem::path& program);

// The shipped library (none when it is not found) with the user's own parts
// file over it, when one is given. Throws RunError for a file that cannot be
// read or used.
PartLibrary load_run_library(const std::filesystem::path& program, const std::string& user_file);
