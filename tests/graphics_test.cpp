#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <regex>
#include <sstream>

#include "drawing/section_drawing.hpp"
#include "dxf/outline_path.hpp"
#include "dxf/svg_to_dxf.hpp"
#include "graphics/frame_geometry.hpp"
#include "graphics/graphics_warnings.hpp"
#include "graphics/scale_geometry.hpp"
#include "graphics/scale_numbers.hpp"
#include "ink_compare.hpp"
#include "layer_fixtures.hpp"
#include "panel/vectorize.hpp"
#include "vector/builtin_vectorizer.hpp"
#include "vector/glyphs.hpp"

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr double px_per_cm = 37.79499816894531;

// A knob at (5, 4) cm with a drill of 0.7 cm and a visible circle of 1.5 cm.
std::string knob_with(const std::string& scale) {
    return R"({"location_x": 5, "location_y": 4, "drill_diameter": 0.7, "visible_diameter": 1.5, "scale": )" + scale +
           "}";
}

ScaleDrawing scale_of(const std::string& component) {
    const ParsedComponent p("pot1", component);
    return scale_geometry(*read_scale(p.component), p.component, 8);
}

double radius_of(PagePoint p, PagePoint centre) { return std::hypot(p.x - centre.x, p.y - centre.y); }

// Degrees from twelve o'clock, clockwise, in [-180, 180).
double angle_of(PagePoint p, PagePoint centre) {
    return std::atan2(p.x - centre.x, -(p.y - centre.y)) * 180 / std::numbers::pi;
}

double turn_apart(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

Arguments run_settings() {
    Arguments args{};
    args.material_thickness = 3;
    args.box_height_3d = 50;
    args.font_size = 8;
    args.recess_lines_per_mm = 1;
    return args;
}

std::string drawn_text_layer(const std::string& section, const LaserStyle& style = LaserStyle()) {
    const Arguments args = run_settings();
    std::ostringstream out;
    Pass pass;
    pass.text = true;
    pass.components = true;
    return draw_section_text("box_Main", json::parse(section), BoxSize{20, 10}, pass, args, style,
                             Place{"box.json", "box_Main", {}}, out);
}

}  // namespace

// Each major mark runs from the inner radius to the inner radius plus its
// length along its own angle; the first stands at "from", the last at "to".
TEST(ArcScales, MarksStandOnTheirRadiiAtTheirAngles) {
    struct Case {
        const char* scale;
        std::vector<double> majors;  // degrees
        double inner;                // px
    };
    const double around = 0.75 * px_per_cm + 0.1 * px_per_cm;  // visible radius and the clearance
    const Case cases[] = {
        {"{}", {-150, -120, -90, -60, -30, 0, 30, 60, 90, 120, 150}, around},
        {R"({"from": 0, "to": 90, "marks": 4, "radius": 1})", {0, 30, 60, 90}, px_per_cm},
        // Reversed: over the top, the first at the lower right.
        {R"({"from": 150, "to": -150, "marks": 3})", {150, 0, -150}, around},
        // A full turn: the last stands one step short of the first.
        {R"({"from": -90, "to": 270, "marks": 8})", {-90, -45, 0, 45, 90, 135, 180, 225}, around},
    };
    const PagePoint centre{5 * 37.795f, 4 * 37.795f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        const ScaleDrawing s = scale_of(knob_with(c.scale));
        ASSERT_EQ(s.marks.size(), c.majors.size());
        for (std::size_t i = 0; i < c.majors.size(); ++i) {
            EXPECT_NEAR(radius_of(s.marks[i].from, centre), c.inner, 1e-3) << i;
            EXPECT_NEAR(radius_of(s.marks[i].to, centre), c.inner + 0.2 * px_per_cm, 1e-3) << i;
            EXPECT_LT(turn_apart(angle_of(s.marks[i].from, centre), c.majors[i]), 1e-6) << i;
            EXPECT_LT(turn_apart(angle_of(s.marks[i].to, centre), c.majors[i]), 1e-6) << i;
        }
    }
}

// Minor marks fill every gap between majors, the seam of a full turn too,
// half as long unless told, and no two marks of a full turn share an angle.
TEST(ArcScales, MinorMarksFillEveryGapAndAFullTurnHasNoDoubledMark) {
    const PagePoint centre{5 * 37.795f, 4 * 37.795f};
    const ScaleDrawing open = scale_of(knob_with(R"({"from": 0, "to": 90, "marks": 4, "minor": 2})"));
    EXPECT_EQ(open.marks.size(), 4u + 3 * 2);
    EXPECT_NEAR(radius_of(open.marks[4].to, centre) - radius_of(open.marks[4].from, centre), 0.1 * px_per_cm, 1e-3);
    EXPECT_LT(turn_apart(angle_of(open.marks[4].from, centre), 10), 1e-6);

    const ScaleDrawing full = scale_of(knob_with(R"({"from": 0, "to": -360, "marks": 6, "minor": 1,
                                                     "minor_length": 0.3})"));
    ASSERT_EQ(full.marks.size(), 6u + 6);
    std::vector<double> angles;
    for (const Segment& m : full.marks) angles.push_back(angle_of(m.from, centre));
    std::sort(angles.begin(), angles.end());
    for (std::size_t i = 0; i < angles.size(); ++i) {
        const double next = i + 1 < angles.size() ? angles[i + 1] : angles[0] + 360;
        EXPECT_NEAR(next - angles[i], 30, 1e-6) << angles[i];
    }
    EXPECT_NEAR(radius_of(full.marks.back().to, centre) - radius_of(full.marks.back().from, centre), 0.3 * px_per_cm,
                1e-3);
}

// A standing fader turned 90 degrees lies with its travel to the right; its
// left side is then up the page, its right side down.
TEST(LineScales, RunAlongAFaderTurnedWithIt) {
    const std::string fader = R"({"location_x": 6, "location_y": 5, "rotation": 90, "drill_width": 0.3,
        "drill_height": 4, "visible_width": 1, "visible_height": 5, "scale": {"type": "line", "marks": 3,
        "side": "both", "labels": ["0", "5", "10"]}})";
    const ScaleDrawing s = scale_of(fader);
    ASSERT_EQ(s.marks.size(), 6u);
    const double cx = 6 * 37.795f, cy = 5 * 37.795f;
    const double inner = 0.5 * px_per_cm + 0.1 * px_per_cm, outer = inner + 0.2 * px_per_cm;
    const double along[] = {-2.5 * px_per_cm, 0, 2.5 * px_per_cm};
    for (int i = 0; i < 3; ++i) {
        // Left (up the page), then right (down).
        EXPECT_NEAR(s.marks[i].from.x, cx + along[i], 1e-3);
        EXPECT_NEAR(s.marks[i].from.y, cy - inner, 1e-3);
        EXPECT_NEAR(s.marks[i].to.y, cy - outer, 1e-3);
        EXPECT_NEAR(s.marks[3 + i].from.x, cx + along[i], 1e-3);
        EXPECT_NEAR(s.marks[3 + i].to.y, cy + outer, 1e-3);
    }
    // Labels stand upright on the left, beyond the marks.
    ASSERT_EQ(s.labels.size(), 3u);
    EXPECT_EQ(s.labels[0].text, "0");
    EXPECT_NEAR(s.labels[0].at.x, cx + along[0], 1e-3);
    EXPECT_LT(s.labels[2].at.y, cy - outer);
    EXPECT_EQ(s.labels[2].turn, 0);

    // Given from and to (cm along the travel), unturned: up the page.
    const ScaleDrawing ranged = scale_of(R"({"location_x": 6, "location_y": 5, "drill_width": 0.3,
        "drill_height": 4, "scale": {"type": "line", "from": -1, "to": 2, "marks": 2, "side": "right"}})");
    ASSERT_EQ(ranged.marks.size(), 2u);
    EXPECT_NEAR(ranged.marks[0].from.y, cy + px_per_cm, 1e-3);
    EXPECT_NEAR(ranged.marks[1].from.y, cy - 2 * px_per_cm, 1e-3);
    EXPECT_GT(ranged.marks[0].to.x, ranged.marks[0].from.x);
}

TEST(ScaleNumbers, UseTheFewestDecimalsThatShowEveryStep) {
    using L = std::vector<std::string>;
    EXPECT_EQ(number_labels(0, 10, 11), (L{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(number_labels(0, 1, 5), (L{"0.00", "0.25", "0.50", "0.75", "1.00"}));
    EXPECT_EQ(number_labels(0, 1, 11)[3], "0.3");
    EXPECT_EQ(number_labels(-1, 1, 3), (L{"-1", "0", "1"}));
    EXPECT_EQ(number_labels(-0.3, 0.3, 3), (L{"-0.3", "0.0", "0.3"}));
    EXPECT_EQ(number_labels(10, -20, 4), (L{"10", "0", "-10", "-20"}));
    // Thirds are never exact: as many decimals as tell them apart.
    EXPECT_EQ(number_labels(0, 1, 4), (L{"0.0", "0.3", "0.7", "1.0"}));
}

// The frame runs clockwise from the right end of the title's gap round its
// four corners back to the gap's left end, centred on the component.
TEST(Frames, CornersAndTheTitlesGap) {
    const ParsedComponent p("group", R"({"location_x": 5, "location_y": 4, "frame": {"width": 6, "height": 2,
        "radius": 0.5, "title": "MIX"}})");
    const FrameDrawing f = frame_geometry(*read_frame(p.component), p.component, 8);
    ASSERT_TRUE(f.gap);
    // "MIX": three letters of about 0.65 em and half an em either side.
    EXPECT_NEAR(f.gap->second, 3 * 0.325 * 8 + 4, 1e-9);
    EXPECT_EQ(f.gap->first, -f.gap->second);
    const std::string d = frame_path_data(f);
    EXPECT_EQ(d, "M11.80 -37.79L94.49 -37.79A18.90 18.90 0 0 1 113.38 -18.90L113.38 18.90A18.90 18.90 0 0 1 94.49 "
                 "37.79L-94.49 37.79A18.90 18.90 0 0 1 -113.38 18.90L-113.38 -18.90A18.90 18.90 0 0 1 -94.49 "
                 "-37.79L-11.80 -37.79");

    // Square corners, no title: a closed path; turned 90 the width stands upright.
    const ParsedComponent q("group", R"({"location_x": 5, "location_y": 4, "rotation": 90, "frame": {"width": 6,
        "height": 2}})");
    const FrameDrawing g = frame_geometry(*read_frame(q.component), q.component, 8);
    EXPECT_EQ(frame_path_data(g), "M-113.38 -37.79L113.38 -37.79L113.38 37.79L-113.38 37.79L-113.38 -37.79Z");
    const auto lines = frame_polylines(g);
    ASSERT_EQ(lines.size(), 1u);
    double top = 1e9, right = -1e9;
    for (const PagePoint& pt : lines[0]) {
        top = std::min(top, pt.y);
        right = std::max(right, pt.x);
    }
    EXPECT_NEAR(top, 4 * 37.795f - 3 * px_per_cm, 1e-3);
    EXPECT_NEAR(right, 5 * 37.795f + 1 * px_per_cm, 1e-3);

    // A title wider than the frame takes the whole straight top edge, no more.
    const ParsedComponent r("group", R"({"location_x": 5, "location_y": 4, "frame": {"width": 2, "height": 2,
        "radius": 0.25, "title": "A LONG TITLE"}})");
    const FrameDrawing h = frame_geometry(*read_frame(r.component), r.component, 8);
    ASSERT_TRUE(h.gap);
    EXPECT_NEAR(h.gap->second, 0.75 * px_per_cm, 1e-9);
    EXPECT_NEAR(h.gap->first, -0.75 * px_per_cm, 1e-9);
}

// In the text layer, in the engrave colour; the title and the scale's labels
// are labels like the components' own, at their own size when given one.
TEST(PanelGraphics, DrawnInTheTextLayerInTheEngraveColour) {
    Arguments args = run_settings();
    args.engrave_color = "#0000ff";
    const std::string svg = drawn_text_layer(R"({"knob": )" + knob_with(R"({"marks": 2, "arc": true,
        "labels": ["lo", "hi"], "label_size": 10, "radial": true})") +
                                                 R"(, "box": {"location_x": 5, "location_y": 4, "rotation": 90,
        "frame": {"width": 4, "height": 3, "title": "A&B"}}})",
                                             LaserStyle(args));
    EXPECT_NE(svg.find("<g class=\"scale\"><g fill=\"none\" stroke=\"#0000ff\" stroke-width=\"1.13\"><line "),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<path d=\"M172.91 179.00A32.13 32.13 0 0 1 188.97 119.05A32.13 32.13 0 0 1 205.04 179.00\"/>"), std::string::npos) << svg;
    EXPECT_NE(svg.find(" class=\"text\" fill=\"#0000ff\" style=\"font-size:10.00px\" transform=\"rotate(-150.00 "),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<g class=\"frame\" transform=\"translate(188.97,151.18) rotate(90.00)\">"), std::string::npos);
    EXPECT_NE(svg.find("<text x=\"0.00\" y=\"-56.69\" class=\"text\" fill=\"#0000ff\" dominant-baseline=\"central\" "
                       "text-anchor=\"middle\">A&amp;B</text></g>"),
              std::string::npos)
        << svg;

    // The components pass draws none of it, but refuses the same bad values.
    Pass cut;
    cut.components = true;
    std::ostringstream out;
    const json plain = json::parse(R"({"pot1": )" + knob_with(R"({"labels": ["lo"]})") + "}");
    EXPECT_THROW(draw_section_text("box_Main", plain, BoxSize{20, 10}, cut, args, LaserStyle(),
                                   Place{"box.json", "box_Main", {}}, out),
                 RunError);
}

TEST(PanelGraphics, BadValuesNameTheirFileSectionComponentAndKey) {
    struct Case {
        const char* members;
        const char* key;
        const char* problem;
    };
    const Case cases[] = {
        {R"("scale": {"marks": 1})", "scale.marks", "must be at least 2"},
        {R"("scale": {"marks": 2.5})", "scale.marks", "whole number"},
        {R"("scale": {"radius": -0.1})", "scale.radius", "cannot be negative"},
        {R"("scale": {"length": -1})", "scale.length", "cannot be negative"},
        {R"("scale": {"labels": ["a", "b"]})", "scale.labels", "2 labels for 11 marks"},
        {R"("scale": {"from": 0, "to": 400})", "scale.to", "more than 360"},
        {R"("scale": {"type": "circle"})", "scale.type", "\"arc\", \"line\""},
        {R"("scale": {"arc": "yes"})", "scale.arc", "expected true or false"},
        {R"("scale": [1])", "scale", "expected an object"},
        {R"("frame": {"width": 0, "height": 1})", "frame.width", "above 0"},
        {R"("frame": {"width": 1, "height": -2})", "frame.height", "above 0"},
        {R"("frame": {"width": 1})", "frame.height", "missing"},
        {R"("label_size": 0)", "label_size", "above 0"},
        {R"("label_offset": [1])", "label_offset", "two numbers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.members);
        try {
            drawn_text_layer(R"({"pot1": {"location_x": 5, "location_y": 4, "drill_diameter": 0.7, )" +
                             std::string(c.members) + "}}");
            ADD_FAILURE() << "no error";
        } catch (const RunError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(std::string("project file \"box.json\", section \"box_Main\", component \"pot1\", "
                                               "key \"") + c.key + "\""),
                      std::string::npos)
                << message;
            EXPECT_NE(message.find(c.problem), std::string::npos) << message;
        }
    }
}

// A label of its own size and moved by an offset given on the page, also
// when the text is turned.
TEST(PanelGraphics, LabelSizeAndOffset) {
    const std::string upright = drawn_text_layer(R"({"c": {"call_name": "Volume", "location_x": 2, "location_y": 3,
        "visible_height": 1, "label_size": 12, "label_offset": [0.5, -1]}})");
    EXPECT_NE(upright.find("<text x=\"94.49\" y=\"48.69\" class=\"text\" fill=\"black\" style=\"font-size:12.00px\" "
                           "transform=\"rotate(0.00)\""),
              std::string::npos)
        << upright;
    // Turned 90: the page's right is the text's down, the page's up its right.
    const std::string turned = drawn_text_layer(R"({"c": {"call_name": "Volume", "location_x": 2, "location_y": 3,
        "visible_height": 1, "rotation": 90, "label_offset": [0.5, -1]}})");
    EXPECT_NE(turned.find("<text x=\"75.59\" y=\"-118.38\" class=\"text\" fill=\"black\" transform=\"rotate(90.00)\""),
              std::string::npos)
        << turned;
}

TEST(PanelGraphics, WarnAboutEdgesCutOutsAndUnknownKeys) {
    const json section = json::parse(R"({
        "pot1": {"location_x": 0.5, "location_y": 5, "drill_diameter": 0.7, "scale": {"lenth": 0.2}},
        "pot2": {"location_x": 3, "location_y": 5, "drill_diameter": 0.7, "scale": {"from": 0, "to": 90}},
        "box": {"location_x": 10, "location_y": 5, "frame": {"width": 4, "height": 2}},
        "jack": {"location_x": 12, "location_y": 5, "drill_diameter": 0.6}})");
    std::ostringstream err;
    warn_about_graphics("box_Main", section, BoxSize{20, 10}, run_settings(), Place{"box.json", "box_Main", {}}, err);
    const std::string warnings = err.str();
    EXPECT_NE(warnings.find("component \"pot1\", key \"scale.lenth\": the program does not know this key and does "
                            "not read it; did you mean \"length\"?"),
              std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("component \"pot1\": the scale reaches beyond the panel's left edge by up to 0.15 cm"),
              std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("component \"box\": the frame runs over the cut-out of component \"jack\""),
              std::string::npos)
        << warnings;
    // pot2's scale stays clear of pot1 and of the panel's edges.
    EXPECT_EQ(warnings.find("component \"pot2\""), std::string::npos) << warnings;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 3) << warnings;
}

// The DXF engraves the marks, the arc (an open line) and the frame; only the
// cut-outs are cut.
TEST(PanelGraphics, EngravedInTheDxf) {
    const std::string svg = drawn_text_layer(R"({"knob": )" + knob_with(R"({"marks": 5, "arc": true})") +
                                             R"(, "box": {"location_x": 5, "location_y": 4, "frame": {"width": 6,
        "height": 4, "radius": 0.3}}})");
    const std::string dxf = dxf_from_svg(svg, [&]() -> const LabelFont& { throw std::runtime_error("no labels"); });
    std::vector<std::string> layers, flags;
    std::istringstream lines(dxf);
    std::string code, value, entity;
    while (std::getline(lines, code) && std::getline(lines, value)) {
        code.erase(0, code.find_first_not_of(' '));
        if (code == "0") entity = value;
        if (code == "8" && (entity == "LINE" || entity == "CIRCLE" || entity == "POLYLINE")) {
            layers.push_back(entity + " " + value);
        }
        if (code == "70" && entity == "POLYLINE") flags.push_back(value);
    }
    EXPECT_EQ(std::count(layers.begin(), layers.end(), "LINE ENGRAVE"), 5);
    EXPECT_EQ(std::count(layers.begin(), layers.end(), "CIRCLE CUT"), 1);
    // The frame (closed, its key first) and the arc (open) on ENGRAVE.
    EXPECT_EQ(std::count(layers.begin(), layers.end(), "POLYLINE ENGRAVE"), 2);
    EXPECT_EQ(flags, (std::vector<std::string>{"1", "0"}));
}

// An engraved arc keeps its side and its size: sweep 1 turns clockwise on
// the page, sweep 0 the other way; the large flag takes the long way round.
// The DXF's y runs up.
TEST(PanelGraphics, DxfArcsKeepTheirSide) {
    const Affine page_to_dxf{1, 0, 0, -1, 0, 0};
    struct Case {
        const char* d;
        MmPoint through;  // a point the arc passes, in DXF mm
        MmPoint not_through;
    };
    const double h = 5 / std::sqrt(2.0);
    for (const Case& c : {Case{"M 0 0 A 5 5 0 0 1 10 0", {5, 5}, {5, -5}}, Case{"M 0 0 A 5 5 0 0 0 10 0", {5, -5}, {5, 5}},
                          Case{"M 10 0 a 5 5 0 0 1 -10 0", {5, -5}, {5, 5}},
                          Case{"M 10 0 A 5 5 0 1 0 5 5", {5 - h, h}, {5 + h, -h}},
                          Case{"M 10 0 A 5 5 0 0 1 5 5", {5 + h, -h}, {5 - h, h}}}) {
        SCOPED_TRACE(c.d);
        const auto lines = path_lines(c.d, page_to_dxf, 0.001);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_FALSE(lines[0].closed);
        double near = 1e9, far = 1e9;
        for (const MmPoint& p : lines[0].points) {
            EXPECT_NEAR(std::hypot(p.x - 5, p.y), 5, 1e-9);
            near = std::min(near, std::hypot(p.x - c.through.x, p.y - c.through.y));
            far = std::min(far, std::hypot(p.x - c.not_through.x, p.y - c.not_through.y));
        }
        EXPECT_LT(near, 0.15);
        EXPECT_GT(far, 1);
    }
}

// The builtin converter draws the scale's labels and the frame's title as
// glyph outlines, at their own size.
TEST(PanelGraphics, BuiltinConverterOutlinesTheirLabels) {
    const std::string svg = drawn_text_layer(
        R"({"knob": )" + knob_with(R"({"marks": 2, "labels": ["8", "8"], "label_size": 16})") +
        R"(, "box": {"location_x": 5, "location_y": 4, "frame": {"width": 6, "height": 4, "title": "8"}}})");
    std::optional<LabelFont> font;
    const std::string vector = vectorize_document(svg, [&]() -> const LabelFont& {
        if (!font) font.emplace(dejavu_bold);
        return *font;
    });
    EXPECT_EQ(vector.find("<text"), std::string::npos);
    // Each "8" is one group of its glyph's outline: the title's (its key
    // first) at the run's 8 px, the scale's twice as high at 16 px.
    const std::regex group("<g [^>]*aria-label=\"8\">(<path d=\"[^\"]*\"/>)+</g>");
    std::vector<double> heights;
    for (auto it = std::sregex_iterator(vector.begin(), vector.end(), group); it != std::sregex_iterator(); ++it) {
        const std::string glyph = it->str();
        const std::regex number("(-?[0-9.]+) (-?[0-9.]+)");
        double low = 1e9, high = -1e9;
        for (auto n = std::sregex_iterator(glyph.begin(), glyph.end(), number); n != std::sregex_iterator(); ++n) {
            const double y = std::stod((*n)[2]);
            low = std::min(low, y);
            high = std::max(high, y);
        }
        heights.push_back(high - low);
    }
    ASSERT_EQ(heights.size(), 3u) << vector;
    EXPECT_NEAR(heights[1] / heights[0], 2, 0.01);
    EXPECT_NEAR(heights[2], heights[1], 0.01);
}

// Inkscape turns the scales' labels and the frames' titles into paths as it
// does the components' labels: its drawing of the example's text layer is the
// builtin converter's.
TEST(PanelGraphics, InkscapeDrawsThemAsTheBuiltinConverterDoes) {
    REQUIRE_INKSCAPE_OR_SKIP();
    TempDir dir;
    const RunResult run = run_program({"-j", (source_dir() / "examples/scales_panel.json").string(), "-o", "out", "-m",
                                       "3", "-b", "50", "--separate-files", "--vectorizer", "builtin", "--keep-files",
                                       "--font-file", dejavu_bold},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::filesystem::path text = dir / "out/scales_panel/box_Main_text.svg";
    convert_with_inkscape({text});
    const InkComparison result = compare_renderings(vector_path_for(text), inkscape_file_for(text));
    EXPECT_GT(result.inked, 10000);
    EXPECT_LE(result.share(), 0.03) << result.differ << " of " << result.inked << " inked pixels differ";
}
