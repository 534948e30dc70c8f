#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temp folder, removed at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs build/svggenerator with `args` inside `cwd`, as a user would from a shell.
RunResult run_program(const std::vector<std::string>& args, const std::filesystem::path& cwd);

void write_text(const std::filesystem::path& path, const std::string& text);
std::string read_text(const std::filesystem::path& path);

// True when xmllint accepts the file as well-formed XML.
bool parses_as_xml(const std::filesystem::path& path);

// The number of non-overlapping occurrences of `part` in `text`.
int count_of(const std::string& text, const std::string& part);

// A project with a 20 x 10 cm box and the given sections (JSON members text,
// without the surrounding braces; may be empty).
std::string project_with(const std::string& sections);
