#pragma once

#include <filesystem>
#include <string>

// Creates the output folder with its parents. Throws RunError naming the folder.
void create_output_folder(const std::filesystem::path& folder);

// Writes the whole text to `path`, replacing an older file only once the new
// one is completely on disk: a failed write leaves neither a torn file nor a
// lost one. Throws RunError naming the file.
void write_output_file(const std::filesystem::path& path, const std::string& content);
