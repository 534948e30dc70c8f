#pragma once

#include <cstddef>
#include <string_view>

// The page's own files, built into the program (see studio/CMakeLists.txt),
// so that it needs neither files beside it nor the internet.
struct StaticFile {
    std::string_view path;  // as the page asks for it: "/index.html"
    std::string_view bytes;
};

// Every built-in file; generated at build time from studio/page/ and three.js.
extern const StaticFile embedded_files[];
extern const std::size_t embedded_file_count;

// The file at `path`, or null.
const StaticFile* find_static_file(std::string_view path);

// The Content-Type for a file's name by its extension.
std::string_view content_type_of(std::string_view path);
