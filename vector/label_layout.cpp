#include "vector/label_layout.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace {

bool is_space(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

double number_attribute(const MarkupPiece& piece, std::string_view name, double absent) {
    const MarkupAttribute* attribute = find_attribute(piece, name);
    if (attribute == nullptr) return absent;
    const std::string_view text = trimmed(attribute->raw_value);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        throw std::runtime_error("cannot convert <" + piece.name + "> with " + std::string(name) + "=\"" +
                                 std::string(attribute->raw_value) + "\" (only plain numbers)");
    }
    return value;
}

double style_font_size(std::string_view style) {
    const std::size_t at = style.find("font-size:");
    if (at == std::string_view::npos) return 16;
    std::string_view rest = trimmed(style.substr(at + 10));
    double value = 16;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        throw std::runtime_error("cannot read the labels' font size in the style sheet");
    }
    return value > 0 ? value : 0;
}

// Whitespace as SVG lays text out by default (no xml:space): line ends are
// dropped (an XML reader has made every CR one), tabs become spaces, runs of
// spaces one, none at either end. Inkscape draws labels so.
std::string collapse_spaces(std::string_view text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\n' || ch == '\r') continue;
        if (ch == ' ' || ch == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += ch;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

TextPlacement label_placement(const MarkupPiece& piece, double font_size) {
    TextPlacement at;
    at.x = number_attribute(piece, "x");
    at.y = number_attribute(piece, "y");
    at.size_px = font_size;
    // A label of its own size says so in its style attribute, which wins over
    // the style sheet's rule.
    const MarkupAttribute* own_style = find_attribute(piece, "style");
    if (own_style != nullptr && own_style->raw_value.find("font-size:") != std::string_view::npos) {
        at.size_px = style_font_size(own_style->raw_value);
    }
    const MarkupAttribute* anchor = find_attribute(piece, "text-anchor");
    if (anchor != nullptr && anchor->raw_value == "middle") at.anchor = TextAnchor::Middle;
    if (anchor != nullptr && anchor->raw_value == "end") at.anchor = TextAnchor::End;
    const MarkupAttribute* baseline = find_attribute(piece, "dominant-baseline");
    at.central = baseline != nullptr && baseline->raw_value == "central";
    return at;
}

std::string read_label(const std::vector<MarkupPiece>& pieces, std::size_t at, std::size_t& last) {
    using Kind = MarkupPiece::Kind;
    std::string label;
    last = at;
    if (!pieces[at].self_closing) {
        for (last = at + 1; last < pieces.size() && pieces[last].kind == Kind::Text; ++last) {
            label += decode_references(pieces[last].raw);
        }
        if (last >= pieces.size() || pieces[last].kind != Kind::End || pieces[last].name != "text") {
            throw std::runtime_error("cannot convert a <text> that holds markup of its own");
        }
    }
    return collapse_spaces(label);
}
