#include <gtest/gtest.h>

#include "layer_fixtures.hpp"
#include "panel/cutouts.hpp"

namespace {

std::string cutout_of(const std::string& component_json) {
    ParsedComponent parsed("pot1", component_json);
    std::string svg;
    draw_cutout(parsed.component, LaserStyle(), svg);
    return svg;
}

}  // namespace

TEST(Cutouts, DrillDiameterGivesACircle) {
    EXPECT_EQ(cutout_of(R"({"location_x": 2, "location_y": 3, "drill_diameter": 0.7, "rotation": 30})"),
              "<circle cx=\"75.59\" cy=\"113.38\" r=\"13.23\" fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>");
}

TEST(Cutouts, DrillWidthAndHeightGiveARectangleTurnedAboutItsCentre) {
    const std::string plain =
        "<rect x=\"166.30\" y=\"139.84\" width=\"45.35\" height=\"22.68\" fill=\"none\" stroke=\"black\" "
        "stroke-width=\"1\"/>";
    const std::string rect = R"("location_x": 5, "location_y": 4, "drill_width": 1.2, "drill_height": 0.6)";
    EXPECT_EQ(cutout_of("{" + rect + "}"), plain);
    EXPECT_EQ(cutout_of("{" + rect + R"(, "rotation": -90})"), plain);
    EXPECT_EQ(cutout_of("{" + rect + R"(, "rotation": 90})"),
              "<rect x=\"-22.68\" y=\"-11.34\" width=\"45.35\" height=\"22.68\" fill=\"none\" stroke=\"black\" "
              "stroke-width=\"1\" transform=\"translate(188.97,151.18) rotate(90.00)\"/>");
}

TEST(Cutouts, ShapeIsChosenByWhichKeysArePresent) {
    struct Case {
        const char* keys;
        const char* starts_with;
    };
    const Case cases[] = {
        {R"("drill_diameter": 0, "drill_width": 1, "drill_height": 1)", "<rect"},
        {R"("drill_diameter": 0.5, "drill_width": 1, "drill_height": 1)", "<circle"},
        {R"("drill_width": 1)", ""},
        {R"("drill_height": 1, "drill_diameter": 0)", ""},
        {R"("visible_diameter": 1)", ""},
    };
    for (const auto& c : cases) {
        const std::string svg = cutout_of(std::string(R"({"location_x": 1, "location_y": 1, )") + c.keys + "}");
        EXPECT_EQ(svg.substr(0, std::string(c.starts_with).size()), c.starts_with) << c.keys;
        EXPECT_EQ(elements_of(svg).size(), std::string(c.starts_with).empty() ? 0u : 1u) << c.keys;
    }
}

TEST(Cutouts, NegativeSidesAreRefusedAndANegativeDiameterSelectsTheRectangle) {
    EXPECT_THROW(cutout_of(R"({"location_x": 0, "location_y": 0, "drill_width": -1, "drill_height": 1})"), RunError);
    EXPECT_EQ(cutout_of(R"({"location_x": 0, "location_y": 0, "drill_diameter": -1})"), "");
    EXPECT_EQ(
        cutout_of(R"({"location_x": 1, "location_y": 1, "drill_diameter": -1, "drill_width": 1, "drill_height": 1})")
            .substr(0, 5),
        "<rect");
}
