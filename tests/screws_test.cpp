#include <gtest/gtest.h>

#include <sstream>

#include "layer_fixtures.hpp"
#include "panel/screws.hpp"

namespace {

Arguments screw_settings(float top, float bottom, float head) {
    Arguments a{};
    a.material_thickness = 3;
    a.screw_extra_margin = 1;
    a.screw_size_top = top;
    a.screw_size_bottom = bottom;
    a.screw_head_diameter = head;
    a.recess_lines_per_mm = 1;
    return a;
}

struct Screws {
    std::string svg;
    std::string console;
};

// Draws the screws of a pass; by default the pass selects what the settings do.
Screws screws_of(const std::string& section, const Arguments& a, float pass_top, float pass_bottom, float pass_head) {
    Screws s;
    std::ostringstream out;
    SectionDocument doc;
    draw_screws(section, BoxSize{20, 10}, pass_top, pass_bottom, pass_head, a, LaserStyle(), doc, out,
                Place{"t.json", section, {}});
    s.svg = doc.svg;
    s.console = out.str();
    return s;
}

Screws screws_of(const std::string& section, const Arguments& a) {
    return screws_of(section, a, a.screw_size_top, a.screw_size_bottom, a.screw_head_diameter);
}

}  // namespace

TEST(Screws, HolesAndRecessesSitInsetFromTheFourCorners) {
    const Screws s = screws_of("box_Main", screw_settings(3, 0, 6));
    const auto holes = elements_starting(s.svg, "<circle cx=\"");
    const char* centres[] = {"26.46\" cy=\"26.46", "729.44\" cy=\"26.46", "26.46\" cy=\"351.49",
                             "729.44\" cy=\"351.49"};
    std::vector<std::string> hole_elements;
    for (const auto& c : holes) {
        if (c.find("fill=\"none\"") != std::string::npos) hole_elements.push_back(c);
    }
    ASSERT_EQ(hole_elements.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(hole_elements[i], std::string("<circle cx=\"") + centres[i] +
                                        "\" r=\"5.67\" fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>");
    }
    EXPECT_EQ(s.console.substr(0, s.console.find('\n', s.console.find('\n') + 1) + 1),
              "Adding screw at position (26.46,26.46)\nAdding recess for screw: (26.46,26.46)\n");

    // The first corner: hole, seven recess lines 1 mm apart, the head outline.
    const std::string after_hole = s.svg.substr(s.svg.find("/>") + 2);
    const auto lines = elements_starting(after_hole.substr(0, after_hole.find("<circle")), "<line");
    const char* ys[] = {"15.12", "18.90", "22.68", "26.46", "30.24", "34.02", "37.79"};
    ASSERT_EQ(lines.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_NE(lines[i].find(std::string("y1=\"") + ys[i] + "\""), std::string::npos) << lines[i];
    }
    EXPECT_EQ(lines[0], "<line x1=\"26.46\" y1=\"15.12\" x2=\"26.46\" y2=\"15.12\" stroke=\"black\" stroke-width=\"0.5\"/>");
    EXPECT_EQ(lines[3], "<line x1=\"15.12\" y1=\"26.46\" x2=\"37.79\" y2=\"26.46\" stroke=\"black\" stroke-width=\"0.5\"/>");
    EXPECT_NE(lines[6].find("x1=\"26.46\""), std::string::npos);
    EXPECT_NE(after_hole.find("<circle cx=\"26.46\" cy=\"26.46\" r=\"11.34\" stroke=\"black\" stroke-width=\"1\"/>\n"),
              std::string::npos);
    EXPECT_EQ(elements_starting(s.svg, "<line").size(), 28u);
}

TEST(Screws, OnlyPanelsScrewedThroughASettingTakeThem) {
    struct Case {
        const char* section;
        float top;
        float bottom;
        int holes;
    };
    const Case cases[] = {
        {"box_Main", 3, 0, 4},   {"box_Top", 3, 0, 4},    {"box_Bottom", 3, 0, 0}, {"box_Bottom", 0, 4, 4},
        {"box_Main", 0, 4, 0},   {"box_Back", 3, 4, 0},   {"box_Front", 3, 4, 0},  {"box_Left", 3, 4, 0},
        {"box_Topper", 3, 0, 4}, {"boxTop_x", 3, 0, 0},
    };
    for (const auto& c : cases) {
        const Screws s = screws_of(c.section, screw_settings(c.top, c.bottom, 0));
        EXPECT_EQ(count_of(s.svg, "<circle"), c.holes) << c.section;
        EXPECT_EQ(count_of(s.console, "Adding screw at position"), c.holes) << c.section;
    }
}

TEST(Screws, EachPanelTakesTheScrewOfItsOwnSetting) {
    const Arguments a = screw_settings(3, 4, 0);
    EXPECT_NE(screws_of("box_Main", a).svg.find("r=\"5.67\""), std::string::npos);
    EXPECT_NE(screws_of("box_Top", a).svg.find("r=\"5.67\""), std::string::npos);
    EXPECT_NE(screws_of("box_Bottom", a).svg.find("r=\"7.56\""), std::string::npos);
    EXPECT_NE(screws_of("box_Main_Bottom", a).svg.find("r=\"7.56\""), std::string::npos);
    // Without a head the inset is the screw radius: 1.5 + 3 + 1 mm.
    EXPECT_EQ(screws_of("box_Main", screw_settings(3, 0, 0)).console.substr(0, 39),
              "Adding screw at position (20.79,20.79)\n");
}

TEST(Screws, SeparateFilesKeepHolesAndRecessesApartWithSharedCentres) {
    // A head narrower than the screw: the inset still comes from the screw.
    const Arguments a = screw_settings(6, 0, 4);
    const Screws holes = screws_of("box_Main", a, 6, 0, 0);
    const Screws recesses = screws_of("box_Main", a, 0, 0, 4);
    const Screws other_pass = screws_of("box_Main", a, 0, 0, 0);
    EXPECT_EQ(count_of(holes.svg, "<circle"), 4);
    EXPECT_EQ(count_of(holes.svg, "<line"), 0);
    EXPECT_EQ(count_of(recesses.svg, "fill=\"none\""), 0);
    EXPECT_EQ(count_of(recesses.svg, "<circle"), 4);
    EXPECT_EQ(other_pass.svg, "");
    EXPECT_EQ(other_pass.console, "");
    for (const char* centre : {"cx=\"26.46\" cy=\"26.46\"", "cx=\"729.44\" cy=\"351.49\""}) {
        EXPECT_NE(holes.svg.find(centre), std::string::npos);
        EXPECT_NE(recesses.svg.find(centre), std::string::npos);
    }
}

TEST(Screws, DensityAndSizeLimitsApplyToTheHeadRecess) {
    Arguments a = screw_settings(3, 0, 6);
    a.recess_lines_per_mm = 2;
    EXPECT_EQ(count_of(screws_of("box_Main", a, 0, 0, 6).svg, "<line"), 4 * 13);
    a.recess_lines_per_mm = 1e9f;
    EXPECT_THROW(screws_of("box_Main", a, 0, 0, 6), RunError);
}
