#pragma once

#include <filesystem>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "panel/panel.hpp"
#include "panel/vectorize.hpp"
#include "settings/arguments.hpp"

class LabelFont;

// Hands out the label font when the first label needs it, so that files
// without labels convert even where no font can be found.
using FontSource = std::function<const LabelFont&()>;

// The vector form of an SVG text this program wrote: every circle, rectangle
// and line becomes one path with the same attributes otherwise, every label a
// group of glyph outlines that keeps the label's attributes (its turn among
// them). Everything else is copied as it stands, in the same order. Throws std::runtime_error (FontError for the font)
// when the text holds something it cannot convert.
std::string vectorize_document(std::string_view svg, const FontSource& font);

// The vector form would take more than the bytes it was given.
class VectorTooLarge : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// As above, but refuses (VectorTooLarge) a document that would grow past
// `limit` bytes, before memory is spent on it: shapes are counted as they are
// converted, and each label is estimated before its glyphs are drawn.
std::string vectorize_document(std::string_view svg, const FontSource& font, std::uintmax_t limit);

// Converts written SVG files in-process, with no outside program and no
// pause; the labels' font is --font-file or the system's bold sans-serif.
class BuiltinConverter : public VectorConverter {
public:
    void convert(const std::string& section, const std::filesystem::path& svg_path, const Arguments& args,
                 RunContext& context) override;
};
