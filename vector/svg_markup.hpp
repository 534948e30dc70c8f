#pragma once

#include <string>
#include <string_view>
#include <vector>

// One attribute as written: its value still carries its character references.
struct MarkupAttribute {
    std::string name;
    std::string_view raw_value;
};

// One piece of an SVG text: character data, a start tag, an end tag, or
// anything else (comment, declaration, processing instruction) kept as is.
struct MarkupPiece {
    enum class Kind { Text, Start, End, Other };
    Kind kind = Kind::Text;
    std::string_view raw;  // the piece exactly as it stands in the text
    std::string name;      // element name of a start or end tag
    std::vector<MarkupAttribute> attributes;
    bool self_closing = false;
};

// Splits an SVG text into its pieces, in order; joining their raw texts gives
// the input back. Throws std::runtime_error on a tag it cannot read.
std::vector<MarkupPiece> split_markup(std::string_view svg);

// The text with its character references (&amp; &lt; &#65; ...) resolved.
// Throws std::runtime_error on an unknown or unterminated reference.
std::string decode_references(std::string_view text);

// The raw value of the attribute, or nullptr when the tag lacks it.
const MarkupAttribute* find_attribute(const MarkupPiece& piece, std::string_view name);
