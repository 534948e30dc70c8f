#include <gtest/gtest.h>

#include <stb_truetype.h>

#include <memory>

#include "vector/ligatures.hpp"
#include "test_support.hpp"

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::size_t read_u16(const std::string& data, std::size_t at) {
    return (std::size_t{static_cast<unsigned char>(data[at])} << 8) | static_cast<unsigned char>(data[at + 1]);
}

// The bytes of one table of a font file.
std::string font_table(const std::string& font, const std::string& tag) {
    for (std::size_t i = 0; i < read_u16(font, 4); ++i) {
        const std::size_t record = 12 + 16 * i;
        if (font.compare(record, 4, tag) != 0) continue;
        const std::size_t offset = (read_u16(font, record + 8) << 16) | read_u16(font, record + 10);
        const std::size_t length = (read_u16(font, record + 12) << 16) | read_u16(font, record + 14);
        return font.substr(offset, length);
    }
    return {};
}

// Runs the substitution on a copy of `table` in a buffer of exactly its size,
// so that the sanitizer build sees any read beyond it.
std::vector<int> ligated(const std::string& table, std::vector<int> glyphs) {
    std::unique_ptr<unsigned char[]> exact(new unsigned char[table.size() + (table.empty() ? 1 : 0)]);
    std::copy(table.begin(), table.end(), exact.get());
    form_ligatures(exact.get(), table.size(), glyphs);
    return glyphs;
}

}  // namespace

TEST(Ligatures, JoinsTheFontsStandardLigaturesAndSurvivesDamagedTables) {
    const std::string font = read_text(dejavu_bold);
    ASSERT_FALSE(font.empty()) << dejavu_bold;
    stbtt_fontinfo info;
    ASSERT_TRUE(stbtt_InitFont(&info, reinterpret_cast<const unsigned char*>(font.data()), 0));
    auto glyph = [&](int code) { return stbtt_FindGlyphIndex(&info, code); };
    const std::string gsub = font_table(font, "GSUB");
    ASSERT_FALSE(gsub.empty());

    // "ffl fi A": the longest ligature first, the space and A unchanged.
    const std::vector<int> text = {glyph('f'), glyph('f'), glyph('l'), glyph(' '), glyph('f'), glyph('i'), glyph('A')};
    const std::vector<int> joined = {glyph(0xFB04), glyph(' '), glyph(0xFB01), glyph('A')};
    ASSERT_NE(glyph(0xFB04), 0);
    EXPECT_EQ(ligated(gsub, text), joined);

    // A cut-off table either still holds what is needed or leaves the text
    // as it is; it is never read beyond its end.
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{10}, std::size_t{64},
                             std::size_t{300}, std::size_t{2000}, gsub.size() / 2, gsub.size() - 1}) {
        const std::vector<int> result = ligated(gsub.substr(0, size), text);
        EXPECT_TRUE(result == text || result == joined) << "cut at " << size;
    }
    // Offsets that point far past the table.
    std::string wild(16, '\xF0');
    wild[0] = 0;
    wild[1] = 1;
    wild[2] = 0;
    wild[3] = 0;
    EXPECT_EQ(ligated(wild, text), text);
}
