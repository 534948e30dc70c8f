#include <gtest/gtest.h>

#include <stb_truetype.h>

#include "test_support.hpp"
#include "vector/kerning.hpp"

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

}  // namespace

// The checked lookup gives the font library's own kerning for every pair of
// the glyphs labels use most, in a font with GPOS pair kerning; a table that
// ends early is reported instead of read past.
TEST(Kerning, MatchesTheFontLibraryAndStopsAtTheFilesEnd) {
    const std::string text = read_text(dejavu_bold);
    std::vector<unsigned char> data(text.begin(), text.end());
    stbtt_fontinfo info{};
    ASSERT_TRUE(stbtt_InitFont(&info, data.data(), stbtt_GetFontOffsetForIndex(data.data(), 0)));
    ASSERT_NE(info.gpos, 0);
    std::vector<int> glyphs;
    for (unsigned char ch = 32; ch < 127; ++ch) glyphs.push_back(stbtt_FindGlyphIndex(&info, ch));
    int kerned = 0;
    for (int first : glyphs) {
        for (int second : glyphs) {
            const int expected = stbtt_GetGlyphKernAdvance(&info, first, second);
            EXPECT_EQ(kerning_advance(data, info, first, second), expected) << first << " " << second;
            kerned += expected != 0;
        }
    }
    EXPECT_GT(kerned, 100);
    // The same font cut off inside its GPOS table.
    std::vector<unsigned char> cut(data.begin(), data.begin() + info.gpos + 64);
    bool refused = false;
    for (int first : glyphs) {
        for (int second : glyphs) refused = refused || !kerning_advance(cut, info, first, second).has_value();
    }
    EXPECT_TRUE(refused);
}
