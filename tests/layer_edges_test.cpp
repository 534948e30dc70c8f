// Edge cases of the drawing layers that a plain example does not reach:
// fractions in whole-number keys, the screws away from the symmetric corner,
// a recess exactly one hatch step tall.
#include <gtest/gtest.h>

#include <sstream>

#include "layer_fixtures.hpp"
#include "pass_fixtures.hpp"
#include "panel/cutouts.hpp"
#include "panel/hatching.hpp"
#include "panel/labels.hpp"
#include "panel/screws.hpp"

TEST(LayerEdges, FractionsInWholeNumberKeysAreCutTowardZero) {
    ParsedComponent fader("fader1", R"({"location_x": 5, "location_y": 4, "drill_width": 1, "drill_height": 2,)"
                                    R"( "rotation": 89.6})");
    std::string svg;
    draw_cutout(fader.component, LaserStyle(), svg);
    EXPECT_NE(svg.find("rotate(89.00)"), std::string::npos) << svg;

    // id 0.6 is knob 0, labelled as number 1.
    ParsedComponent knob("pot1", R"({"id": 0.6, "call_name": "Knob", "location_x": 1, "location_y": 1})");
    SectionDocument doc;
    std::ostringstream out;
    draw_label(knob.component, LaserStyle(), doc, out);
    EXPECT_EQ(out.str(), "Creating text: Knob 1.00 for pot1\n");
}

TEST(LayerEdges, EveryScrewCornerIsReportedWithItsOwnXAndY) {
    Arguments a = simulation();
    a.screw_extra_margin = 1;
    a.screw_size_top = 3;
    a.screw_head_diameter = 6;
    SectionDocument doc;
    std::ostringstream out;
    draw_screws("box_Main", BoxSize{20, 10}, 3, 0, 6, a, LaserStyle(), doc, out, Place{"t.json", "box_Main", {}});
    const char* corners[] = {"(26.46,26.46)", "(729.44,26.46)", "(26.46,351.49)", "(729.44,351.49)"};
    std::string expected;
    for (const char* corner : corners) {
        expected += std::string("Adding screw at position ") + corner + "\nAdding recess for screw: " + corner + "\n";
    }
    EXPECT_EQ(out.str(), expected);
}

TEST(LayerEdges, ARecessOneStepTallKeepsBothEdgeLines) {
    // At 0.5 lines per mm the step is 7.559 px; 0.2 cm is exactly that tall.
    ParsedComponent parsed("fader1", R"({"location_x": 5, "location_y": 4, "visible_width": 1, "visible_height": 0.2})");
    ASSERT_EQ(parsed.component.visible_height, hatch_step_px(0.5f));
    SectionDocument doc;
    std::ostringstream out;
    draw_recess(parsed.component, 0.5f, LaserStyle(), doc, out);
    const auto lines = elements_starting(doc.svg, "<line");
    ASSERT_EQ(lines.size(), 2u) << doc.svg;
    EXPECT_NE(lines[0].find("y1=\"147.40\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("y1=\"154.96\""), std::string::npos) << lines[1];
}
