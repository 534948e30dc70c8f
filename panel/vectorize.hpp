#pragma once

#include <filesystem>
#include <string>

#include "panel/panel.hpp"
#include "settings/arguments.hpp"

struct CommandResult {
    int status = 0;
    std::string output;  // the start of what the command printed, both streams together
};

// The outside world of the vectorization step: running a command line and the
// pause after a successful run. Tests hand in a fake.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Runs the command and waits for it; what it prints may pass through
    // `capture_file`, which is gone afterwards.
    virtual CommandResult run(const std::string& command_line, const std::filesystem::path& capture_file) = 0;
    virtual void pause() = 0;
};

// Runs commands through the system's command processor and really waits: for
// the command itself, not for anything it leaves running in the background.
class SystemCommandRunner : public CommandRunner {
public:
    CommandResult run(const std::string& command_line, const std::filesystem::path& capture_file) override;
    void pause() override;
};

// How much of a command's output is kept to show on failure.
constexpr std::size_t max_captured_output = 64 * 1024;

// The written file's own name with ".svg" replaced by "_vector.svg", in the
// same folder.
std::filesystem::path vector_path_for(const std::filesystem::path& svg_path);

// One argument for the command processor: a space or a shell character in it
// stays part of the path and never runs as a command.
std::string quote_path(const std::string& path);

// The Inkscape command line; the inkscape command itself goes in unquoted so
// that users may give a wrapper there.
std::string inkscape_command_line(const std::string& inkscape, const std::string& vector_path,
                                  const std::string& svg_path);

// What turns a written SVG into its "_vector.svg" file. A conversion removes
// the plain file unless --keep-files and prints the success line; it throws,
// the plain file kept, when it fails.
class VectorConverter {
public:
    virtual ~VectorConverter() = default;
    virtual void convert(const std::string& section, const std::filesystem::path& svg_path, const Arguments& args,
                         RunContext& context) = 0;
};

// The outside program: Inkscape, started through the run's command runner.
class InkscapeConverter : public VectorConverter {
public:
    void convert(const std::string& section, const std::filesystem::path& svg_path, const Arguments& args,
                 RunContext& context) override;

private:
    void convert_with_scratch(const std::string& section, const std::filesystem::path& svg_path,
                              const Arguments& args, RunContext& context);
};

// Converts a written SVG to paths with the run's converter (Inkscape unless
// the run names another). Failures are reported and never end the run; the
// plain file is removed only when the vector file is there.
void vectorize_file(const std::string& section, const std::string& suffix, const std::filesystem::path& svg_path,
                    const Arguments& args, RunContext& context);

// A run that writes a drawing without converting it takes away the vector
// file an earlier run left beside it: that file shows the old drawing and
// would be sent to the laser in its place. Says so on the console; the
// project file itself is never taken.
void remove_stale_vector_file(const std::filesystem::path& svg_path, const std::string& json_file,
                              RunContext& context);
