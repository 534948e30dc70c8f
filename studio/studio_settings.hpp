#pragma once

#include <cxxopts.hpp>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/arguments.hpp"

// The studio's settings are the run options that shape the drawing, kept in
// the project under the top-level key "Studio" by their long option names,
// each in its own type: {"material-thickness": 3, "finger-joints": true,
// "sheet": "600x400"}. Precedence: the project's "Studio" key, then the
// options given on the command line at start, then T = 3 mm, BH = 50 mm, then
// the options' own defaults. Paths (the project file, the output folder, the
// parts library, the font file, Inkscape) come from the command line only.

extern const char* const studio_key;

// A setting the studio cannot use; the message names the key.
class SettingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the command line fixed when the studio started.
struct StudioStart {
    std::string program_name = "svggenerator";
    std::string json_file;
    std::string output_directory;           // the command line's, or "out"
    std::vector<std::string> fixed_options;  // "--parts=…" and the like, passed to every run
    nlohmann::json settings = nlohmann::json::object();  // given at start, with T and BH
};

// Reads the start from the parsed command line. Throws cxxopts exceptions
// for values the command line would refuse.
StudioStart read_studio_start(const cxxopts::ParseResult& result);

// The start's settings with the project's "Studio" key over them (`saved`
// may be null: none). Throws SettingError for an unknown or ill-typed key and
// for an output folder other than the command line's.
nlohmann::json merged_settings(const StudioStart& start, const nlohmann::json* saved);

// Every setting with its value: `settings` filled up with the defaults.
nlohmann::json filled_settings(const StudioStart& start, const nlohmann::json& settings);

// The command line's words (without the program) that run with `settings`.
std::vector<std::string> run_words(const StudioStart& start, const nlohmann::json& settings);

// The run's settings, checked as the command line checks them. Throws
// SettingError with the command line's own message.
Arguments studio_arguments(const StudioStart& start, const nlohmann::json& settings);

// The words as a shell command line, quoted where a shell would need it.
std::string command_line_text(const std::string& program, const std::vector<std::string>& words);

// [{"name", "type": "number|bool|string", "default", "description"}] of
// every setting, in the order of the help text.
nlohmann::json settings_listing();
