// The finger joints: how edges are split, that the two panels of every joint
// fill each other's gaps, how kerf and play shape the outline, and what the
// option and warning lines say.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>

#include "joints/finger_edges.hpp"
#include "joints/joint_warnings.hpp"
#include "joints/outline_path.hpp"
#include "panel/frame.hpp"
#include "panel/screws.hpp"
#include "ink_compare.hpp"
#include "panel/vectorize.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

Arguments box_args(float thickness, float height, bool outer) {
    Arguments a{};
    a.material_thickness = thickness;
    a.box_height_3d = height;
    a.outer_sizing = outer;
    a.finger_joints = true;
    return a;
}

EdgeJoint edge(const PanelJoints& joints, EdgeSide side) { return joints[static_cast<std::size_t>(side)]; }

}  // namespace

TEST(FingerJoints, SegmentCountIsTheLargestWithSegmentsAtLeastTheWidth) {
    struct Case {
        float length, width;
        int pairs;
    };
    const Case cases[] = {
        {30, 6, 2},       // exactly five segments of 6
        {29.9f, 6, 1},    // five would be shorter than 6
        {18, 6, 1},       // exactly three
        {17.9f, 6, 0},    // too short for three
        {200, 6, 16},     // 33 segments of 6.06
        {56, 6, 4},       // 9 of 6.22
        {33, 2.2f, 7},    // exactly 15 of 2.2, which single precision puts just under 15
        {0, 6, 0},
        {-5, 6, 0},
        {30, 0, 0},
        {1e30f, 6, max_finger_pairs},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(finger_pairs(c.length, c.width), c.pairs) << c.length << " / " << c.width;
    }
}

// Every pair of panels that meet, with where the covered panel's edge starts
// on the covering panel's edge axis: the notches of one are the fingers of
// the other, the corners stay with the covering panel.
TEST(FingerJoints, NotchesAndFingersFillEachOtherAlongEveryEdgeKind) {
    struct Pair {
        bool outer;
        SectionKind covering;
        EdgeSide covering_edge;
        SectionKind covered;
        EdgeSide covered_edge;
        float offset_in_t;  // where the covered edge starts on the covering edge, in T
    };
    const Pair pairs[] = {
        {false, SectionKind::end, EdgeSide::top, SectionKind::face, EdgeSide::top, 0},
        {false, SectionKind::end, EdgeSide::bottom, SectionKind::face, EdgeSide::bottom, 0},
        {false, SectionKind::side, EdgeSide::left, SectionKind::face, EdgeSide::left, 1},
        {false, SectionKind::side, EdgeSide::right, SectionKind::face, EdgeSide::right, 1},
        {false, SectionKind::side, EdgeSide::top, SectionKind::end, EdgeSide::left, 0},
        {false, SectionKind::side, EdgeSide::bottom, SectionKind::end, EdgeSide::right, 0},
        {true, SectionKind::face, EdgeSide::top, SectionKind::end, EdgeSide::top, 1},
        {true, SectionKind::face, EdgeSide::bottom, SectionKind::end, EdgeSide::bottom, 1},
        {true, SectionKind::face, EdgeSide::left, SectionKind::side, EdgeSide::left, 0},
        {true, SectionKind::face, EdgeSide::right, SectionKind::side, EdgeSide::right, 0},
        {true, SectionKind::side, EdgeSide::top, SectionKind::end, EdgeSide::left, 0},
        {true, SectionKind::side, EdgeSide::bottom, SectionKind::end, EdgeSide::right, 0},
    };
    const BoxSize box{20, 12};
    for (float t : {3.0f, 4.5f}) {
        for (const Pair& p : pairs) {
            const Arguments a = box_args(t, 50, p.outer);
            const EdgeJoint covering = edge(panel_joints(p.covering, box, a), p.covering_edge);
            const EdgeJoint covered = edge(panel_joints(p.covered, box, a), p.covered_edge);
            const std::string what = std::string(p.outer ? "outer " : "inner ") + edge_name(p.covering_edge) +
                                     " of kind " + std::to_string(static_cast<int>(p.covering));
            ASSERT_EQ(covering.role, JointRole::notches) << what;
            ASSERT_EQ(covered.role, JointRole::fingers) << what;
            ASSERT_GE(covered.pairs, 1) << what;
            EXPECT_EQ(covering.start, p.offset_in_t * t) << what;
            const auto notches = finger_intervals(covering);
            const auto fingers = finger_intervals(covered);
            ASSERT_EQ(notches.size(), fingers.size()) << what;
            EXPECT_GE(covered.segment(), 2 * t) << what;
            for (std::size_t i = 0; i < fingers.size(); ++i) {
                EXPECT_NEAR(notches[i].from, fingers[i].from + p.offset_in_t * t, 1e-4) << what;
                EXPECT_NEAR(notches[i].to, fingers[i].to + p.offset_in_t * t, 1e-4) << what;
            }
            // The end segments, and so the corners, stay with the covering panel.
            EXPECT_NEAR(fingers.front().from, covered.segment(), 1e-4) << what;
            EXPECT_NEAR(fingers.back().to, covered.length - covered.segment(), 1e-3) << what;
        }
    }
    // Edges that meet nothing, and the lengths every strip splits.
    const Arguments inner = box_args(3, 50, false);
    EXPECT_EQ(edge(panel_joints(SectionKind::side, box, inner), EdgeSide::left).length, 120.0f);
    EXPECT_EQ(edge(panel_joints(SectionKind::end, box, inner), EdgeSide::left).length, 56.0f);
    const Arguments outer = box_args(3, 50, true);
    EXPECT_EQ(edge(panel_joints(SectionKind::face, box, outer), EdgeSide::top).length, 194.0f);
    EXPECT_EQ(edge(panel_joints(SectionKind::side, box, outer), EdgeSide::top).length, 44.0f);
}

TEST(FingerJoints, KerfWidensFingersAndNarrowsNotchesAndPlayWidensNotches) {
    // A 100 x 60 px panel: fingers along the top, notches along the left.
    PanelJoints joints{};
    joints[0] = {JointRole::fingers, SectionKind::end, 0, 10, 1};  // 10 mm: one finger 3.33 mm long
    joints[3] = {JointRole::notches, SectionKind::side, 0, 10, 1};
    const float t = mm_to_px(3);
    const float s = mm_to_px(10.0f / 3);
    struct Case {
        float play, kerf_x, kerf_y;
    };
    // The last cases give each axis a kerf of its own: the finger's width
    // runs along x, the notch's along y, and each takes its own axis's kerf.
    for (const Case c : {Case{0, 0, 0}, Case{0, 2, 2}, Case{1.5f, 0, 0}, Case{1, 0.5f, 0.5f}, Case{1, 2, 0.5f},
                         Case{0, 0.5f, 2}}) {
        SCOPED_TRACE(testing::Message() << c.play << " " << c.kerf_x << " " << c.kerf_y);
        const auto points = jointed_outline(100, 60, joints, t, c.play, c.kerf_x, c.kerf_y);
        ASSERT_EQ(points.size(), 12u);
        const float kx = c.kerf_x / 2, ky = c.kerf_y / 2;
        // The finger, drawn clockwise: up, across, down.
        EXPECT_NEAR(points[2].y, -t - ky, 1e-3);
        EXPECT_NEAR(points[3].x - points[2].x, s + c.kerf_x, 1e-3);
        // The whole outline lies half the kerf outside: the right edge.
        EXPECT_NEAR(points[5].x, 100 + kx, 1e-3);
        EXPECT_NEAR(points[6].y, 60 + ky, 1e-3);
        // The notch, up the left edge: its floor and its width.
        EXPECT_NEAR(points[9].x, t - kx, 1e-3);
        EXPECT_NEAR(points[9].y - points[10].y, s + c.play - c.kerf_y, 1e-3);
        EXPECT_NEAR(points[8].y, mm_to_px(20.0f / 3) + c.play / 2 - ky, 1e-3);
    }
}

TEST(FingerJoints, PageGrowsByTheFingersAndTheDrawingMovesWithThem) {
    const Arguments inner = box_args(3, 50, false);
    const BoxSize box{20, 10};
    // Inner faces have fingers all round, inner sides none.
    const std::string face = prepare_header(20, 10, 8, LaserStyle(inner), finger_margins(SectionKind::face, box, inner));
    EXPECT_NE(face.find("width=\"778.58\" height=\"400.63\""), std::string::npos) << face;
    EXPECT_TRUE(face.ends_with("<g transform=\"translate(11.34,11.34)\">")) << face;
    const std::string side = prepare_header(5.6f, 10.6f, 8, LaserStyle(inner),
                                            finger_margins(SectionKind::side, box, inner));
    EXPECT_EQ(side, prepare_header(5.6f, 10.6f, 8, LaserStyle(inner)));
    // Outer ends: fingers all round, with a kerf and millimetre pages.
    Arguments outer = box_args(3, 50, true);
    outer.kerf = 0.2f;
    outer.physical_size = true;
    const std::string end = prepare_header(19.4f, 4.4f, 8, LaserStyle(outer), finger_margins(SectionKind::end, box, outer));
    EXPECT_NE(end.find("width=\"200.20mm\" height=\"50.20mm\""), std::string::npos) << end;
    EXPECT_TRUE(end.ends_with("<g transform=\"translate(11.72,11.72)\">")) << end;
    Arguments off = outer;
    off.finger_joints = false;
    EXPECT_EQ(finger_margins(SectionKind::end, box, off).left, 0.0f);
}

TEST(FingerJoints, OptionsReportAndWarnings) {
    TempDir dir;
    write_text(dir / "box.json", project_with(
        R"("box_Main": {"edge_hole": {"location_x": 0.4, "location_y": 5, "drill_diameter": 0.4}},)"
        R"("box_Back": {}, "box_Left": {})"));
    const std::vector<std::string> base = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
    struct Case {
        std::vector<std::string> extra;
        int status;
        std::vector<std::string> mentioned;
    };
    const Case cases[] = {
        {{"--finger-joints"}, 0, {"Finger joints: Yes (segments at least 6 mm long, twice the material thickness)"}},
        {{"--finger-joints", "--finger-width", "7", "--finger-play", "0.2"},
         0, {"Finger joints: Yes (segments at least 7 mm long)\nFinger play: 0.2 mm\n"}},
        {{"--finger-joints", "--finger-width", "2.9"}, 1, {"finger-width"}},
        {{"--finger-joints", "--finger-play", "-0.1"}, 1, {"finger-play"}},
        {{"--finger-joints", "--finger-play", "3"}, 1, {"finger-play"}},
        {{"--finger-joints", "--kerf", "3"}, 1, {"kerf"}},
        {{"--finger-width", "1,5"}, 1, {"1,5"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = base;
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const RunResult run = run_program(args, dir.path());
        EXPECT_EQ(run.status, c.status) << c.extra.back() << run.err;
        for (const auto& text : c.mentioned) {
            EXPECT_NE((run.out + run.err).find(text), std::string::npos) << text << "\n" << run.out << run.err;
        }
    }
    // The hole 4 mm from the left edge of the face is within the joint strip
    // only when T is 5; a 60 mm wide joint is too short for 25 mm fingers.
    // The one end closes the back: the side's bottom edge meets it.
    RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "5", "-b", "50", "--vectorize=false",
                                 "--finger-joints", "--finger-width", "25"},
                                dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("section \"box_Main\", component \"edge_hole\": the cut-out reaches into the finger joint "
                           "along the left edge (within 0.50 cm of it)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("section \"box_Left\": the bottom edge, where it meets an end, gets no finger joint: its "
                           "joint is 6.00 cm long, too short for three segments of at least 2.50 cm (--finger-width)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("right edge (within"), std::string::npos) << run.err;
    run = run_program(base, dir.path());
    EXPECT_EQ(run.err.find("finger"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Finger"), std::string::npos) << run.out;
}

// On a 20 x 10 cm face the bottom strip lies 10 cm down and the right one
// 20 cm across: a hole near each is warned on its own edge, and one just
// clear of the strip is not.
TEST(FingerJoints, EachStripIsMeasuredFromItsOwnEdgeOnAPanelWiderThanTall) {
    const Arguments a = box_args(5, 50, false);
    const auto warnings = [&](const char* x, const char* y) {
        const json section = json::parse(std::string(R"({"hole": {"location_x": )") + x + R"(, "location_y": )" + y +
                                         R"(, "drill_diameter": 0.2}})");
        std::ostringstream err;
        warn_about_joints("box_Main", section, BoxSize{20, 10}, a, Place{"box.json", "box_Main", {}}, err);
        return err.str();
    };
    const std::string bottom = warnings("10", "9.8");
    EXPECT_NE(bottom.find("the cut-out reaches into the finger joint along the bottom edge (within 0.50 cm of it)\n"),
              std::string::npos)
        << bottom;
    EXPECT_EQ(bottom.find("Warning", 1), std::string::npos) << bottom;
    EXPECT_NE(warnings("19.8", "5").find("along the right edge"), std::string::npos);
    EXPECT_EQ(warnings("10", "9.3"), "");
    EXPECT_EQ(warnings("19.3", "5"), "");
}

// The jointed outline of every panel of the example, in its own file, as the
// clients a maker uses see it: well-formed XML, one closed path after the
// builtin vectorizer, and Inkscape's conversion drawing the same.
TEST(FingerJoints, OutlineFilesOpenInXmllintTheBuiltinVectorizerAndInkscape) {
    TempDir dir;
    fs::copy_file(source_dir() / "examples" / "midi_controller.json", dir / "box.json");
    const RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-e", "--keep-files",
                                       "--vectorizer", "builtin", "--finger-joints"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<fs::path> plain;
    for (const char* section : {"box_Back", "box_Front", "box_Left", "box_Main", "box_Right", "box_Top"}) {
        const fs::path file = dir / ("out/box/" + std::string(section) + "_outline.svg");
        const std::string converted = read_text(vector_path_for(file));
        if (can_check_xml) {
            EXPECT_TRUE(parses_as_xml(file)) << file;
            EXPECT_TRUE(parses_as_xml(vector_path_for(file))) << file;
        }
        EXPECT_EQ(count_of(converted, "<path "), 1) << converted;
        EXPECT_EQ(count_of(converted, "<rect"), 0) << converted;
        EXPECT_EQ(converted.find("-0.00"), std::string::npos) << converted;
        EXPECT_TRUE(std::regex_search(converted, std::regex("<path d=\"M[-0-9.,]+( L[-0-9.,]+){11,} Z\"")))
            << converted;
        plain.push_back(file);
    }
    REQUIRE_INKSCAPE_OR_SKIP();
    convert_with_inkscape(plain);
    for (const fs::path& file : plain) {
        if (can_check_xml) {
            EXPECT_TRUE(parses_as_xml(inkscape_file_for(file))) << file;
        }
        EXPECT_NE(read_text(inkscape_file_for(file)).find("<path"), std::string::npos) << file;
        const InkComparison result = compare_renderings(vector_path_for(file), inkscape_file_for(file));
        EXPECT_GT(result.inked, 0) << file;
        EXPECT_LE(result.share(), 0.03) << file << ": " << result.differ << " of " << result.inked;
    }
}
