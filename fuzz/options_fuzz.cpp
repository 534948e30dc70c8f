// Feeds arbitrary argument vectors, words split at NUL bytes, through option
// reading, the settings report and the choice of passes.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/arguments.hpp"
#include "settings/command_line.hpp"
#include "settings/options.hpp"
#include "settings/passes.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words{"svggenerator"};
    std::string word;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    words.push_back(word);
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    argv.push_back(nullptr);

    std::ostream null_stream(nullptr);
    cxxopts::Options options = make_options("svggenerator", 2026);
    try {
        const cxxopts::ParseResult result = parse_command_line(options, static_cast<int>(words.size()), argv.data());
        if (result.count("help") > 0) {
            null_stream << options.help();
            return 0;
        }
        const Arguments args = read_arguments(result);
        print_settings_report(args, null_stream);
        if (print_advisories(args, null_stream)) {
            output_passes(args);
            try {
                output_path(args.json_file, args.output_directory);
            } catch (const std::runtime_error&) {
                // An empty output directory is refused here.
            }
        }
    } catch (const cxxopts::exceptions::exception&) {
        // A refused command line is the expected end for most inputs.
    }
    return 0;
}
