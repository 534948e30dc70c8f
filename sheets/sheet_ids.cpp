#include "sheets/sheet_ids.hpp"

#include <array>

namespace {

// The places in a tag where an id starts: its definition and its references.
constexpr std::array<std::string_view, 3> id_openers = {" id=\"", "url(#", "href=\"#"};

}  // namespace

std::string IdRenamer::take(std::string_view text) {
    held_ += text;
    const std::size_t last = held_.rfind('>');
    if (last == std::string::npos) return {};
    std::string out;
    out.reserve(last + 1);
    bool in_tag = false;
    for (std::size_t i = 0; i <= last; ++i) {
        const char ch = held_[i];
        if (ch == '<') in_tag = true;
        if (ch == '>') in_tag = false;
        if (in_tag) {
            const std::string_view rest = std::string_view(held_).substr(i, last + 1 - i);
            bool renamed = false;
            for (std::string_view opener : id_openers) {
                if (rest.starts_with(opener)) {
                    out += opener;
                    out += prefix_;
                    added_ += prefix_.size();
                    i += opener.size() - 1;
                    renamed = true;
                    break;
                }
            }
            if (renamed) continue;
        }
        out += ch;
    }
    held_.erase(0, last + 1);
    return out;
}

std::string IdRenamer::finish() {
    std::string rest;
    rest.swap(held_);
    return rest;
}

std::string sheet_id_prefix(std::size_t n) {
    std::string prefix = "p";
    prefix += std::to_string(n);
    prefix += '-';
    return prefix;
}
