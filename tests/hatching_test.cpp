#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "layer_fixtures.hpp"
#include "panel/frame.hpp"
#include "panel/hatching.hpp"

namespace {

struct Recess {
    std::string svg;
    std::string console;
};

Recess recess_of(const std::string& component_json, float lines_per_mm = 1, SectionDocument doc = {}) {
    ParsedComponent parsed("pot1", component_json);
    std::ostringstream out;
    draw_recess(parsed.component, lines_per_mm, LaserStyle(), doc, out);
    return {doc.svg, out.str()};
}

std::string attribute(const std::string& element, const std::string& name) {
    const auto at = element.find(" " + name + "=\"");
    if (at == std::string::npos) return "(none)";
    const auto start = at + name.size() + 3;
    return element.substr(start, element.find('"', start) - start);
}

std::vector<std::string> lines_of(const std::string& svg) { return elements_starting(svg, "<line"); }

const char* rectangle = R"("location_x": 5, "location_y": 4, "visible_width": 1.6, "visible_height": 1.05)";

}  // namespace

TEST(Hatching, CircleIsFilledWithChordsFromTopToBottom) {
    const Recess r = recess_of(R"({"location_x": 2, "location_y": 3, "visible_diameter": 0.95})");
    EXPECT_EQ(r.console, "Adding recess for: pot1\n");
    const auto lines = lines_of(r.svg);
    const char* ys[] = {"95.43", "99.21", "102.99", "106.77", "110.55", "114.33", "118.11", "121.89", "125.67",
                        "129.45"};
    ASSERT_EQ(lines.size(), std::size(ys));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(attribute(lines[i], "y1"), ys[i]);
        EXPECT_EQ(attribute(lines[i], "y2"), ys[i]);
    }
    EXPECT_EQ(lines[0], "<line x1=\"75.58\" y1=\"95.43\" x2=\"75.60\" y2=\"95.43\" stroke=\"black\" stroke-width=\"0.5\"/>");
    EXPECT_EQ(attribute(lines[5], "x1") + " " + attribute(lines[5], "x2"), "57.66 93.52");
    EXPECT_EQ(attribute(lines[9], "x1") + " " + attribute(lines[9], "x2"), "67.57 83.61");
    EXPECT_NE(r.svg.find("\"/>\n<circle cx=\"75.59\" cy=\"113.38\" r=\"17.95\" stroke=\"black\" stroke-width=\"1\"/>\n"),
              std::string::npos);
    EXPECT_EQ(r.svg.back(), '\n');
}

TEST(Hatching, RectangleLinesChangeDirectionByTheTruncatedQuotient) {
    const Recess r = recess_of(std::string("{") + rectangle + "}");
    EXPECT_EQ(r.svg.substr(0, r.svg.find("<line")),
              "<clipPath id=\"recess-clip-1\">\n<rect x=\"158.74\" y=\"131.34\" width=\"60.47\" height=\"39.68\"/>\n"
              "</clipPath>\n<g clip-path=\"url(#recess-clip-1)\">\n");
    const auto lines = lines_of(r.svg);
    const char* ys[] = {"131.34", "135.12", "138.90", "142.68", "146.46", "150.24",
                        "154.01", "157.79", "161.57", "165.35", "169.13"};
    ASSERT_EQ(lines.size(), std::size(ys));
    const std::string forward = "158.74>219.21", backward = "219.21>158.74";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(attribute(lines[i], "y1"), ys[i]);
        const bool runs_forward = i < 2 || i % 2 == 1;
        EXPECT_EQ(attribute(lines[i], "x1") + ">" + attribute(lines[i], "x2"), runs_forward ? forward : backward)
            << "line " << i + 1;
    }
    EXPECT_EQ(lines[0], "<line x1=\"158.74\" y1=\"131.34\" x2=\"219.21\" y2=\"131.34\" stroke=\"black\" "
                        "stroke-width=\"0.5\"/>");
    EXPECT_EQ(r.svg.substr(r.svg.rfind("</g>")),
              "</g>\n<rect x=\"158.74\" y=\"131.34\" width=\"60.47\" height=\"39.68\" stroke=\"black\" "
              "stroke-width=\"1\"/>\n");
}

TEST(Hatching, TurnedRectangleCarriesTheTransformOnEveryShape) {
    const Recess r = recess_of(std::string("{") + rectangle + R"(, "rotation": 90})");
    const std::string turn = "translate(188.97,151.18) rotate(90.00)";
    const auto lines = lines_of(r.svg);
    const char* ys[] = {"-19.84", "-16.06", "-12.28", "-8.50", "-4.72", "-0.94",
                        "2.83",   "6.61",   "10.39",  "14.17", "17.95"};
    ASSERT_EQ(lines.size(), std::size(ys));
    const std::set<std::size_t> backward_lines = {3, 4, 6, 10};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(attribute(lines[i], "y1"), ys[i]);
        EXPECT_EQ(attribute(lines[i], "transform"), turn);
        const bool backward = backward_lines.count(i + 1) > 0;
        EXPECT_EQ(attribute(lines[i], "x1") + ">" + attribute(lines[i], "x2"),
                  backward ? "30.24>-30.24" : "-30.24>30.24")
            << "line " << i + 1;
    }
    int rects = 0;
    for (const auto& element : elements_of(r.svg)) {
        if (element.rfind("<rect", 0) != 0) continue;
        ++rects;
        EXPECT_EQ(attribute(element, "x") + " " + attribute(element, "y") + " " + attribute(element, "width") + " " +
                      attribute(element, "height"),
                  "-30.24 -19.84 60.47 39.68");
        EXPECT_EQ(attribute(element, "transform"), turn);
    }
    EXPECT_EQ(rects, 2);
    EXPECT_EQ(attribute(elements_of(r.svg)[2], "clip-path"), "(none)");
}

// A turned rectangle of width 0 runs from -0 to +0: the two ends are equal
// numbers but different texts, and every line must keep its own sign.
TEST(Hatching, LineEndsOfEqualValueKeepTheirOwnSign) {
    const Recess r = recess_of(R"({"location_x": 5, "location_y": 4, "visible_width": 0, "visible_height": 0.5,
                                   "rotation": 90})");
    const auto lines = lines_of(r.svg);
    ASSERT_EQ(lines.size(), 6u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string ends = attribute(lines[i], "x1") + ">" + attribute(lines[i], "x2");
        EXPECT_TRUE(ends == "-0.00>0.00" || (i > 0 && ends == "0.00>-0.00")) << "line " << i + 1 << ": " << ends;
    }
    EXPECT_EQ(attribute(lines[0], "x1") + ">" + attribute(lines[0], "x2"), "-0.00>0.00");
}

// Numbers of twenty and more characters, and a turn of a hundred, pass
// through the line writer's block copies whole.
TEST(Hatching, LongNumbersAndTurnsAreWrittenWhole) {
    struct Case {
        const char* component;
        float lines_per_mm;
    };
    const Case cases[] = {
        {R"({"location_x": 1e30, "location_y": 1e14, "visible_width": 2, "visible_height": 1e12})", 1e-10f},
        {R"({"location_x": -1e30, "location_y": 3e36, "visible_width": 123.456, "visible_height": 2,
             "rotation": 30})", 1},
    };
    for (const auto& c : cases) {
        ParsedComponent parsed("pot1", c.component);
        const Component& k = parsed.component;
        const Recess r = recess_of(c.component, c.lines_per_mm);
        const bool turned = k.rotation > 0;
        const float w = k.visible_width;
        const float left = turned ? -w / 2 : k.x - w / 2;
        const std::string ends[] = {format_float_as_str(left, 2), format_float_as_str(left + w, 2)};
        std::string turn;
        if (turned) append_turn(turn, k.x, k.y, k.rotation);
        const auto lines = lines_of(r.svg);
        ASSERT_GE(lines.size(), 10u) << c.component;
        double previous_y = -HUGE_VAL;
        for (const auto& line : lines) {
            const std::string x1 = attribute(line, "x1"), x2 = attribute(line, "x2"), y = attribute(line, "y1");
            EXPECT_TRUE((x1 == ends[0] && x2 == ends[1]) || (x1 == ends[1] && x2 == ends[0])) << line;
            EXPECT_EQ(line, "<line x1=\"" + x1 + "\" y1=\"" + y + "\" x2=\"" + x2 + "\" y2=\"" + y +
                                "\" stroke=\"black\" stroke-width=\"0.5\"" + turn + "/>");
            EXPECT_GT(std::stod(y), previous_y) << line;
            previous_y = std::stod(y);
        }
        EXPECT_GE(ends[0].size() + (turned ? turn.size() : 0), 35u);
    }
}

TEST(Hatching, ShapeIsChosenByWhichKeysArePresent) {
    struct Case {
        const char* keys;
        int lines;
        int circles;
        int clip_paths;
    };
    const Case cases[] = {
        {R"("visible_diameter": 0)", 1, 1, 0},
        {R"("visible_diameter": 0.5, "visible_width": 0.5, "visible_height": 0.5)", 6, 1, 0},
        {R"("visible_width": 0.5)", 0, 0, 0},
        {R"("drill_diameter": 0.5, "drill_width": 1, "drill_height": 1)", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const Recess r = recess_of(std::string(R"({"location_x": 1, "location_y": 1, )") + c.keys + "}");
        EXPECT_EQ(r.console, "Adding recess for: pot1\n") << c.keys;
        EXPECT_EQ(count_of(r.svg, "<line"), c.lines) << c.keys;
        EXPECT_EQ(count_of(r.svg, "<circle"), c.circles) << c.keys;
        EXPECT_EQ(count_of(r.svg, "<clipPath"), c.clip_paths) << c.keys;
    }
    const Recess zero = recess_of(R"({"location_x": 2, "location_y": 3, "visible_diameter": 0})");
    ASSERT_EQ(lines_of(zero.svg).size(), 1u);
    EXPECT_EQ(lines_of(zero.svg)[0], "<line x1=\"75.59\" y1=\"113.38\" x2=\"75.59\" y2=\"113.38\" stroke=\"black\" "
                                     "stroke-width=\"0.5\"/>");
    EXPECT_NE(zero.svg.find("r=\"0.00\""), std::string::npos);
}

TEST(Hatching, DensityDecidesTheStep) {
    EXPECT_FLOAT_EQ(hatch_step_px(1), 3.7795f);
    EXPECT_FLOAT_EQ(hatch_step_px(2), 1.88975f);
    const std::string circle = R"({"location_x": 2, "location_y": 3, "visible_diameter": 0.95})";
    EXPECT_GE(lines_of(recess_of(circle, 2).svg).size(), 2 * lines_of(recess_of(circle, 1).svg).size() - 1);
}

TEST(Hatching, EveryRectangleHasItsOwnClipPath) {
    SectionDocument doc;
    std::ostringstream out;
    for (const char* key : {"a", "b"}) {
        ParsedComponent parsed(key, std::string("{") + rectangle + "}");
        draw_recess(parsed.component, 1, LaserStyle(), doc, out);
    }
    EXPECT_NE(doc.svg.find("<clipPath id=\"recess-clip-1\">"), std::string::npos);
    EXPECT_NE(doc.svg.find("<clipPath id=\"recess-clip-2\">"), std::string::npos);
    EXPECT_NE(doc.svg.find("<g clip-path=\"url(#recess-clip-2)\">"), std::string::npos);
}

TEST(Hatching, HatchesThatCouldNotEndOrWouldNotFitAreRefused) {
    struct Case {
        const char* component;
        float lines_per_mm;
        const char* key;
    };
    const Case cases[] = {
        // The step no longer moves a line this far from the origin.
        {R"({"location_x": 1e30, "location_y": 1e30, "visible_diameter": 1e-30})", 1, "visible_diameter"},
        // A size in metres instead of centimetres, hatched at a fine density.
        {R"({"location_x": 1, "location_y": 1, "visible_diameter": 100000})", 100, "visible_diameter"},
        {R"({"location_x": 1, "location_y": 1, "visible_width": 1, "visible_height": 1})", 1e9f, "visible_height"},
        // Long numbers make each line long: the estimate counts them.
        {R"({"location_x": -1e30, "location_y": -1e30, "visible_width": 1e30, "visible_height": 1000,
             "rotation": 45})", 390, "visible_height"},
    };
    for (const auto& c : cases) {
        try {
            recess_of(c.component, c.lines_per_mm);
            ADD_FAILURE() << "accepted " << c.component;
        } catch (const RunError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("component \"pot1\""), std::string::npos) << message;
            EXPECT_NE(message.find(std::string("key \"") + c.key + "\""), std::string::npos) << message;
            EXPECT_EQ(message.find("hatch lines take"), std::string::npos) << "refused only while drawing";
        }
    }
}
