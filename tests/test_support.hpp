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

// Runs the program as run_program does, in a subshell that first runs
// `prefix` (a limit, a trap, or a wrapper command the program's command
// line follows). Standard output goes to `stdout_to` when given, otherwise
// through a pipe, which no file size limit of the prefix reaches. A program
// ended by a signal has status -1.
RunResult run_program_after(const std::string& prefix, const std::vector<std::string>& args,
                            const std::filesystem::path& cwd, const std::string& stdout_to = "");

void write_text(const std::filesystem::path& path, const std::string& text);
std::string read_text(const std::filesystem::path& path);

// True when xmllint accepts the file as well-formed XML.
bool parses_as_xml(const std::filesystem::path& path);

// The number of non-overlapping occurrences of `part` in `text`.
int count_of(const std::string& text, const std::string& part);

// A project with a 20 x 10 cm box and the given sections (JSON members text,
// without the surrounding braces; may be empty).
std::string project_with(const std::string& sections);
