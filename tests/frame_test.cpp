#include <gtest/gtest.h>

#include "panel/frame.hpp"
#include "panel/panel.hpp"

TEST(FormatFloat, WritesFixedPointWithTwoDecimals) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {static_cast<double>(10.0f * cm_to_px), "377.95"},
        {90.0, "90.00"},
        {0.0, "0.00"},
        {-0.001, "-0.00"},
        {-2.5, "-2.50"},
        {0.125, "0.12"},  // ties go to even, as a stream rounds them
        {0.375, "0.38"},
        {1e20, "100000000000000000000.00"},
        {1234567.891, "1234567.89"},
        {static_cast<double>(3.4e38f), "339999995214436424907732413799364296704.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format_float_as_str(c.value, 2), c.text) << c.value;
    }
    EXPECT_EQ(format_float_as_str(2.5, 0), "2");
    EXPECT_EQ(format_float_as_str(1.0 / 3, 4), "0.3333");
}

TEST(PrepareHeader, FillsSizeAndFontSizeAndKeepsTheRest) {
    const std::string header = prepare_header(20, 10, 8, LaserStyle());
    std::string expected = svg_header;
    expected.replace(expected.find("{current_width_px}"), 18, "755.90");
    expected.replace(expected.find("{current_height_px}"), 19, "377.95");
    expected.replace(expected.find("{font_size_px}"), 14, "8.00");
    EXPECT_EQ(header, expected);
    EXPECT_NE(header.find("width=\"755.90\" height=\"377.95\">"), std::string::npos);
    EXPECT_NE(header.find("\n        font-size: 8.00px;\n"), std::string::npos);
    EXPECT_EQ(header.substr(header.size() - 4), "\n<g>");
    EXPECT_NE(prepare_header(1, 1, 0, LaserStyle()).find("font-size: 0.00px;"), std::string::npos);
}

TEST(DrawBoard, TracesThePanelEdgeOnlyWhenOutlineIsOn) {
    EXPECT_EQ(draw_board(20, 10, true, LaserStyle()),
              "<rect x=\"0\" y=\"0\" width=\"755.90\" height=\"377.95\" fill=\"none\" stroke=\"black\" "
              "stroke-width=\"2\"/>");
    EXPECT_EQ(draw_board(20, 10, false, LaserStyle()), "");
    EXPECT_EQ(svg_footer, "</g></svg>");
}
