#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

// A problem with the project file or the output folder that ends the run.
// The message names the file and, where there is one, the section, the
// component and the key.
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No SVG document may grow beyond this: every real panel stays far below it,
// and a typo (a visible size in metres, a density of a million lines per mm)
// is refused before it fills the disk or the memory.
constexpr std::size_t max_document_bytes = std::size_t{256} << 20;

// Drawings are written in text mode: on Windows every "\n" reaches the disk
// as "\r\n". Limits and estimates count the bytes on disk.
#ifdef _WIN32
constexpr std::size_t newline_extra_bytes = 1;
#else
constexpr std::size_t newline_extra_bytes = 0;
#endif

// The bytes `svg` takes once written to a file.
std::size_t written_size(const std::string& svg);

// A project file larger than this is refused before it is parsed (a device
// such as /dev/zero would otherwise be read until memory runs out). Real
// designs are a few kilobytes.
constexpr std::size_t max_project_bytes = std::size_t{16} << 20;

// Where in the project file a value comes from; empty parts are left out of
// the message.
struct Place {
    std::string file;
    std::string section;
    std::optional<std::string> component;
};

// "project file "…", section "…", component "…", key "…"", leaving out the
// parts that are empty; names are quoted with control characters shown.
std::string describe_place(const Place& place, const std::string& key);

// A name from a file in double quotes, control characters shown as \uXXXX.
std::string quoted_name(const std::string& name);

[[noreturn]] void fail_at(const Place& place, const std::string& key, const std::string& problem);
