#include "settings/command_line.hpp"

#include "settings/options.hpp"

#include <cstring>
#include <string_view>
#include <string>

namespace {

// A long option's name ends at '='; a short one is its first letter. A word
// that is no option is the value of the word before it.
std::string option_of(const char* const* argv, int index) {
    const std::string_view word(argv[index]);
    std::string_view name;
    if (word.starts_with("--")) {
        name = word.substr(2, word.find('=') == std::string_view::npos ? std::string_view::npos : word.find('=') - 2);
    } else if (word.starts_with("-") && word.size() > 1) {
        name = word.substr(1, 1);
    } else if (index > 1 && std::string_view(argv[index - 1]).starts_with("-")) {
        return option_of(argv, index - 1);
    } else {
        return "Argument";
    }
    // The name itself may be the long part; show its start only.
    constexpr std::size_t shown = 40;
    std::string text(name.substr(0, shown));
    if (name.size() > shown) text += "...";
    return "Option " + quoted_option(text);
}

}  // namespace

cxxopts::ParseResult parse_command_line(cxxopts::Options& options, int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && std::strlen(argv[i]) > max_command_line_word) {
            throw cxxopts::exceptions::parsing(option_of(argv, i) + " has a value longer than " +
                                               std::to_string(max_command_line_word) + " bytes");
        }
    }
    return options.parse(argc, argv);
}
