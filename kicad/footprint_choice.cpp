#include "kicad/footprint_choice.hpp"

#include <charconv>
#include <cmath>

namespace {

bool read_number(std::string_view text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::abs(value) <= max_board_number;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

[[noreturn]] void refuse(const Footprint& f, const std::string& property, const std::string& text,
                         const std::string& rule) {
    throw BoardReadError(f.line, "footprint " + f.reference + ", property " + property + " \"" + text + "\": " + rule);
}

Mapping from_properties(const Footprint& f, const std::string& part) {
    Mapping m;
    m.part = part;
    if (auto it = f.properties.find("Panel_Offset"); it != f.properties.end()) {
        const std::string_view text = trimmed(it->second);
        const auto gap = text.find_first_of(" \t");
        if (gap == std::string_view::npos || !read_number(text.substr(0, gap), m.offset_x) ||
            !read_number(trimmed(text.substr(gap)), m.offset_y)) {
            refuse(f, "Panel_Offset", it->second, "expected \"X Y\" in mm, such as \"7.5 2.5\"");
        }
    }
    if (auto it = f.properties.find("Panel_Rotation"); it != f.properties.end()) {
        if (!read_number(trimmed(it->second), m.angle)) {
            refuse(f, "Panel_Rotation", it->second, "expected degrees, such as 90");
        }
    }
    return m;
}

}  // namespace

bool glob_matches(std::string_view pattern, std::string_view text) {
    // The classic two-pointer match: on a mismatch the last "*" takes one
    // more character. Each step moves on in the text, so it ends.
    std::size_t p = 0, t = 0;
    std::size_t star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::optional<Mapping> choose_mapping(const Footprint& f, const PatternMap& patterns, const FootprintMap* shipped) {
    if (auto it = f.properties.find("Panel"); it != f.properties.end() && !trimmed(it->second).empty()) {
        return from_properties(f, std::string(trimmed(it->second)));
    }
    for (const std::string* text : {&f.lib_id, &f.value}) {
        for (const auto& [pattern, mapping] : patterns) {
            if (glob_matches(pattern, *text)) return mapping;
        }
    }
    if (shipped != nullptr) {
        if (auto it = shipped->by_name.find(std::string(footprint_name(f.lib_id))); it != shipped->by_name.end()) {
            return it->second;
        }
    }
    return std::nullopt;
}
