#pragma once

#include <filesystem>
#include <string>

#include "panel/errors.hpp"
#include "panel/project.hpp"
#include "settings/arguments.hpp"

// The folder a pass writes into: the output directory joined with the
// project file's stem. Throws RunError for an empty directory or a stem that
// names no folder.
std::filesystem::path output_folder(const std::string& json_file, const std::string& output_directory);

// Refuses, before anything is written, a project in which two sections would
// write files of the same name in any pass of the run (vector files included).
void refuse_file_name_clashes(const json& project, const Arguments& args, const std::string& json_file);

// Refuses a drawing or vector file that would replace the project file itself.
void refuse_overwriting_project(const std::filesystem::path& target, const std::string& json_file,
                                const Place& place);
