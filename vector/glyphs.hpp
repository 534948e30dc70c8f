#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A font file that cannot be used; the message names the file.
class FontError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TextAnchor { Start, Middle, End };

// Where a label goes, in the coordinates of its own (turned) frame.
struct TextPlacement {
    double x = 0;
    double y = 0;
    double size_px = 16;
    TextAnchor anchor = TextAnchor::Start;
    // y is the centre between the font's ascent and descent rather than the
    // baseline ("dominant-baseline: central").
    bool central = false;
};

// One font file, read whole, that turns text into glyph outlines laid out as
// a browser or Inkscape lays out one line: advances plus pair kerning.
class LabelFont {
public:
    // Throws FontError when the file cannot be read or holds no usable font.
    explicit LabelFont(const std::filesystem::path& file);
    ~LabelFont();
    LabelFont(const LabelFont&) = delete;
    LabelFont& operator=(const LabelFont&) = delete;

    // The path data of each glyph of `text` (UTF-8) that has an outline, in
    // order; blanks have none.
    std::vector<std::string> outline(const std::string& text, const TextPlacement& at) const;

    // About how many bytes the <path> elements of outline() take, from the
    // number of glyphs and the largest of their outlines, without building
    // any: an outsized label is refused before it takes memory. Throws
    // FontError for a damaged glyph as outline() does.
    std::uintmax_t outline_bytes_estimate(const std::string& text, const TextPlacement& at) const;

private:
    // Throws FontError when the glyph's metrics or outline reach outside the file.
    void check_glyph(int glyph) const;

    struct Face;
    std::unique_ptr<Face> face_;
};
