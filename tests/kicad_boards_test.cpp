// Parts placed from a KiCad board: hand-made boards in the forms KiCad 5 to 8
// write, placed by each kind of origin, turned and mirrored, land every hole
// where the geometry puts it; the section's own keys win; unplaced
// through-hole footprints are listed; broken boards and projects are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>
#include <optional>

#include "kicad/sexpr.hpp"
#include "layer_fixtures.hpp"
#include "parts/library.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;
using Point = std::complex<double>;

namespace {

struct TestFootprint {
    std::string reference, lib_id, value;
    double x, y, angle;
    std::string pad_type = "thru_hole";
    std::map<std::string, std::string> properties;
    bool back = false;
};

const std::string pot = "Potentiometer_THT:Potentiometer_Alpha_RD901F-40-00D_Single_Vertical";
const std::string jack = "Connector_Audio:Jack_3.5mm_QingPu_WQP-PJ398SM_Vertical_CircularHoles";
const std::string encoder = "Rotary_Encoder:RotaryEncoder_Alps_EC11E_Vertical_H20mm";

// Pots, jacks, an encoder and a DIN socket at angles of every quarter and
// one between; a mounting hole, a chip and a resistor that stay off the
// panel; a jack on the bottom side.
std::vector<TestFootprint> test_footprints() {
    return {
        {"RV1", pot, "10k", 60, 45, 90, "thru_hole", {}, false},
        {"RV2", pot, "10k", 75, 45, 0, "thru_hole", {}, false},
        {"J1", jack, "In", 80, 60, 180, "thru_hole", {}, false},
        {"SW1", encoder, "Enc", 100, 45, 270, "thru_hole", {}, false},
        {"J2", "Connector_Custom:MIDI_Socket", "DIN-5", 120, 60, 30, "thru_hole",
         {{"Panel", "din5-midi"}, {"Panel_Offset", "0 -7.5"}, {"Label", "MIDI"}}, false},
        {"H1", "MountingHole:MountingHole_3.2mm_M3", "MountingHole", 30, 30, 0, "np_thru_hole", {}, false},
        {"U1", "Package_DIP:DIP-8_W7.62mm", "NE555", 140, 40, 0, "thru_hole", {}, false},
        {"R1", "Resistor_SMD:R_0603_1608Metric", "1k", 70, 70, 0, "smd", {}, false},
        {"J9", jack, "Out", 90, 75, 0, "thru_hole", {}, true},
    };
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// One footprint as the given KiCad version writes it: KiCad 5 a bare-word
// (module …) without fields, 6 and 7 (fp_text reference …) and user
// properties, 8 every field a (property …).
std::string footprint_text(int version, const TestFootprint& f) {
    const std::string layer = f.back ? "B.Cu" : "F.Cu";
    const std::string at = "(at " + std::to_string(f.x) + " " + std::to_string(f.y) + " " +
                           std::to_string(f.angle) + ")";
    std::string pad_at = f.back ? "(at 0 0 180)" : "(at 0 0)";
    const std::string pad_size = f.pad_type == "smd" ? "(size 1 1)" : "(size 1.8 1.8) (drill 1)";
    if (version == 5) {
        return "  (module " + f.lib_id + " (layer " + layer + ") (tedit 5A02FE31) (tstamp 5B2D3F1C)\n    " + at +
               "\n    (fp_text reference " + f.reference + " (at 0 -3) (layer F.SilkS)\n      (effects (font (size 1 1) "
               "(thickness 0.15))))\n    (fp_text value " + f.value + " (at 0 3) (layer F.Fab))\n    (pad 1 " +
               f.pad_type + " circle " + pad_at + " " + pad_size + " (layers *.Cu *.Mask))\n  )\n";
    }
    std::string text = "  (footprint " + quoted(f.lib_id) + " (layer " + quoted(layer) + ")\n";
    text += version == 8 ? "    (uuid \"8e7a3c1d-0000-4000-8000-000000000001\")\n"
                         : "    (tstamp 8e7a3c1d-0000-4000-8000-000000000001)\n";
    text += "    " + at + "\n";
    if (version == 8) {
        text += "    (property \"Reference\" " + quoted(f.reference) +
                " (at 0 -3 0) (layer \"F.SilkS\") (uuid \"1\")\n      (effects (font (size 1 1) (thickness 0.15))))\n";
        text += "    (property \"Value\" " + quoted(f.value) + " (at 0 3 0) (layer \"F.Fab\") (uuid \"2\"))\n";
    }
    for (const auto& [name, value] : f.properties) {
        text += "    (property " + quoted(name) + " " + quoted(value) +
                (version == 8 ? " (at 0 0 0) (layer \"F.Fab\") (hide yes))\n" : ")\n");
    }
    if (version != 8) {
        const std::string stroke = version == 7 ? "(stroke (width 0.12) (type solid))" : "(width 0.12)";
        text += "    (fp_text reference " + quoted(f.reference) + " (at 0 -3) (layer \"F.SilkS\")\n      (effects "
                "(font (size 1 1) (thickness 0.15))))\n    (fp_text value " + quoted(f.value) +
                " (at 0 3) (layer \"F.Fab\"))\n    (fp_line (start -1 -1) (end 1 1) (layer \"F.SilkS\") " + stroke +
                ")\n";
    }
    text += "    (pad \"1\" " + f.pad_type + " circle " + pad_at + " " + pad_size + " (layers \"*.Cu\" \"*.Mask\"))\n";
    return text + "  )\n";
}

std::string board_text(int version, const std::vector<TestFootprint>& footprints) {
    const std::map<int, std::string> header = {{5, "(version 20171130) (host pcbnew 5.1.9)"},
                                                {6, "(version 20211014) (generator pcbnew)"},
                                                {7, "(version 20221018) (generator pcbnew)"},
                                                {8, "(version 20240108) (generator \"pcbnew\") (generator_version \"8.0\")"}};
    std::string text = "(kicad_pcb " + header.at(version) + "\n  (general (thickness 1.6))\n";
    text += "  (setup\n    (pad_to_mask_clearance 0)\n    (aux_axis_origin 20 25)\n  )\n";
    text += "  (net 0 \"\")\n";
    for (const TestFootprint& f : footprints) text += footprint_text(version, f);
    text += "  (segment (start 60 45) (end 80 60) (width 0.25) (layer \"F.Cu\") (net 0))\n";
    return text + ")\n";
}

// How the board lies on the panel, as the project's "Boards" item gives it.
struct Frame {
    std::string origin_json;  // the "origin" member, or empty for the board's own
    Point origin_mm;          // the board point at `at_cm`
    Point at_cm;
    int rotation = 0;
    bool mirror = false;
};

const Frame by_point{R"("origin": {"x": 20, "y": 25},)", {20, 25}, {0, 0}, 0, false};
const Frame by_reference{R"("origin": {"reference": "H1", "at": {"x": 1, "y": 1.5}}, "rotation": 90,)",
                         {30, 30}, {1, 1.5}, 90, false};
const Frame by_board_origin{R"("mirror": true,)", {20, 25}, {0, 0}, 0, true};

Point turn_clockwise(Point p, double degrees) { return p * std::polar(1.0, degrees * std::acos(-1.0) / 180); }

// Where a point of a part (mm from its centre, y downwards) lands on the
// panel, in px: through the footprint's frame (the part turned against it,
// shifted to the shaft), onto the board (KiCad's angle is counter-clockwise,
// a bottom footprint flipped top to bottom), onto the panel.
Point on_panel(const TestFootprint& f, Point shaft, double part_angle, Point in_part, const Frame& frame) {
    Point local = shaft + turn_clockwise(in_part, part_angle);
    if (f.back) local = std::conj(local);
    Point d = Point(f.x, f.y) + turn_clockwise(local, -f.angle) - frame.origin_mm;
    if (frame.mirror) d = -std::conj(d);
    const Point mm = frame.at_cm * 10.0 + turn_clockwise(d, frame.rotation);
    return mm / 10.0 * 37.795;
}

struct Expected {
    bool round;
    Point centre;
};

const PartLibrary& shipped_parts() {
    static const PartLibrary library = read_part_library(std::string(SOURCE_DIR) + "/parts/parts.json");
    return library;
}

// Every cut-out of the placed footprints: the part's hole at its shaft and
// its extra holes.
std::vector<Expected> expected_holes(const Frame& frame, bool back) {
    struct Mapped {
        std::string part;
        Point shaft;
        double angle;
    };
    const std::map<std::string, Mapped> mapped = {
        {"RV1", {"pot-9mm", {7.5, 2.5}, 90}}, {"RV2", {"pot-9mm", {7.5, 2.5}, 90}},
        {"J1", {"pj398sm", {0, 6.48}, 0}},    {"SW1", {"ec11", {7.5, 2.5}, 90}},
        {"J2", {"din5-midi", {0, -7.5}, 0}},  {"J9", {"pj398sm", {0, 6.48}, 0}},
    };
    std::vector<Expected> holes;
    for (const TestFootprint& f : test_footprints()) {
        const auto it = mapped.find(f.reference);
        if (it == mapped.end() || f.back != back) continue;
        const Mapped& m = it->second;
        holes.push_back({true, on_panel(f, m.shaft, m.angle, {0, 0}, frame)});
        for (const PartHole& h : shipped_parts().parts.at(m.part).holes) {
            holes.push_back({h.round, on_panel(f, m.shaft, m.angle, {h.x, h.y}, frame)});
        }
    }
    return holes;
}

double attribute(const std::string& element, const std::string& name) {
    const auto at = element.find(" " + name + "=\"");
    return at == std::string::npos ? NAN : std::stod(element.substr(at + name.size() + 3));
}

// The centres of the drawn cut-outs, without the panel's border.
std::vector<Expected> drawn_holes(const std::string& svg) {
    std::vector<Expected> holes;
    for (const std::string& e : elements_starting(svg, "<circle")) {
        holes.push_back({true, {attribute(e, "cx"), attribute(e, "cy")}});
    }
    for (const std::string& e : elements_starting(svg, "<rect")) {
        if (e.find("stroke-width=\"2\"") != std::string::npos) continue;
        const auto turn = e.find("translate(");
        if (turn != std::string::npos) {
            holes.push_back({false, {std::stod(e.substr(turn + 10)), std::stod(e.substr(e.find(',', turn) + 1))}});
        } else {
            holes.push_back({false, {attribute(e, "x") + attribute(e, "width") / 2,
                                     attribute(e, "y") + attribute(e, "height") / 2}});
        }
    }
    return holes;
}

constexpr double px_per_mm = 3.7795;

void expect_same_holes(const std::vector<Expected>& expected, const std::vector<Expected>& drawn) {
    ASSERT_EQ(drawn.size(), expected.size());
    for (const Expected& e : expected) {
        double nearest = 1e9;
        for (const Expected& d : drawn) {
            if (d.round == e.round) nearest = std::min(nearest, std::abs(d.centre - e.centre));
        }
        EXPECT_LT(nearest / px_per_mm, 0.01) << (e.round ? "round" : "rectangular") << " hole expected at ("
                                             << e.centre.real() << ", " << e.centre.imag() << ") px";
    }
}

bool drawn_near(const std::string& svg, double x_mm, double y_mm) {
    for (const Expected& d : drawn_holes(svg)) {
        if (std::abs(d.centre - Point(x_mm, y_mm) * px_per_mm) < 0.01 * px_per_mm) return true;
    }
    return false;
}

struct BoardRun {
    TempDir dir;
    RunResult result;
    std::string svg;
};

// Writes the board and a project that places it, runs the program and
// reads the face panel back.
void run_board(BoardRun& run, const std::string& board, const std::string& item, const std::string& section = "{}",
               const std::vector<std::string>& extra = {}) {
    fs::create_directories(run.dir / "pcb");
    write_text(run.dir / "pcb/synth.kicad_pcb", board);
    write_text(run.dir / "box.json", R"({"Generic": {"width": 30, "height": 20}, "Boards": [{"file": "pcb/synth.kicad_pcb", )" +
                                         item + R"( "section": "box_Main"}], "box_Main": )" + section + "}");
    std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
    args.insert(args.end(), extra.begin(), extra.end());
    run.result = run_program(args, run.dir.path());
    if (fs::exists(run.dir / "out/box/box_Main.svg")) run.svg = read_text(run.dir / "out/box/box_Main.svg");
}

}  // namespace

TEST(KicadBoards, EveryHoleLandsWhereTheFootprintPutsItInEveryFileFormAndFrame) {
    for (int version : {5, 6, 7, 8}) {
        std::vector<TestFootprint> footprints = test_footprints();
        // KiCad 5 has no fields: the project's map places the DIN socket.
        std::string map;
        if (version == 5) {
            for (TestFootprint& f : footprints) f.properties.clear();
            map = R"("map": {"DIN-?": {"part": "din5-midi", "offset": [0, -7.5]}},)";
        }
        for (const Frame* frame : {&by_point, &by_reference, &by_board_origin}) {
            SCOPED_TRACE("KiCad " + std::to_string(version) + ", " + frame->origin_json);
            BoardRun run;
            run_board(run, board_text(version, footprints), frame->origin_json + map);
            ASSERT_EQ(run.result.status, 0) << run.result.err;
            expect_same_holes(expected_holes(*frame, false), drawn_holes(run.svg));
        }
    }
}

TEST(KicadBoards, TheBackSideAndTheConventionsByHand) {
    // The pot RV2 at (75, 45), 0°: its shaft 7.5 mm right and 2.5 mm down of
    // pin 1 is (62.5, 22.5) mm from the origin; its tab, away from the pins,
    // 5 mm to the right. RV1, turned 90° counter-clockwise at (60, 45): shaft
    // at (42.5, 12.5), tab 5 mm above it: the footprint's turn undoes the
    // part's. RV2's tab is the one rectangle turned, by 90° clockwise.
    BoardRun run;
    run_board(run, board_text(8, test_footprints()), by_point.origin_json);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    const auto near = [&](double x_mm, double y_mm, const char* what) {
        EXPECT_TRUE(drawn_near(run.svg, x_mm, y_mm)) << what;
    };
    near(62.5, 22.5, "RV2 shaft");
    near(67.5, 22.5, "RV2 tab");
    near(42.5, 12.5, "RV1 shaft");
    near(42.5, 7.5, "RV1 tab");
    EXPECT_EQ(count_of(run.svg, "rotate(90.00)"), 1);

    BoardRun back;
    run_board(back, board_text(7, test_footprints()), R"("side": "back", "mirror": true,)");
    ASSERT_EQ(back.result.status, 0) << back.result.err;
    expect_same_holes(expected_holes(by_board_origin, true), drawn_holes(back.svg));
}

TEST(KicadBoards, TheSectionsOwnKeysWinAndSkipDropsAFootprint) {
    BoardRun run;
    run_board(run, board_text(6, test_footprints()), by_point.origin_json,
              R"({"RV1": {"call_name": "Level", "location_x": 3}, "J1": {"skip": true},
                  "led": {"location_x": 1, "location_y": 1, "drill_diameter": 0.3}})");
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_NE(run.result.out.find("Creating text: Level for RV1"), std::string::npos) << run.result.out;
    EXPECT_NE(run.result.out.find("Creating text: MIDI for J2"), std::string::npos) << "the Label property";
    // RV1 keeps its board y (shaft 12.5 mm down) and takes the section's x.
    EXPECT_TRUE(drawn_near(run.svg, 30, 12.5)) << run.svg;
    const Point jack_shaft = on_panel(test_footprints()[2], {0, 6.48}, 0, {0, 0}, by_point);
    for (const Expected& d : drawn_holes(run.svg)) {
        EXPECT_GT(std::abs(d.centre - jack_shaft), 1.0) << "J1 was skipped";
    }
    EXPECT_NE(run.svg.find("r=\"5.67\""), std::string::npos) << "the section's own component stays";
}

TEST(KicadBoards, ThroughHoleFootprintsWithoutAPartAreListedOnceAndTheBoardCanBeListed) {
    BoardRun run;
    run_board(run, board_text(8, test_footprints()), by_point.origin_json, "{}", {"--separate-files"});
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(count_of(run.result.out,
                       "Board pcb/synth.kicad_pcb: not placed: H1 (MountingHole:MountingHole_3.2mm_M3), no part"),
              1)
        << run.result.out;
    EXPECT_EQ(count_of(run.result.out, "not placed: U1 (Package_DIP:DIP-8_W7.62mm)"), 1);
    EXPECT_EQ(count_of(run.result.out, "R1"), 0) << "a surface-mount part is skipped without a word";
    EXPECT_EQ(count_of(run.result.out, "not placed: J9"), 0) << "the other side is not looked at";

    const RunResult list = run_program({"--list-board", "pcb/synth.kicad_pcb"}, run.dir.path());
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("Board pcb/synth.kicad_pcb: 9 footprints"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Drill/place origin: (20.00, 25.00)"), std::string::npos);
    EXPECT_NE(list.out.find("RV1  " + pot + "  \"10k\"  (60.00, 45.00)  90.00  front  pot-9mm\n"), std::string::npos);
    EXPECT_NE(list.out.find("J2  Connector_Custom:MIDI_Socket  \"DIN-5\"  (120.00, 60.00)  30.00  front  din5-midi\n"),
              std::string::npos);
    EXPECT_NE(list.out.find("J9  " + jack + "  \"Out\"  (90.00, 75.00)  0.00  back  pj398sm\n"), std::string::npos);
    EXPECT_NE(list.out.find("R1  Resistor_SMD:R_0603_1608Metric  \"1k\"  (70.00, 70.00)  0.00  front  not placed\n"),
              std::string::npos);
}

TEST(KicadBoards, ABoardThatCannotBeUsedIsAProjectErrorAndNothingIsWritten) {
    const std::string good = board_text(8, test_footprints());
    std::string unclosed = good.substr(0, good.find("  (footprint \"Connector_Audio"));
    const std::string only_chips = board_text(6, {test_footprints()[5], test_footprints()[6]});
    struct Case {
        std::string board, item, message;
    };
    const std::vector<Case> cases = {
        {unclosed, "", "key \"file\": board file \"pcb/synth.kicad_pcb\", line 1: a list opened here is not closed"},
        {only_chips, "", "line 0"},
        {good, R"("origin": {"reference": "H7", "at": {"x": 1, "y": 1}},)", "key \"origin\": board file"},
        {good, R"("rotation": 45,)", "key \"rotation\": expected 0, 90, 180 or 270"},
        {"(kicad_pcb (footprint \"A:B\" (layer \"F.Cu\") (at 1 x)))", "", "line 1: (at …): y \"x\" is no number"},
    };
    for (const Case& c : cases) {
        BoardRun run;
        run_board(run, c.board, c.item);
        EXPECT_EQ(run.result.status, 2) << c.message;
        EXPECT_NE(run.result.err.find("project file \"box.json\", key \"Boards\", board 1"), std::string::npos)
            << run.result.err;
        if (c.message != "line 0") {
            EXPECT_NE(run.result.err.find(c.message), std::string::npos) << run.result.err;
        } else {
            EXPECT_NE(run.result.err.find("no footprint on the front side maps to a part"), std::string::npos)
                << run.result.err;
        }
        EXPECT_FALSE(fs::exists(run.dir / "out/box/box_Main.svg"));
    }
    BoardRun missing;
    write_text(missing.dir / "box.json", R"({"Generic": {"width": 30, "height": 20}, "Boards": [{"file": "gone.kicad_pcb", "section": "box_Main"}]})");
    missing.result = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50"}, missing.dir.path());
    EXPECT_EQ(missing.result.status, 2);
    EXPECT_NE(missing.result.err.find("board file \"gone.kicad_pcb\": cannot open the file"), std::string::npos)
        << missing.result.err;
}

TEST(KicadBoards, TheReaderIsBoundedAndNamesTheLine) {
    const auto problem = [](const std::string& text, const SexprLimits& limits = {}) -> std::pair<int, std::string> {
        try {
            parse_sexpr(text, {}, limits);
        } catch (const SexprError& e) {
            return {e.line(), e.what()};
        }
        return {-1, "read"};
    };
    SexprLimits small;
    small.max_depth = 3;
    small.max_token = 4;
    small.max_bytes = 64;
    EXPECT_EQ(problem("(a (b (c)))", small).first, -1) << "exactly the depth allowed";
    EXPECT_EQ(problem("(a\n(b\n(c (d))))", small), std::make_pair(3, std::string("lists nested deeper than 3")));
    EXPECT_EQ(problem("(abcd \"wxyz\")", small).first, -1) << "exactly the token length allowed";
    EXPECT_EQ(problem("(a\n\"vwxyz\")", small), std::make_pair(2, std::string("a word longer than 4 bytes")));
    EXPECT_EQ(problem("(a\n abcde)", small).first, 2);
    EXPECT_EQ(problem("(a" + std::string(70, ' ') + ")", small).first, 1);
    EXPECT_EQ(problem("(a \"open\n\n)").first, 1) << "a string names the line it starts on";
    SexprLimits few;
    few.max_items = 5;
    EXPECT_EQ(problem("(a b (c d))", few).first, -1) << "exactly the items allowed: a, b, (c …), c, d";
    EXPECT_EQ(problem("(a b (c d\n e))", few), std::make_pair(2, std::string("more than 5 items to keep")));
    EXPECT_EQ(problem("(a)\n(b)"), std::make_pair(2, std::string("text after the end of the board's list")));
    const SexprNode node = parse_sexpr("(t \"a\\\"b\" (keep 1) (drop (x)) )", [](const std::string& head) {
        return head == "keep";
    });
    ASSERT_EQ(node.items.size(), 3u);
    EXPECT_EQ(node.items[1].atom, "a\"b");
    EXPECT_EQ(node.items[2].head(), "keep");
}
