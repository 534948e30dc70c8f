// Named parts: the shipped library's holes land where its data puts them at
// any angle, the component's own keys win, the holes are cut like every
// cut-out, the warnings see them, and a wrong name is a project error.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "layer_fixtures.hpp"
#include "panel/cutouts.hpp"
#include "panel/labels.hpp"
#include "run/draw_all.hpp"
#include "parts/library.hpp"
#include "parts/resolve.hpp"
#include "pass_fixtures.hpp"

namespace {

const PartLibrary& shipped() {
    static const PartLibrary library = read_part_library(std::string(SOURCE_DIR) + "/parts/parts.json");
    return library;
}

// A shape as drawn: its centre on the page, its size, its turn.
struct Shape {
    bool round = false;
    double x = 0, y = 0, r = 0, w = 0, h = 0;
    bool turned = false;
};

double attribute(const std::string& element, const std::string& name) {
    const auto at = element.find(" " + name + "=\"");
    return at == std::string::npos ? NAN : std::stod(element.substr(at + name.size() + 3));
}

Shape shape_of(const std::string& element) {
    Shape s;
    s.round = element.rfind("<circle", 0) == 0;
    if (s.round) {
        s.x = attribute(element, "cx");
        s.y = attribute(element, "cy");
        s.r = attribute(element, "r");
        return s;
    }
    s.w = attribute(element, "width");
    s.h = attribute(element, "height");
    const auto turn = element.find("translate(");
    s.turned = turn != std::string::npos;
    if (s.turned) {
        s.x = std::stod(element.substr(turn + 10));
        s.y = std::stod(element.substr(element.find(',', turn) + 1));
    } else {
        s.x = attribute(element, "x") + s.w / 2;
        s.y = attribute(element, "y") + s.h / 2;
    }
    return s;
}

// One component of a face section, resolved against the shipped library.
struct Placed {
    json project;
    Component component;
    explicit Placed(const std::string& members, const PartLibrary* library = &shipped())
        : project(json::parse(R"({"Generic": {"width": 20, "height": 10}, "box_Main": {"c": {)" + members + "}}}")) {
        resolve_parts(project, library, "test.json");
        component = read_component("c", project["box_Main"]["c"], Place{"test.json", "box_Main", {}});
    }
};

std::vector<Shape> drawn_shapes(const std::string& members, const LaserStyle& style = LaserStyle()) {
    Placed placed(members);
    std::string svg;
    draw_cutout(placed.component, style, svg);
    std::vector<Shape> shapes;
    for (const auto& element : elements_of(svg)) shapes.push_back(shape_of(element));
    return shapes;
}

double px(double mm) { return mm / 10 * 37.795; }

constexpr double tolerance = 0.011;

// The console's text with the project file named by its name alone.
std::string without_folder(std::string text, const std::filesystem::path& file) {
    const std::string full = file.string();
    for (auto at = text.find(full); at != std::string::npos; at = text.find(full, at)) {
        text.replace(at, full.size(), file.filename().string());
    }
    return text;
}  // two decimals written, single precision drawn

}  // namespace

TEST(Parts, EveryShippedPartDrawsItsHolesWhereItsDataPutsThemAtAnyAngle) {
    // The component sits at (10, 5) cm; a hole at (dx, dy) mm from the centre
    // turns clockwise on the page: by 90 degrees to (-dy, dx).
    const double cx = px(100), cy = px(50);
    const double c30 = std::sqrt(3.0) / 2, s30 = 0.5;
    ASSERT_GE(shipped().parts.size(), 20u);
    for (const auto& [name, part] : shipped().parts) {
        for (int angle : {0, 90, 30}) {
            const std::string members = R"("location_x": 10, "location_y": 5, "part": ")" + name +
                                        R"(", "rotation": )" + std::to_string(angle);
            const std::vector<Shape> shapes = drawn_shapes(members);
            SCOPED_TRACE(name + " at " + std::to_string(angle));
            ASSERT_EQ(shapes.size(), 1 + part.holes.size());
            EXPECT_NEAR(shapes[0].x, cx, tolerance);
            EXPECT_NEAR(shapes[0].y, cy, tolerance);
            if (part.drill_diameter) {
                EXPECT_NEAR(shapes[0].r, px(*part.drill_diameter) / 2, tolerance);
            } else {
                EXPECT_NEAR(shapes[0].w, px(*part.drill_width), tolerance);
                EXPECT_NEAR(shapes[0].h, px(*part.drill_height), tolerance);
            }
            for (std::size_t i = 0; i < part.holes.size(); ++i) {
                const PartHole& hole = part.holes[i];
                const Shape& s = shapes[i + 1];
                const double dx = px(hole.x), dy = px(hole.y);
                const double ex = angle == 0 ? dx : angle == 90 ? -dy : dx * c30 - dy * s30;
                const double ey = angle == 0 ? dy : angle == 90 ? dx : dx * s30 + dy * c30;
                EXPECT_NEAR(s.x, cx + ex, tolerance) << "hole " << i;
                EXPECT_NEAR(s.y, cy + ey, tolerance) << "hole " << i;
                EXPECT_EQ(s.round, hole.round) << "hole " << i;
                if (hole.round) {
                    EXPECT_NEAR(s.r, px(hole.diameter) / 2, tolerance);
                } else {
                    EXPECT_NEAR(s.w, px(hole.width), tolerance);
                    EXPECT_NEAR(s.h, px(hole.height), tolerance);
                    EXPECT_EQ(s.turned, angle > 0) << "a tab turns with its component";
                }
            }
        }
    }
}

TEST(Parts, ShippedSizesAreTheDocumentedOnes) {
    struct Hole {
        double x, y, size;
    };
    struct Case {
        const char* name;
        double cut_out;  // diameter, or width of a rectangle
        std::vector<Hole> holes;
    };
    const Case cases[] = {
        {"pj398sm", 6.0, {}},
        {"din5-midi", 15.6, {{-10.8, 0, 3.2}, {10.8, 0, 3.2}}},
        {"xlr-d", 24.0, {{9.5, 12, 3.2}, {-9.5, -12, 3.2}}},
        {"pot-16mm", 7.0, {{0, -7.35, 2.5}}},
        {"de9", 16.7, {{-12.5, 0, 3.2}, {12.5, 0, 3.2}}},     // 25.0 mm pitch
        {"db25", 38.9, {{-23.55, 0, 3.2}, {23.55, 0, 3.2}}},  // 47.1 mm pitch
        {"arcade-24mm", 24.0, {}},
        {"arcade-30mm", 30.0, {}},
        {"oled-0.96", 23.0, {{-11.65, -11.9, 2.2}, {11.65, -11.9, 2.2}, {-11.65, 11.9, 2.2}, {11.65, 11.9, 2.2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(shipped().parts.count(c.name), 1u);
        const Part& part = shipped().parts.at(c.name);
        EXPECT_EQ(part.drill_diameter.value_or(part.drill_width.value_or(0)), c.cut_out);
        ASSERT_EQ(part.holes.size(), c.holes.size());
        for (std::size_t i = 0; i < c.holes.size(); ++i) {
            EXPECT_EQ(part.holes[i].x, c.holes[i].x);
            EXPECT_EQ(part.holes[i].y, c.holes[i].y);
            EXPECT_EQ(part.holes[i].round ? part.holes[i].diameter : part.holes[i].width, c.holes[i].size);
        }
    }
    for (const char* name : {"pj-392", "jack-6.35mm", "pot-9mm", "ec11", "usb-b-d", "usb-c", "dc-barrel", "rca",
                             "banana-4mm", "led-3mm", "led-3mm-bezel", "led-5mm", "led-5mm-bezel", "toggle-mini",
                             "tactile-cap-12mm"}) {
        EXPECT_EQ(shipped().parts.count(name), 1u) << name;
    }
    for (const char* name : {"pot-9mm", "pot-16mm", "ec11"}) {
        const auto& holes = shipped().parts.at(name).holes;
        EXPECT_TRUE(holes.size() == 1 && !holes[0].round) << name << " has its anti-rotation tab";
    }
}

TEST(Parts, KeysOfTheComponentWinOverThePart) {
    // A wider shaft hole keeps the pin's slot.
    const auto opened = drawn_shapes(R"("location_x": 10, "location_y": 5, "part": "pot-9mm", "drill_diameter": 0.75)");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_NEAR(opened[0].r, px(7.5) / 2, tolerance);
    EXPECT_FALSE(opened[1].round);
    // A rectangle named by the component replaces the part's round hole; the screws stay.
    const auto square =
        drawn_shapes(R"("location_x": 10, "location_y": 5, "part": "din5-midi", "drill_width": 2, "drill_height": 1.5)");
    ASSERT_EQ(square.size(), 3u);
    EXPECT_FALSE(square[0].round);
    EXPECT_NEAR(square[0].w, px(20), tolerance);
    EXPECT_TRUE(square[1].round && square[2].round);
    // The visible area likewise.
    const Placed bezel(R"("location_x": 1, "location_y": 1, "part": "led-5mm-bezel", "visible_diameter": 1)");
    EXPECT_NEAR(bezel.component.visible_diameter, px(10), tolerance);
    EXPECT_NEAR(bezel.component.drill_diameter, px(6.3), tolerance);
    // Without a part nothing is added.
    EXPECT_EQ(drawn_shapes(R"("location_x": 1, "location_y": 1, "drill_diameter": 0.5)").size(), 1u);
}

TEST(Parts, HolesAreCutWithTheKerfAndTheCutColour) {
    Arguments args = simulation();
    args.kerf = 0.2f;
    args.cut_color = "#FF0000";
    const LaserStyle style(args);
    Placed din(R"("location_x": 10, "location_y": 5, "part": "din5-midi")");
    Placed pot(R"("location_x": 10, "location_y": 5, "part": "pot-16mm", "rotation": 45)");
    std::string svg;
    draw_cutout(din.component, style, svg);
    draw_cutout(pot.component, style, svg);
    const auto elements = elements_of(svg);
    ASSERT_EQ(elements.size(), 5u);
    for (const auto& element : elements) {
        EXPECT_NE(element.find("stroke=\"#FF0000\""), std::string::npos) << element;
    }
    EXPECT_NEAR(shape_of(elements[1]).r, px(3.2 - 0.2) / 2, tolerance);
    EXPECT_NEAR(shape_of(elements[4]).w, px(2.5 - 0.2), tolerance);
    EXPECT_NEAR(shape_of(elements[4]).h, px(1.15 - 0.2), tolerance);

    args.kerf = 1.2f;  // leaves the tab's 1.15 mm no width
    try {
        std::string refused;
        draw_cutout(pot.component, LaserStyle(args), refused);
        FAIL() << "a kerf wider than the tab was drawn";
    } catch (const RunError& e) {
        EXPECT_NE(std::string(e.what()).find(R"(component "c", key "part": --kerf 1.2 mm)"), std::string::npos)
            << e.what();
    }
}

TEST(Parts, WarningsSeeTheMountingHoles) {
    const auto warnings_for = [](const std::string& components, const Arguments& args = simulation()) {
        TempDir dir;
        write_text(dir / "box.json", project_with(R"("box_Main": {)" + components + "}"));
        NoCommands commands;
        std::ostringstream out, err;
        RunContext context{out, err, commands};
        context.parts = &shipped();
        draw_all((dir / "box.json").string(), (dir / "out").string(), false, true, false, false, 0, 0, 0, args,
                 context);
        return without_folder(err.str(), dir / "box.json");
    };
    // The DIN socket's left screw hole (1.08 cm left of the centre, 0.16 cm
    // radius) crosses the left edge at x = 1.2 cm and clears it at 1.3 cm.
    EXPECT_NE(warnings_for(R"("midi": {"location_x": 1.2, "location_y": 5, "part": "din5-midi"})")
                  .find("a hole of the part reaches beyond the panel's left edge by up to 0.04 cm"),
              std::string::npos);
    EXPECT_EQ(warnings_for(R"("midi": {"location_x": 1.3, "location_y": 5, "part": "din5-midi"})"), "");
    // Two sockets whose screws meet, though their main holes stay apart: one
    // line for the pair, naming the screw holes.
    EXPECT_EQ(warnings_for(R"("a": {"location_x": 5, "location_y": 5, "part": "din5-midi"},)"
                           R"( "b": {"location_x": 7.3, "location_y": 5, "part": "din5-midi"})"),
              "Warning: project file \"box.json\", section \"box_Main\", component \"b\": the screw hole of \"b\" "
              "overlaps the screw hole of component \"a\"\n");
    // Closer, b's cut-out meets a's screw hole too: still one line, the cut-out's.
    EXPECT_EQ(warnings_for(R"("a": {"location_x": 5, "location_y": 5, "part": "din5-midi"},)"
                           R"( "b": {"location_x": 7, "location_y": 5, "part": "din5-midi"})"),
              "Warning: project file \"box.json\", section \"box_Main\", component \"b\": the cut-out overlaps the "
              "screw hole of component \"a\"\n");
    EXPECT_EQ(warnings_for(R"("a": {"location_x": 5, "location_y": 5, "part": "din5-midi"},)"
                           R"( "b": {"location_x": 7.5, "location_y": 5, "part": "din5-midi"})"),
              "");
    // Top screws of 3 mm sit 0.7 cm from the face's corners: the socket's
    // left screw hole, 0.25 cm below the top left one, meets it; its cut-out
    // stays clear of the screw's 6 mm head.
    Arguments screwed = simulation();
    screwed.screw_size_top = 3;
    screwed.screw_head_diameter = 6;
    screwed.screw_extra_margin = 1;
    EXPECT_EQ(warnings_for(R"("midi": {"location_x": 1.78, "location_y": 0.95, "part": "din5-midi"})", screwed),
              "Warning: project file \"box.json\", section \"box_Main\", component \"midi\": a screw hole of the "
              "part overlaps the top left screw hole\n");
    // A round part turns only its extra holes; a negative turn leaves them.
    EXPECT_EQ(warnings_for(R"("midi": {"location_x": 5, "location_y": 5, "part": "din5-midi", "rotation": -90})"),
              "Warning: project file \"box.json\", section \"box_Main\", component \"midi\", key \"rotation\": a "
              "negative rotation (-90) is drawn as 0: the part's holes are not turned; use 270 for that turn\n");
    EXPECT_EQ(warnings_for(R"("jack": {"location_x": 5, "location_y": 5, "part": "pj398sm", "rotation": -90})"), "");
}

// A socket turned upright near the back's top edge: its upper screw hole
// (centre 1.7 mm from the edge, radius 1.6 mm) opens into a 3 mm deep notch.
TEST(Parts, APartsHolesAreCheckedAgainstTheJoints) {
    const auto warnings_for = [](const std::string& y) {
        TempDir dir;
        write_text(dir / "box.json", project_with(R"("box_Main": {}, "h_Back": {"midi": {"location_x": 5, "location_y": )" + y +
                                                  R"(, "part": "din5-midi", "rotation": 90}})"));
        Arguments jointed = simulation();
        jointed.finger_joints = true;
        NoCommands commands;
        std::ostringstream out, err;
        RunContext context{out, err, commands};
        context.parts = &shipped();
        draw_all((dir / "box.json").string(), (dir / "out").string(), false, true, true, false, 0, 0, 0, jointed,
                 context);
        return without_folder(err.str(), dir / "box.json");
    };
    EXPECT_EQ(warnings_for("1.25"),
              "Warning: project file \"box.json\", section \"h_Back\", component \"midi\": a screw hole of the part "
              "reaches into the finger joint along the top edge (within 0.30 cm of it)\n");
    // 3.1 mm from the edge to the hole's top: clear of the strip.
    EXPECT_EQ(warnings_for("1.55"), "");
}

// A pot's anti-rotation slot lies beyond its drill diameter, where the label
// of the visible height would be engraved; the label keeps today's gap (8, 5,
// 10 and 6 px for 0, 90, 180 and 270 degrees) from the slot instead, on
// every side it turns to. A part whose holes stay within that height (the
// DIN socket's screws lie beside it) keeps the label where it was.
TEST(Parts, ALabelKeepsItsGapFromItsPartsOutermostHole) {
    struct Case {
        const char* part;
        int rotation;
        double gap;  // px from the hole's edge to the label's centre
        bool beyond_slot;
    };
    const Case cases[] = {{"pot-16mm", 0, 8, true},    {"pot-16mm", 90, 5, true}, {"ec11", 180, 10, true},
                          {"pot-9mm", 270, 6, true},   {"din5-midi", 0, 8, false}};
    for (const Case& c : cases) {
        Placed placed(std::string(R"("call_name": "Knob", "location_x": 5, "location_y": 5, "part": ")") + c.part +
                      R"(", "rotation": )" + std::to_string(c.rotation));
        SectionDocument doc;
        std::ostringstream out;
        draw_label(placed.component, LaserStyle(), doc, out);
        // The side the label takes, and its centre on the page (rotate()
        // takes its x and y from the turned frame).
        const double x = attribute(doc.svg, "x"), y = attribute(doc.svg, "y");
        const double q = c.rotation * std::acos(-1.0) / 180;
        const double dx = std::sin(q), dy = -std::cos(q);
        const double page_x = x * std::cos(q) - y * std::sin(q), page_y = x * std::sin(q) + y * std::cos(q);
        const double centre = px(50);
        const double beyond = (page_x - centre) * dx + (page_y - centre) * dy;
        // The slot lies on that side, its height across it.
        double reach = placed.component.visible_height / 2;
        if (c.beyond_slot) {
            std::string svg;
            draw_cutout(placed.component, LaserStyle(), svg);
            const Shape slot = shape_of(elements_starting(svg, "<rect").at(0));
            reach = (slot.x - centre) * dx + (slot.y - centre) * dy + slot.h / 2;
        }
        EXPECT_NEAR(beyond, reach + c.gap, tolerance) << c.part << " at " << c.rotation << ": " << doc.svg;
    }
}

// The example numbers its knobs and its buttons alike from 1.
TEST(Parts, TheExampleNumbersKnobsAndButtonsFromOne) {
    TempDir dir;
    const RunResult run = run_program({"-j", (source_dir() / "examples/parts_panel.json").string(), "-o", "out", "-m",
                                       "3", "-b", "50", "--vectorize=false"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svg = read_text(dir / "out/parts_panel/box_Main.svg");
    for (const std::string name : {"Knob", "Button"}) {
        for (const std::string number : {"1.00", "2.00", "3.00"}) {
            EXPECT_NE(svg.find(">" + name + " " + number + "</text>"), std::string::npos) << name << " " << number;
        }
        EXPECT_EQ(svg.find(">" + name + " 4.00</text>"), std::string::npos) << name;
    }
}

// A pot's anti-rotation tab turned by 30 degrees: a 2 mm hole just beyond the
// drawn tab's outer corner, along its diagonal, is clear of it; one just
// inside overlaps it.
TEST(Parts, ATurnedTabOverlapsANeighbourExactlyWhereItIsDrawn) {
    const std::string pot = R"("location_x": 10, "location_y": 5, "part": "pot-16mm", "rotation": 30)";
    const std::vector<Shape> shapes = drawn_shapes(pot);
    ASSERT_EQ(shapes.size(), 2u);
    const Shape& tab = shapes[1];
    ASSERT_TRUE(tab.turned);
    // The corner away from the pot's centre, (w / 2, -h / 2) before the turn.
    const double c30 = std::sqrt(3.0) / 2, s30 = 0.5;
    const double dx = tab.w / 2 * c30 + tab.h / 2 * s30;
    const double dy = tab.w / 2 * s30 - tab.h / 2 * c30;
    const double diagonal = std::hypot(dx, dy);
    const double radius = px(1);
    const auto warnings_with_hole_at = [&](double gap_px) {
        const double along = (diagonal + radius + gap_px) / diagonal;
        const double x_cm = (tab.x + dx * along) / 37.795;
        const double y_cm = (tab.y + dy * along) / 37.795;
        TempDir dir;
        char hole[160];
        std::snprintf(hole, sizeof hole, R"("hole": {"location_x": %.6f, "location_y": %.6f, "drill_diameter": 0.2})",
                      x_cm, y_cm);
        write_text(dir / "box.json", project_with(R"("box_Main": {"pot": {)" + pot + "}, " + hole + "}"));
        NoCommands commands;
        std::ostringstream out, err;
        RunContext context{out, err, commands};
        context.parts = &shipped();
        Arguments no_labels = simulation();
        no_labels.text = false;
        draw_all((dir / "box.json").string(), (dir / "out").string(), false, true, false, false, 0, 0, 0,
                 no_labels, context);
        return err.str();
    };
    const double gap = px(0.05);
    const std::string meeting = warnings_with_hole_at(-gap);
    EXPECT_NE(meeting.find("overlaps"), std::string::npos) << meeting;
    EXPECT_NE(meeting.find(R"(component "hole")"), std::string::npos) << meeting;
    EXPECT_EQ(warnings_with_hole_at(gap), "");
}

TEST(Parts, AnUnknownPartIsAProjectErrorNamingTheNearestPart) {
    struct Case {
        const char* part;
        const char* expected;
    };
    const Case cases[] = {
        {R"("din5-midl")", R"(project file "box.json", section "box_Main", component "midi", key "part": )"
                           R"(unknown part "din5-midl"; did you mean "din5-midi"? (see --list-parts))"},
        {"5", R"(component "midi", key "part": expected the name of a part, found number)"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_text(dir / "box.json",
                   project_with(std::string(R"("box_Main": {"midi": {"location_x": 3, "location_y": 3, "part": )") +
                                c.part + "}}"));
        const RunResult r = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"},
                                        dir.path());
        EXPECT_EQ(r.status, 2) << c.part;
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out/box/box_Main.svg"));
    }
}

TEST(Parts, ListingAndTheUsersOwnLibrary) {
    TempDir dir;
    write_text(dir / "mine.json", R"({"parts": {"din5-midi": {"description": "my own socket", "source": "caliper",)"
                                  R"( "drill_diameter": 16}, "big-jack": {"description": "a jack", "source": "caliper",)"
                                  R"( "drill_width": 12, "drill_height": 8, "holes": [{"x": 9, "y": 0, "diameter": 2}]}}})");
    const RunResult listed = run_program({"--list-parts"}, dir.path());
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("\ndin5-midi: 5-pin DIN socket for MIDI"), std::string::npos);
    EXPECT_NE(listed.out.find("  holes: round 3.20 at (-10.80, 0.00); round 3.20 at (10.80, 0.00)\n"), std::string::npos);

    const RunResult own = run_program({"--list-parts", "--parts", "mine.json"}, dir.path());
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_NE(own.out.find("\ndin5-midi: my own socket\n  cut-out: round 16.00\n"), std::string::npos) << own.out;
    EXPECT_NE(own.out.find("\nbig-jack: a jack\n  cut-out: 12.00 x 8.00\n  holes: round 2.00 at (9.00, 0.00)\n"),
              std::string::npos);
    EXPECT_NE(own.out.find("\npj398sm: "), std::string::npos) << "shipped parts stay";

    write_text(dir / "box.json",
               project_with(R"("box_Main": {"jack": {"location_x": 3, "location_y": 3, "part": "big-jack"}})"));
    const std::vector<std::string> run = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
    EXPECT_EQ(run_program(run, dir.path()).status, 2) << "the user's part is unknown without --parts";
    std::vector<std::string> with_parts = run;
    with_parts.insert(with_parts.end(), {"--parts", "mine.json"});
    const RunResult drawn = run_program(with_parts, dir.path());
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_NE(drawn.out.find(default_inkscape_line + "\nParts file: mine.json\n"), std::string::npos) << drawn.out;
    EXPECT_EQ(elements_starting(read_text(dir / "out/box/box_Main.svg"), "<circle").size(), 1u);
    // A second library would replace the first.
    with_parts.insert(with_parts.end(), {"--parts", "mine.json"});
    const RunResult twice = run_program(with_parts, dir.path());
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find(platform_quotes("Option ‘parts’ must be given once")), std::string::npos) << twice.err;
    EXPECT_NO_THROW(parse_part_library(R"({"parts": {"a": {"description": "a", "source": "s", "drill_diameter": 5,)"
                                       R"( "holes": [{"x": 1, "y": 0, "diameter": 2}]}}})",
                                       "mine.json"));
}

TEST(Parts, ALibraryTheDrawingCannotUseIsRefused) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {R"({"parts": {"a": {"description": "d", "drill_diameter": 5}}})", R"(part "a", key "source": missing)"},
        {R"({"parts": {"a": {"description": "d", "source": "s"}}})", R"(part "a": a part needs a cut-out)"},
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_width": 5}}})", "a part needs a cut-out"},
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_diameter": -5}}})",
         R"(key "drill_diameter": a size must be greater than 0)"},
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_diameter": 5, "holes": [{"x": 1, "y": 0,)"
         R"( "diameter": 2, "width": 1}]}}})",
         R"(key "holes[0]": a hole needs either a diameter or a width and a height)"},
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_diameter": 5, "holes": [{"x": 1,)"
         R"( "width": 1, "height": 1}]}}})",
         R"(key "holes[0].y": missing)"},
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_diameter": 5, "colour": 1}}})",
         R"(key "colour": not a key of a part)"},
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_diameter": 5000}}})", "out of range"},
        {R"({"parts": []})", R"(key "parts": expected an object, found array)"},
        {R"({"parts": {}, "extra": 1})", R"(key "extra": not a key of a parts file)"},
        {R"({"parts": )", "not valid JSON"},
        // A part given twice in one file; the same name on two levels is no
        // second part.
        {R"({"parts": {"a": {"description": "d", "source": "s", "drill_diameter": 5}, "b": {"description": "a",)"
         R"( "source": "s", "drill_diameter": 6}, "a": {"description": "e", "source": "s", "drill_diameter": 7}}})",
         R"(part "a": the name is given to two parts in this file)"},
    };
    for (const Case& c : cases) {
        try {
            parse_part_library(c.text, "mine.json");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const RunError& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("parts file \"mine.json\"", 0), 0u) << e.what();
        }
    }
}
