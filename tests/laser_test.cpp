// End-to-end tests of the laser options: each run draws a small panel, and
// the file must be the plain drawing with exactly the expected changes.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <utility>

#include "panel/laser_style.hpp"
#include "panel/screws.hpp"
#include "test_support.hpp"

namespace {

using Replacements = std::vector<std::pair<std::string, std::string>>;

// A round hole with a round recess and a label, a rectangular hole with a
// rectangular recess; the settings add four screws with head recesses.
const std::string panel = project_with(
    R"("box_Main": {"pot1": {"location_x": 2, "location_y": 3, "call_name": "Knob", "id": 0,)"
    R"( "drill_diameter": 0.7, "visible_diameter": 0.95}, "sw": {"location_x": 5, "location_y": 4,)"
    R"( "drill_width": 1.2, "drill_height": 0.6, "visible_width": 1.6, "visible_height": 1.05}})");

struct Drawn {
    RunResult run;
    std::string svg;
};

Drawn draw(const std::vector<std::string>& extra) {
    TempDir dir;
    write_text(dir / "box.json", panel);
    std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m",  "3", "-b",
                                     "50", "-r",       "-p", "3",   "-d", "6", "--vectorize=false"};
    args.insert(args.end(), extra.begin(), extra.end());
    Drawn drawn{run_program(args, dir.path()), ""};
    drawn.svg = read_text(dir / "out/box/box_Main.svg");
    return drawn;
}

std::string replaced_all(std::string text, const Replacements& replacements) {
    for (const auto& [from, to] : replacements) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

}  // namespace

TEST(LaserOptions, EachOptionChangesExactlyWhatItOwns) {
    struct Case {
        std::vector<std::string> args;
        std::string report_line;  // empty: the report gains no line
        Replacements changes;     // applied in order to the plain drawing
    };
    const Case cases[] = {
        {{"--kerf", "0", "--physical-size=false"}, "", {}},
        {{"--physical-size"},
         "Physical page size: Yes",
         {{R"(width="755.90" height="377.95">)", R"(width="200.00mm" height="100.00mm" viewBox="0 0 755.90 377.95">)"}}},
        {{"--cut-color", "#ff0000", "--engrave-color", "#0000FF"},
         "Cut color: #ff0000\nEngrave color: #0000FF",
         {{R"(fill="none" stroke="black")", R"(fill="none" stroke="#ff0000")"},  // cut-outs, screw holes, border
          {R"(stroke="black" stroke-width="0.5")", R"(stroke="#0000FF" stroke-width="0.5")"},  // hatch lines
          {R"( stroke="black" stroke-width="1")", R"( fill="none" stroke="#0000FF" stroke-width="1")"},  // outlines
          {R"(fill="black")", R"(fill="#0000FF")"},
          {"fill: #000;", "fill: #0000FF;"}}},
        // 0.2 mm is 0.76 px: holes shrink by it, the page grows by it and
        // the drawing moves by half of it; centres and engraving stay.
        {{"--kerf", "0.2"},
         "Kerf: 0.2 mm",
         {{R"(r="13.23")", R"(r="12.85")"},
          {R"(x="166.30" y="139.84" width="45.35" height="22.68")", R"(x="166.68" y="140.22" width="44.60" height="21.92")"},
          {R"(r="5.67")", R"(r="5.29")"},
          {R"(x="0" y="0" width="755.90" height="377.95")", R"(x="-0.38" y="-0.38" width="756.66" height="378.71")"},
          {R"(width="755.90" height="377.95">)", R"(width="756.66" height="378.71">)"},
          {"\n<g>", "\n<g transform=\"translate(0.38,0.38)\">"}}},
    };
    const Drawn plain = draw({});
    ASSERT_EQ(plain.run.status, 0) << plain.run.err;
    for (const auto& c : cases) {
        const Drawn drawn = draw(c.args);
        ASSERT_EQ(drawn.run.status, 0) << c.args[0] << ": " << drawn.run.err;
        EXPECT_EQ(drawn.svg, replaced_all(plain.svg, c.changes)) << c.args[0];
        if (c.report_line.empty()) {
            const auto report = [](const std::string& out) { return out.substr(0, out.find("Done.")); };
            EXPECT_EQ(report(drawn.run.out), report(plain.run.out));
        } else {
            EXPECT_NE(drawn.run.out.find(default_inkscape_line + "\n" + c.report_line + "\n"), std::string::npos)
                << drawn.run.out;
        }
    }
    const std::string coloured = draw({"--cut-color", "#FF0000", "--engrave-color", "#0000FF"}).svg;
    EXPECT_EQ(count_of(coloured, "black") + count_of(coloured, "#000;"), 0);
}

TEST(LaserOptions, SeparateFilesShareThePageAndKeepCutAndEngravingApart) {
    TempDir dir;
    write_text(dir / "box.json", panel);
    const RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-r", "-p", "3", "-d", "6",
                                       "--vectorize=false", "-e", "--physical-size", "--cut-color", "#FF0000",
                                       "--engrave-color", "#0000FF", "--kerf", "0.2"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string page = R"(width="200.20mm" height="100.20mm" viewBox="0 0 756.66 378.71">)";
    for (const std::string layer : {"components", "outline", "screws", "text", "recess", "screw_recess"}) {
        const std::string svg = read_text(dir / ("out/box/box_Main_" + layer + ".svg"));
        const std::string drawing = svg.substr(svg.find("<g transform=\"translate(0.38,0.38)\">"));
        const bool cut = layer == "components" || layer == "outline" || layer == "screws";
        EXPECT_NE(svg.find(page), std::string::npos) << layer;
        EXPECT_NE(drawing.find(cut ? "#FF0000" : "#0000FF"), std::string::npos) << layer;
        EXPECT_EQ(drawing.find(cut ? "#0000FF" : "#FF0000"), std::string::npos) << layer;
    }
}

TEST(LaserOptions, RefusesBadColoursAndKerfs) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> mentioned;
    };
    const Case cases[] = {
        {{"--cut-color", "red"}, 1, {"cut-color"}},
        {{"--engrave-color", "#12345"}, 1, {"engrave-color"}},
        {{"--cut-color", "#12345G"}, 1, {"cut-color"}},
        {{"--kerf", "-0.1"}, 1, {"kerf"}},
        {{"--kerf", "0.2mm"}, 1, {"0.2mm"}},
        {{"--kerf", "7"}, 2, {"box_Main", "pot1", "drill_diameter", "7 mm"}},
        {{"--kerf", "6"}, 2, {"box_Main", "sw", "drill_height"}},  // exactly the height
        {{"--kerf", "3", "-s"}, 2, {"box_Main", "screw holes"}},
        {{"--kerf-x", "-0.1"}, 1, {"kerf-x"}},
        {{"--kerf-x", "0.1", "--kerf-y", "6"}, 2, {"box_Main", "sw", "drill_height"}},
    };
    for (const auto& c : cases) {
        const Drawn drawn = draw(c.args);
        EXPECT_EQ(drawn.run.status, c.status) << c.args[1];
        EXPECT_EQ(drawn.run.err.ends_with("Use --help for usage information.\n"), c.status == 1) << drawn.run.err;
        for (const auto& word : c.mentioned) {
            EXPECT_NE(drawn.run.err.find(word), std::string::npos) << c.args[1] << ": " << drawn.run.err;
        }
        EXPECT_EQ(drawn.svg, "") << c.args[1];
    }
}

// --kerf-x 0.2 --kerf-y 0.1 (0.76 and 0.38 px): round holes become ellipses
// a kerf narrower along each axis, the rectangle loses each kerf from the
// sides across its axis, the page grows by each and the drawing moves by
// their halves. The report names both; both alike draw what --kerf draws.
TEST(LaserOptions, KerfPerAxisMovesEachAxisByItsOwn) {
    const Drawn plain = draw({});
    const Drawn drawn = draw({"--kerf-x", "0.2", "--kerf-y", "0.1"});
    ASSERT_EQ(drawn.run.status, 0) << drawn.run.err;
    const auto to_ellipse = [](const std::string& svg, const std::string& r, const std::string& radii) {
        return std::regex_replace(svg, std::regex("<circle (cx=\"[\\d.]+\" cy=\"[\\d.]+\") r=\"" + r + "\""),
                                  "<ellipse $1 " + radii);
    };
    std::string want = to_ellipse(plain.svg, "13.23", R"(rx="12.85" ry="13.04")");  // the 7 mm hole
    want = to_ellipse(want, "5.67", R"(rx="5.29" ry="5.48")");                       // the 3 mm screw holes
    want = replaced_all(
        want,
        {{R"(x="166.30" y="139.84" width="45.35" height="22.68")", R"(x="166.68" y="140.03" width="44.60" height="22.30")"},
         {R"(x="0" y="0" width="755.90" height="377.95")", R"(x="-0.38" y="-0.19" width="756.66" height="378.33")"},
         {R"(width="755.90" height="377.95">)", R"(width="756.66" height="378.33">)"},
         {"\n<g>", "\n<g transform=\"translate(0.38,0.19)\">"}});
    EXPECT_EQ(drawn.svg, want);
    EXPECT_NE(drawn.run.out.find(default_inkscape_line + "\nKerf along x: 0.2 mm\nKerf along y: 0.1 mm\n"),
              std::string::npos)
        << drawn.run.out;
    EXPECT_EQ(draw({"--kerf-x", "0.2", "--kerf-y", "0.2"}).svg, draw({"--kerf", "0.2"}).svg);
}

// A turned rectangle's sides lose what the elliptic spot burns across them:
// at 90 degrees the width takes the y kerf; at 30 degrees a mix of both.
TEST(LaserOptions, TurnedRectangleLosesTheKerfAcrossEachSide) {
    Arguments args{};
    args.kerf_x = 0.4f;
    args.kerf_y = 0.1f;
    const LaserStyle style(args);
    const float kx = mm_to_px(0.4f), ky = mm_to_px(0.1f);
    const SidesPx upright = sides_inside_kerf(100, 50, 0, style);
    EXPECT_NEAR(upright.width, 100 - kx, 1e-4);
    EXPECT_NEAR(upright.height, 50 - ky, 1e-4);
    const SidesPx across = sides_inside_kerf(100, 50, 90, style);
    EXPECT_NEAR(across.width, 100 - ky, 1e-4);
    EXPECT_NEAR(across.height, 50 - kx, 1e-4);
    const SidesPx turned = sides_inside_kerf(100, 50, 30, style);
    EXPECT_NEAR(turned.width, 100 - std::hypot(kx * std::sqrt(3.0f) / 2, ky / 2), 1e-4);
    EXPECT_NEAR(turned.height, 50 - std::hypot(kx / 2, ky * std::sqrt(3.0f) / 2), 1e-4);
}
