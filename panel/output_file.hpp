#pragma once

#include <filesystem>
#include <string>

// A scratch file of this run in `folder`: a name no drawing can have, made
// unique by the process id, for "partial" drawings and captured output.
std::filesystem::path scratch_path(const std::filesystem::path& folder, const std::string& what);

// A path from UTF-8 text (keys of the project file), on every platform.
std::filesystem::path utf8_path(const std::string& text);

// Creates the output folder with its parents. Throws RunError naming the folder.
void create_output_folder(const std::filesystem::path& folder);

// Writes the whole text to `path`, replacing an older file only once the new
// one is completely on disk: a failed write leaves neither a torn file nor a
// lost one. Throws RunError naming the file.
void write_output_file(const std::filesystem::path& path, const std::string& content);
