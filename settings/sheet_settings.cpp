#include "settings/sheet_settings.hpp"

#include <cmath>
#include <sstream>

#include "settings/options.hpp"

namespace {

[[noreturn]] void refuse(const std::string& option, const std::string& rule) {
    throw cxxopts::exceptions::parsing("Option " + quoted_option(option) + " must be " + rule);
}

// A length read to the end of its text, finite and within the limit.
bool read_length(const std::string& text, float& value) {
    if (text.empty() || text.find_first_of(" \t") != std::string::npos) return false;
    std::istringstream in(text);
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof() && std::isfinite(value) &&
           std::fabs(value) <= max_sheet_mm;
}

}  // namespace

void read_sheet_settings(const cxxopts::ParseResult& result, Arguments& a) {
    const std::string size_rule = "WIDTHxHEIGHT in mm, both greater than 0 and at most 100000, such as 600x400";
    if (result.count("sheet") > 0) {
        const std::string text = result["sheet"].as<std::string>();
        const auto by = text.find_first_of("xX");
        if (by == std::string::npos || !read_length(text.substr(0, by), a.sheet_width) ||
            !read_length(text.substr(by + 1), a.sheet_height) || !(a.sheet_width > 0) || !(a.sheet_height > 0)) {
            refuse("sheet", size_rule);
        }
    }
    const std::string gap = result["sheet-gap"].as<std::string>();
    if (!read_length(gap, a.sheet_gap) || a.sheet_gap < 0) {
        refuse("sheet-gap", "a number of mm from 0 to 100000");
    }
}
