#include "panel/errors.hpp"

#include <algorithm>
#include <cstdio>

std::size_t written_size(const std::string& svg) {
    if constexpr (newline_extra_bytes == 0) {
        return svg.size();
    }
    return svg.size() + newline_extra_bytes * static_cast<std::size_t>(std::count(svg.begin(), svg.end(), '\n'));
}

namespace {

// Names come from the project file; a control character in one would cut the
// message short (NUL) or garble the terminal, so it is shown as \uXXXX.
std::string quoted(const std::string& name) {
    std::string text = "\"";
    for (unsigned char ch : name) {
        if (ch < 0x20 || ch == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(ch));
            text += escaped;
        } else {
            text += static_cast<char>(ch);
        }
    }
    return text + "\"";
}

}  // namespace

std::string quoted_name(const std::string& name) { return quoted(name); }

std::string describe_place(const Place& place, const std::string& key) {
    std::string text = "project file " + quoted(place.file);
    if (!place.section.empty()) {
        text += ", section " + quoted(place.section);
    }
    if (place.component) {
        text += ", component " + quoted(*place.component);
    }
    if (!key.empty()) {
        text += ", key " + quoted(key);
    }
    return text;
}

[[noreturn]] void fail_at(const Place& place, const std::string& key, const std::string& problem) {
    throw RunError(describe_place(place, key) + ": " + problem);
}
