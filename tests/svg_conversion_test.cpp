#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "vector/builtin_vectorizer.hpp"
#include "vector/glyphs.hpp"

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::string converted(const std::string& svg, std::uintmax_t limit = UINTMAX_MAX) {
    std::optional<LabelFont> font;
    return vectorize_document(
        svg,
        [&]() -> const LabelFont& {
            if (!font) font.emplace(dejavu_bold);
            return *font;
        },
        limit);
}

}  // namespace

// Each shape keeps its other attributes in order and gains its outline; what
// is not a shape stays byte for byte.
TEST(SvgConversion, ShapesBecomePathsAndTheRestStays) {
    struct Case {
        std::string plain;
        std::string vector;
    };
    const std::vector<Case> cases = {
        {R"x(<rect x="1" y="2" width="3" height="4" fill="none" stroke="black" )x"
         R"x(transform="translate(5.00,6.00) rotate(90.00)"/>)x",
         R"x(<path fill="none" stroke="black" transform="translate(5.00,6.00) rotate(90.00)" )x"
         R"x(d="M 1 2 L 4 2 L 4 6 L 1 6 Z"/>)x"},
        {R"x(<circle cx="10.50" cy="20" r="2.25" stroke="black" stroke-width="1"/>)x",
         R"x(<path stroke="black" stroke-width="1" d="M 12.75 20 A 2.25 2.25 0 0 1 10.5 22.25 )x"
         R"x(A 2.25 2.25 0 0 1 8.25 20 A 2.25 2.25 0 0 1 10.5 17.75 A 2.25 2.25 0 0 1 12.75 20 Z"/>)x"},
        {"<line x1=\"-1.5\" y1=\"0\" x2=\"3\" y2=\"4\" stroke=\"#FF0000\"/>\n",
         "<path stroke=\"#FF0000\" d=\"M -1.5 0 L 3 4\"/>\n"},
        {"<!-- a <rect> in a comment -->\n<clipPath id=\"c\">\n<rect width=\"2\" height=\"1\"/>\n</clipPath>",
         "<!-- a <rect> in a comment -->\n<clipPath id=\"c\">\n<path d=\"M 0 0 L 2 0 L 2 1 L 0 1 Z\"/>\n</clipPath>"},
        // A label drawn at size zero has nothing to engrave.
        {"<style>.text { font-size: 0.00px; }</style><text x=\"1\" y=\"2\" class=\"text\">A &amp; B</text>",
         "<style>.text { font-size: 0.00px; }</style><g class=\"text\" aria-label=\"A &amp; B\"></g>"},
        // SVG's default whitespace: line ends dropped, tabs spaces, runs one.
        {"<style>.text { font-size: 0.00px; }</style><text class=\"text\"> a\tb\nc\r\nd  &#9;e </text>",
         "<style>.text { font-size: 0.00px; }</style><g class=\"text\" aria-label=\"a bcd e\"></g>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(converted(c.plain), c.vector);
    }
}

TEST(SvgConversion, RefusesWhatItCannotDrawFaithfully) {
    for (const std::string plain : {R"x(<rect x="1" y="2" width="3" height="4" rx="1"/>)x",
                                    R"x(<circle cx="1cm" cy="2" r="3"/>)x",
                                    R"x(<text x="1" y="2">A<tspan>B</tspan></text>)x",
                                    R"x(<text x="1" y="2">A &nbsp; B</text>)x", R"x(<rect x="1)x"}) {
        EXPECT_THROW(converted(plain), std::runtime_error) << plain;
    }
}

// The limit holds for shapes as they are converted and for a label before its
// glyphs are drawn; the estimate of a label stays within a few times its size.
TEST(SvgConversion, RefusesToGrowPastItsLimit) {
    std::string lines;
    for (int i = 0; i < 1000; ++i) lines += "<line x1=\"1\" y1=\"" + std::to_string(i) + "\" x2=\"9\" y2=\"0\"/>\n";
    const std::string label = "<text x=\"5\" y=\"5\">" + std::string(20000, 'W') + " fi</text>";
    for (const std::string& plain : {lines, label}) {
        const std::string whole = converted(plain);
        EXPECT_EQ(converted(plain, 4 * whole.size()), whole);
        EXPECT_THROW(converted(plain, whole.size() / 2), VectorTooLarge);
    }
    EXPECT_EQ(converted(lines, converted(lines).size()), converted(lines));
    EXPECT_THROW(converted(lines, converted(lines).size() - 1), VectorTooLarge);
}
