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
    try {
        return options.parse(argc, argv);
    } catch (const cxxopts::exceptions::incorrect_argument_type& e) {
        // The library's message names the value only; the word that holds it
        // names the option.
        const std::string message = e.what();
        const std::string quotes = quoted_option("");
        const std::string open_quote = quotes.substr(0, quotes.size() / 2);
        const std::size_t open = message.find(open_quote);
        const std::size_t close = message.rfind(quotes.substr(quotes.size() / 2));
        if (open == std::string::npos || close == std::string::npos || close < open + open_quote.size()) throw;
        const std::string value = message.substr(open + open_quote.size(), close - open - open_quote.size());
        for (int i = argc - 1; i >= 1; --i) {
            const std::string_view word = argv[i] != nullptr ? argv[i] : "";
            const bool attached = word.starts_with("--") && word.ends_with("=" + value);
            if ((word == value && i > 1) || attached) {
                const std::string option = option_of(argv, attached ? i : i - 1);
                if (!option.starts_with("Option ")) throw;
                throw cxxopts::exceptions::parsing("Argument " + quoted_option(value) + " of option " +
                                                   option.substr(7) + " failed to parse");
            }
        }
        throw;
    }
}
