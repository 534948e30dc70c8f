#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "dxf/dxf_file.hpp"
#include "dxf/dxf_writer.hpp"
#include "dxf/outline_path.hpp"
#include "dxf/svg_to_dxf.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

const LabelFont& no_font() { throw std::runtime_error("no font was to be needed"); }

// The values of every group with `code` that follows an entity of `type`,
// in order ("10" of "CIRCLE": the x of each circle's centre).
std::vector<std::string> values_of(const std::string& dxf, const std::string& type, const std::string& code) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < dxf.size()) {
        const std::size_t end = dxf.find('\n', at);
        lines.push_back(dxf.substr(at, end - at));
        at = end == std::string::npos ? dxf.size() : end + 1;
    }
    std::vector<std::string> values;
    std::string entity;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        std::string group = lines[i];
        group.erase(0, group.find_first_not_of(' '));
        if (group == "0") entity = lines[i + 1];
        else if (entity == type && group == code) values.push_back(lines[i + 1]);
    }
    return values;
}

double distance_to_segment(MmPoint p, MmPoint a, MmPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double squared = dx * dx + dy * dy;
    const double t = squared > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / squared, 0.0, 1.0) : 0.0;
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// A drawing in this program's own vocabulary, on a page of 377.95 × 188.98 px
// (100 × 50.001 mm) moved by half a kerf of 1 px.
const std::string page_start =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"377.95\" height=\"188.98\">\n<defs>\n<style>\n"
    ".text { font-weight: 700; font-size: 8.00px; }\n</style>\n</defs>\n<g transform=\"translate(0.50,0.50)\">";
const std::vector<std::string> drawing_pieces = {
    page_start,
    // A cut-out, then a circle recess: its lines (the first of no length) and its outline.
    "<circle cx=\"37.29\" cy=\"37.29\" r=\"18.90\" fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>",
    "<line x1=\"37.29\" y1=\"18.39\" x2=\"37.29\" y2=\"18.39\" stroke=\"black\" stroke-width=\"0.5\"/>\n"
    "<line x1=\"20.00\" y1=\"37.29\" x2=\"54.58\" y2=\"37.29\" stroke=\"black\" stroke-width=\"0.5\"/>\n"
    "<circle cx=\"37.29\" cy=\"37.29\" r=\"18.90\" stroke=\"black\" stroke-width=\"1\"/>\n",
    // A turned cut-out and its rectangle recess in a clipped group.
    "<rect x=\"-10.00\" y=\"-5.00\" width=\"20.00\" height=\"10.00\" fill=\"none\" stroke=\"black\" "
    "stroke-width=\"1\" transform=\"translate(100.00,50.00) rotate(90.00)\"/>"
    "<clipPath id=\"recess-clip-1\">\n<rect x=\"-10.00\" y=\"-5.00\" width=\"20.00\" height=\"10.00\" "
    "transform=\"translate(100.00,50.00) rotate(90.00)\"/>\n</clipPath>\n<g clip-path=\"url(#recess-clip-1)\">\n"
    "<line x1=\"-10.00\" y1=\"-5.00\" x2=\"10.00\" y2=\"-5.00\" stroke=\"black\" stroke-width=\"0.5\" "
    "transform=\"translate(100.00,50.00) rotate(90.00)\"/>\n"
    "<line x1=\"-30.00\" y1=\"0.00\" x2=\"30.00\" y2=\"0.00\" stroke=\"black\" stroke-width=\"0.5\" "
    "transform=\"translate(100.00,50.00) rotate(90.00)\"/>\n"
    "<line x1=\"-10.00\" y1=\"4.00\" x2=\"10.00\" y2=\"4.00\" stroke=\"black\" stroke-width=\"0.5\" "
    "transform=\"translate(100.00,50.00) rotate(90.00)\"/>\n</g>\n"
    "<rect x=\"-10.00\" y=\"-5.00\" width=\"20.00\" height=\"10.00\" stroke=\"black\" stroke-width=\"1\" "
    "transform=\"translate(100.00,50.00) rotate(90.00)\"/>\n",
    // The same cut-out once more, a jointed outline and the border.
    "<circle cx=\"37.29\" cy=\"37.29\" r=\"18.90\" fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>"
    "<path d=\"M 200 100 h 40 v 20 H 200 Z\" fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>"
    "<rect x=\"-0.50\" y=\"-0.50\" width=\"377.95\" height=\"188.98\" fill=\"none\" stroke=\"black\" "
    "stroke-width=\"2\"/></g></svg>",
};

std::string whole_drawing() {
    std::string svg;
    for (const std::string& piece : drawing_pieces) svg += piece;
    return svg;
}

}  // namespace

TEST(DxfNumbers, ThreeDecimalsAndNoNegativeZero) {
    const std::vector<std::pair<double, std::string>> cases = {
        {0.0, "0.000"},        {-0.0, "0.000"},          {-0.0004, "0.000"}, {100.0002, "100.000"},
        {-3.25, "-3.250"},     {12.3456, "12.346"},      {-12.3456, "-12.346"}, {1e6, "1000000.000"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(dxf_number(value), text) << value;
    }
    EXPECT_THROW(dxf_number(INFINITY), std::runtime_error);
    EXPECT_THROW(dxf_number(NAN), std::runtime_error);
}

// Services refuse lines of no length, doubled entities and outlines that are
// not closed; none of them is ever written.
TEST(DxfWriter, LeavesOutWhatServicesRefuse) {
    DxfWriter writer(100, 50);
    writer.line(DxfLayer::engrave, {1, 1}, {1, 1});
    writer.line(DxfLayer::engrave, {1, 1}, {1.0004, 1});  // no length once written
    writer.line(DxfLayer::engrave, {1, 1}, {5, 1});
    writer.line(DxfLayer::engrave, {5, 1}, {1, 1});  // the same line the other way
    writer.line(DxfLayer::cut, {1, 1}, {5, 1});      // another operation: kept
    writer.circle(DxfLayer::cut, {10, 10}, 2);
    writer.circle(DxfLayer::cut, {10, 10}, 2.0001);
    writer.circle(DxfLayer::cut, {10, 10}, 0.0004);
    writer.closed_polyline(DxfLayer::cut, {{0, 0}, {0, 0}, {4, 0}, {4, 3}, {0, 3}, {0, 0}});
    writer.closed_polyline(DxfLayer::cut, {{0, 0}, {4, 0}, {4, 3}, {0, 3}});
    writer.closed_polyline(DxfLayer::cut, {{0, 0}, {4, 0}, {4, 0.0002}, {0, 0}});  // no area left
    writer.finish();
    const std::string dxf = writer.take_text();
    EXPECT_EQ(writer.counts().lines, 2u);
    EXPECT_EQ(writer.counts().circles, 1u);
    EXPECT_EQ(writer.counts().polylines, 1u);
    EXPECT_EQ(writer.counts().on_cut, 3u);
    EXPECT_EQ(writer.counts().on_engrave, 1u);
    EXPECT_EQ(count_of(dxf, "\nVERTEX\n"), 4);
    EXPECT_EQ(values_of(dxf, "POLYLINE", "70"), std::vector<std::string>{"1"});
    EXPECT_EQ(dxf.rfind("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n", 0), 0u);
    EXPECT_NE(dxf.find("$INSUNITS\n 70\n4\n"), std::string::npos);
    EXPECT_NE(dxf.find("$MEASUREMENT\n 70\n1\n"), std::string::npos);
    EXPECT_NE(dxf.find("$EXTMAX\n 10\n100.000\n 20\n50.000\n"), std::string::npos);
    EXPECT_TRUE(dxf.ends_with("  0\nENDSEC\n  0\nEOF\n"));
}

// Mm from the page's bottom-left corner, y up; cut-outs, the border and
// outlines are cut, the hatch and the outline that closes it engraved.
TEST(DxfDrawing, PutsEveryShapeOnItsLayerInMillimetres) {
    const std::string dxf = dxf_from_svg(whole_drawing(), no_font);
    // The circle's centre 37.79 px right of and 151.19 px above the bottom
    // left corner.
    EXPECT_EQ(values_of(dxf, "CIRCLE", "10"), (std::vector<std::string>{"9.999", "9.999"}));
    EXPECT_EQ(values_of(dxf, "CIRCLE", "20"), (std::vector<std::string>{"40.003", "40.003"}));
    EXPECT_EQ(values_of(dxf, "CIRCLE", "40"), (std::vector<std::string>{"5.001", "5.001"}));
    EXPECT_EQ(values_of(dxf, "CIRCLE", "8"), (std::vector<std::string>{"CUT", "ENGRAVE"}));
    // The turned rectangle stands 10 px wide and 20 px high about (100.5, 50.5).
    const std::vector<std::string> xs = values_of(dxf, "VERTEX", "10");
    const std::vector<std::string> ys = values_of(dxf, "VERTEX", "20");
    ASSERT_EQ(xs.size(), 16u);
    EXPECT_EQ((std::vector<std::string>(xs.begin(), xs.begin() + 4)),
              (std::vector<std::string>{"27.914", "27.914", "25.268", "25.268"}));
    EXPECT_EQ((std::vector<std::string>(ys.begin(), ys.begin() + 4)),
              (std::vector<std::string>{"39.286", "33.994", "33.994", "39.286"}));
    EXPECT_EQ(values_of(dxf, "POLYLINE", "8"), (std::vector<std::string>{"CUT", "ENGRAVE", "CUT", "CUT"}));
    // The border is the page.
    EXPECT_EQ((std::vector<std::string>(xs.end() - 4, xs.end())),
              (std::vector<std::string>{"0.000", "100.000", "100.000", "0.000"}));
    EXPECT_EQ((std::vector<std::string>(ys.end() - 4, ys.end())),
              (std::vector<std::string>{"50.001", "50.001", "0.000", "0.000"}));
    // Lines: the one of no length goes, and the one on its recess's edge; the
    // one past its recess is cut to it.
    EXPECT_EQ(values_of(dxf, "LINE", "8"), (std::vector<std::string>{"ENGRAVE", "ENGRAVE", "ENGRAVE"}));
    EXPECT_EQ(values_of(dxf, "LINE", "21"), (std::vector<std::string>{"40.003", "33.994", "33.994"}));
    EXPECT_EQ(values_of(dxf, "LINE", "11"), (std::vector<std::string>{"14.573", "26.591", "25.532"}));
}

// Hatch lines lie inside their recess, so the clip leaves them as written,
// also where the written numbers reach a hundredth of a pixel past it; lines
// truly past it are cut to it, lines wholly outside go.
TEST(DxfDrawing, ClipsHatchLinesToTheirRecess) {
    const std::string start = page_start + "<clipPath id=\"c\">\n<rect x=\"10.00\" y=\"10.00\" width=\"20.00\" "
                                           "height=\"10.00\"/>\n</clipPath>\n<g clip-path=\"url(#c)\">\n";
    const std::string end = "</g>\n</g></svg>";
    const auto line = [](const char* x1, const char* x2, const char* y) {
        return std::string("<line x1=\"") + x1 + "\" y1=\"" + y + "\" x2=\"" + x2 + "\" y2=\"" + y + "\"/>\n";
    };
    const std::string dxf = dxf_from_svg(
        start + line("10.00", "30.01", "20.01") + line("0.00", "40.00", "15.00") + line("10.00", "30.00", "25.00") +
            end,
        no_font);
    const double k = 10.0 / 37.795;
    EXPECT_EQ(values_of(dxf, "LINE", "10"), (std::vector<std::string>{dxf_number(10.5 * k), dxf_number(10.5 * k)}));
    EXPECT_EQ(values_of(dxf, "LINE", "11"), (std::vector<std::string>{dxf_number(30.51 * k), dxf_number(30.5 * k)}));
}

// A hatch line on its recess's outline would engrave that edge twice, once as
// the line and once as the outline; within the DXF's 0.001 mm it is left out.
// A hundredth of a pixel (0.0026 mm) inside, it is a line of its own.
TEST(DxfDrawing, LeavesOutHatchLinesOnTheRecessOutline) {
    const std::string start = page_start + "<clipPath id=\"c\">\n<rect x=\"10.00\" y=\"10.00\" width=\"20.00\" "
                                           "height=\"10.00\"/>\n</clipPath>\n<g clip-path=\"url(#c)\">\n";
    const auto line = [](const char* y) {
        return std::string("<line x1=\"10.00\" y1=\"") + y + "\" x2=\"30.00\" y2=\"" + y + "\"/>\n";
    };
    const std::string outline = "</g>\n<rect x=\"10.00\" y=\"10.00\" width=\"20.00\" height=\"10.00\"/>\n</g></svg>";
    const std::string dxf =
        dxf_from_svg(start + line("10.00") + line("10.01") + line("15.00") + line("20.00") + outline, no_font);
    // y up from the page's foot, 188.98 px below its top; the group moves by 0.5.
    const double k = 10.0 / 37.795;
    EXPECT_EQ(values_of(dxf, "LINE", "20"),
              (std::vector<std::string>{dxf_number((188.98 - 10.51) * k), dxf_number((188.98 - 15.5) * k)}));
    EXPECT_EQ(count_of(dxf, "\nPOLYLINE\n"), 1);
}

// A large drawing reaches the converter in pieces; the file is the same.
TEST(DxfDrawing, PiecesGiveTheWholeDrawingsFile) {
    DxfDrawing drawing(no_font);
    std::string dxf;
    for (const std::string& piece : drawing_pieces) {
        drawing.feed(piece);
        dxf += drawing.take_text();
    }
    drawing.finish();
    dxf += drawing.take_text();
    EXPECT_EQ(dxf, dxf_from_svg(whole_drawing(), no_font));
}

// What the DXF cannot hold is an error, never a silently different drawing.
TEST(DxfDrawing, RefusesWhatItCannotDraw) {
    for (const std::string body : {"<path d=\"M 0 0 L 10 0 L 10 10\"/>", "<path d=\"M 0 0 A 5 5 0 0 1 10 Z\"/>",
                                   "<rect x=\"0\" y=\"0\" width=\"5\" height=\"5\" rx=\"1\"/>",
                                   "<g transform=\"skewX(30)\"></g>", "<g clip-path=\"url(#none)\"></g>",
                                   "<circle cx=\"1\" cy=\"1\" r=\"1\" transform=\"scale(1,2)\"/>"}) {
        SCOPED_TRACE(body);
        EXPECT_THROW(dxf_from_svg(page_start + body + "</g></svg>", no_font), std::runtime_error);
    }
    EXPECT_THROW(dxf_from_svg(page_start, no_font), std::runtime_error);
}

// Curves become straight pieces whose corners lie on the curve and whose
// middles stray from it by at most 0.01 mm, at any size.
TEST(DxfOutlines, FlattensCurvesWithinAHundredthOfAMillimetre) {
    struct Case {
        const char* d;
        int bends;  // curves per outline
    };
    for (const Case c : {Case{"M 0 0 Q 50 80 100 0 Z", 1}, Case{"M 0 0 C 0 60 100 -60 100 0 Z", 1},
                         Case{"M 0 0 q 0.5 0.5 1 0 t 1 0 Z", 2}, Case{"M 0 0 c 0 1 1 1 1 0 s 1 -1 1 0 z", 2},
                         Case{"M 0 0 A 50 50 0 0 1 100 0 Z", 1}, Case{"M 0 0 a 2 1 30 1 0 3 0 z", 1}}) {
        SCOPED_TRACE(c.d);
        const auto outlines = closed_outlines(c.d, Affine{}, 0.009);
        ASSERT_EQ(outlines.size(), 1u);
        const std::vector<MmPoint>& points = outlines[0];
        ASSERT_GT(points.size(), 4u);
        EXPECT_LT(points.size(), 1200u);
        const std::vector<MmPoint> fine_points = closed_outlines(c.d, Affine{}, 1e-6)[0];
        for (std::size_t i = 1; i < points.size(); ++i) {
            // Every chord's middle lies near the curve: within the tolerance of
            // a second, far finer flattening.
            const MmPoint mid{(points[i - 1].x + points[i].x) / 2, (points[i - 1].y + points[i].y) / 2};
            double nearest = INFINITY;
            for (std::size_t j = 1; j < fine_points.size(); ++j) {
                nearest = std::min(nearest, distance_to_segment(mid, fine_points[j - 1], fine_points[j]));
            }
            // The straight closing piece back to the start is no curve.
            if (i + 1 < points.size()) {
                EXPECT_LE(nearest, 0.01) << i;
            }
        }
    }
    EXPECT_EQ(closed_outlines("M 0 0 L 10 0 L 10 10 L 0 0 M 20 20 h 5 v 5 z", Affine{}, 0.009).size(), 2u);
}

// Beside each drawing a DXF of the same name, only with --dxf and never
// when simulating; a drawing it cannot convert keeps its SVG.
TEST(DxfOption, FilesBesideEveryDrawingOnlyWhenAsked) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {"pot1": {"id": 0, "call_name": "Knob", "location_x": 3,
                "location_y": 3, "drill_diameter": 0.7}}, "box_Left": {})"));
    const std::vector<std::string> base = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
    const fs::path folder = dir / "out" / "box";
    const auto run = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        fs::remove_all(folder);
        return run_program(args, dir.path());
    };

    const RunResult plain = run({});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.find("DXF"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "box_Main.dxf"));

    const RunResult with_dxf = run({"--dxf", "--font-file", dejavu_bold});
    ASSERT_EQ(with_dxf.status, 0) << with_dxf.err;
    EXPECT_EQ(with_dxf.err, "");
    EXPECT_NE(with_dxf.out.find("Font file: " + dejavu_bold + "\nDXF files: Yes\n======================\n"),
              std::string::npos)
        << with_dxf.out;
    for (const std::string name : {"box_Left", "box_Main"}) {
        EXPECT_NE(with_dxf.out.find("Creation of SVG for " + name + " successful.\nCreation of DXF for " + name +
                                    " successful.\n"),
                  std::string::npos);
        const std::string dxf = read_text(folder / (name + ".dxf"));
        EXPECT_TRUE(dxf.ends_with("EOF" + native_newline)) << name;
    }
    // The label is there as glyph outlines.
    EXPECT_GT(count_of(read_text(folder / "box_Main.dxf"), "ENGRAVE"), 5);

    // The plain file goes with the builtin vector file; the DXF stays, one per
    // layer file, and none for the vector file.
    const RunResult separate = run({"--dxf", "--font-file", dejavu_bold, "--separate-files", "--vectorize=true",
                                    "--vectorizer", "builtin", "-p", "3"});
    ASSERT_EQ(separate.status, 0) << separate.err;
    for (const std::string layer : {"_text", "_components", "_outline", "_screws"}) {
        EXPECT_TRUE(fs::exists(folder / ("box_Main" + layer + ".dxf"))) << layer;
        EXPECT_FALSE(fs::exists(folder / ("box_Main" + layer + ".svg"))) << layer;
        EXPECT_FALSE(fs::exists(folder / ("box_Main" + layer + "_vector.dxf"))) << layer;
    }

    const RunResult simulated = run({"--dxf", "-s"});
    ASSERT_EQ(simulated.status, 0) << simulated.err;
    EXPECT_FALSE(fs::exists(folder / "box_Main.dxf"));
    EXPECT_FALSE(fs::exists(folder / "box_Main.svg"));

    // No font: the labelled drawing's DXF fails, an old one goes with it; the
    // drawing without labels still gets its DXF.
    fs::create_directories(folder);
    write_text(folder / "box_Main.dxf", "left from an earlier run");
    std::vector<std::string> args = base;
    args.insert(args.end(), {"--dxf", "--font-file", (dir / "absent.ttf").string()});
    const RunResult no_font_run = run_program(args, dir.path());
    EXPECT_EQ(no_font_run.status, 0) << no_font_run.err;
    EXPECT_NE(no_font_run.err.find("DXF failed for box_Main: "), std::string::npos) << no_font_run.err;
    EXPECT_NE(no_font_run.err.find("absent.ttf"), std::string::npos) << no_font_run.err;
    EXPECT_TRUE(fs::exists(folder / "box_Main.svg"));
    EXPECT_FALSE(fs::exists(folder / "box_Main.dxf"));
    EXPECT_TRUE(fs::exists(folder / "box_Left.dxf"));
    EXPECT_EQ(no_font_run.out.find("Creation of DXF for box_Main"), std::string::npos);
}

// A layer file with nothing on it (no label in the text pass) gets no DXF:
// a service takes an empty one for a broken file. An old one goes too.
TEST(DxfOption, NoFileForADrawingWithNothingToCutOrEngrave) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("a_Main": {"led": {"location_x": 3, "location_y": 3,)"
                                              R"( "drill_diameter": 0.5}})"));
    const fs::path folder = dir / "out" / "box";
    fs::create_directories(folder);
    write_text(folder / "a_Main_text.dxf", "left from an earlier run");
    const RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-e", "--dxf",
                                       "--vectorize=false"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Creation of SVG for a_Main_text successful.\nNo DXF for a_Main_text: it has "
                           "nothing to cut or engrave.\n"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(fs::exists(folder / "a_Main_text.dxf"));
    EXPECT_TRUE(fs::exists(folder / "a_Main_components.dxf"));
}

// A drawing large enough to reach its file in several pieces keeps both
// files whole: every hatch line of the SVG is a LINE of the DXF.
TEST(DxfOption, LargeDrawingsKeepBothFilesWhole) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {"screen": {"location_x": 10, "location_y": 5,
                "visible_width": 18, "visible_height": 8}})"));
    const RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false",
                                       "--recess", "-n", "80", "--dxf"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string svg = read_text(dir / "out" / "box" / "box_Main.svg");
    ASSERT_GT(svg.size(), std::size_t{256} << 10);
    EXPECT_TRUE(svg.ends_with("</g></svg>"));
    const std::string dxf = unix_lines(read_text(dir / "out" / "box" / "box_Main.dxf"));
    // All but the first, which lies on the recess's top edge.
    EXPECT_EQ(count_of(dxf, "\nLINE\n"), count_of(svg, "<line ") - 1);
    EXPECT_TRUE(dxf.ends_with("EOF\n"));
    for (const auto& entry : fs::directory_iterator(dir / "out" / "box")) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".svggenerator-")) << entry.path();
    }
}

// Transform lists apply right to left; quarter turns are exact.
TEST(DxfTransforms, ReadsTheTransformsTheDrawingsWrite) {
    struct Case {
        const char* text;
        double x, y;  // where (1, 2) goes
    };
    for (const Case c : {Case{"translate(10.00,20.00) rotate(90.00)", 8, 21}, Case{"rotate(90) translate(10,20)", -22, 11},
                         Case{"rotate(-270)", -2, 1}, Case{"rotate(180, 1, 1)", 1, 0}, Case{"rotate(90, 1, 1)", 0, 1},
                         Case{"translate(5)", 6, 2},
                         Case{"scale(2) matrix(1 0 0 1 3 4)", 8, 12}}) {
        SCOPED_TRACE(c.text);
        const Affine m = parse_transform(c.text);
        EXPECT_EQ(m.x_of(1, 2), c.x);
        EXPECT_EQ(m.y_of(1, 2), c.y);
    }
    EXPECT_NEAR(parse_transform("rotate(45)").x_of(1, 1), 0, 1e-12);
    EXPECT_THROW(parse_transform("rotate(90"), std::runtime_error);
    EXPECT_THROW(parse_transform("translate(1,2,3)"), std::runtime_error);
}
