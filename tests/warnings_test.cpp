// Design warnings: every case has a project that must warn and a near miss
// that must not.
#include <gtest/gtest.h>

#include <sstream>

#include "run/draw_all.hpp"
#include "pass_fixtures.hpp"
#include "test_support.hpp"

namespace {

// Top screws of 3 mm with 6 mm heads: on a 20 x 10 cm face the top-left
// screw sits at (0.7, 0.7) cm, hole radius 0.15 cm, head radius 0.3 cm.
Arguments screwed_box() {
    Arguments a = simulation();
    a.screw_size_top = 3;
    a.screw_head_diameter = 6;
    a.screw_extra_margin = 1;
    return a;
}

// Standard error of one simulated pass over a 20 x 10 cm box.
std::string warnings_for(const std::string& sections) {
    TempDir dir;
    write_text(dir / "box.json", project_with(sections));
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, true, true, 3, 0, 6, screwed_box(),
             context);
    return err.str();
}

std::string component(const std::string& section, const std::string& key, const std::string& members) {
    return "\"" + section + "\": {\"" + key + "\": {" + members + "}}";
}

}  // namespace

TEST(Warnings, EachMistakeWarnsAndItsNearMissDoesNot) {
    struct Case {
        const char* what;
        std::string warns;
        std::string near_miss;
        std::string expected;  // the part of the line after the component's name
    };
    const Case cases[] = {
        {"misspelt key", component("box_Main", "led", R"("location_x": 5, "location_y": 5, "drill_diamter": 0.5)"),
         component("box_Main", "led", R"("location_x": 5, "location_y": 5, "drill_diameter": 0.5)"),
         R"(, key "drill_diamter": the program does not know this key and does not read it; did you mean )"
         R"("drill_diameter"?)"},
        {"unknown key far from any", component("box_Main", "led", R"("location_x": 5, "location_y": 5, "colour": 1)"),
         component("box_Main", "led", R"("location_x": 5, "location_y": 5, "call_name": "1")"),
         ", key \"colour\": the program does not know this key and does not read it\n"},
        {"hole past the right edge", component("box_Main", "led", R"("location_x": 19.8, "location_y": 5, "drill_diameter": 0.6)"),
         component("box_Main", "led", R"("location_x": 19.7, "location_y": 5, "drill_diameter": 0.6)"),
         ": the cut-out reaches beyond the panel's right edge by up to 0.10 cm (the panel is 20.00 x 10.00 cm)"},
        {"turned recess past the top edge",
         component("box_Main", "fader", R"("id": 1, "location_x": 10, "location_y": 1, "rotation": 90, "visible_width": 3, "visible_height": 0.4)"),
         component("box_Main", "fader", R"("id": 1, "location_x": 10, "location_y": 1, "visible_width": 3, "visible_height": 0.4)"),
         ": the recess reaches beyond the panel's top edge by up to 0.50 cm"},
        {"hole past the bottom of an end panel", component("box_Back", "led", R"("location_x": 10, "location_y": 5.5, "drill_diameter": 0.4)"),
         component("box_Back", "led", R"("location_x": 10, "location_y": 5.3, "drill_diameter": 0.4)"),
         ": the cut-out reaches beyond the panel's bottom edge by up to 0.10 cm (the panel is 20.00 x 5.60 cm)"},
        {"square over a round hole",
         R"("box_Main": {"a": {"location_x": 5, "location_y": 5, "drill_diameter": 1}, )"
         R"("b": {"location_x": 5.7, "location_y": 5.7, "drill_width": 1, "drill_height": 1}})",
         // The squares' bounds overlap, but its corner stays outside the circle.
         R"("box_Main": {"a": {"location_x": 5, "location_y": 5, "drill_diameter": 1}, )"
         R"("b": {"location_x": 5.9, "location_y": 5.9, "drill_width": 1, "drill_height": 1}})",
         "component \"b\": the cut-out overlaps the cut-out of component \"a\""},
        {"turned slot across another",
         R"("box_Main": {"a": {"location_x": 5, "location_y": 5, "drill_width": 0.2, "drill_height": 3}, )"
         R"("b": {"location_x": 6, "location_y": 5, "rotation": 90, "drill_width": 0.2, "drill_height": 3}})",
         R"("box_Main": {"a": {"location_x": 5, "location_y": 5, "drill_width": 0.2, "drill_height": 3}, )"
         R"("b": {"location_x": 6, "location_y": 5, "drill_width": 0.2, "drill_height": 3}})",
         "component \"b\": the cut-out overlaps the cut-out of component \"a\""},
        {"hole on a screw hole", component("box_Main", "jack", R"("location_x": 1.2, "location_y": 0.7, "drill_diameter": 0.8)"),
         component("box_Main", "jack", R"("location_x": 1.45, "location_y": 0.7, "drill_diameter": 0.8)"),
         ": the cut-out overlaps the top left screw hole"},
        {"hole on a screw head, on a panel without screws",
         component("box_Top", "jack", R"("location_x": 19.3, "location_y": 8.7, "drill_diameter": 0.8)"),
         component("box_Left", "jack", R"("location_x": 4, "location_y": 9, "drill_diameter": 0.8)"),
         ": the cut-out overlaps the bottom right screw-head recess"},
        // Volume's label is 6 x 0.6 em wide and 0.7 em high (8 px) about its
        // centre, 8 px above the 6 mm hole: from y 4.415 to 4.565 cm.
        {"label over another hole",
         R"("box_Main": {"knob": {"call_name": "Volume", "location_x": 5, "location_y": 5, "drill_diameter": 0.6}, )"
         R"("led": {"location_x": 5.2, "location_y": 4.32, "drill_diameter": 0.2}})",
         R"("box_Main": {"knob": {"call_name": "Volume", "location_x": 5, "location_y": 5, "drill_diameter": 0.6}, )"
         R"("led": {"location_x": 5.2, "location_y": 4.3, "drill_diameter": 0.2}})",
         "component \"knob\": the label \"Volume\" lies over the cut-out of component \"led\""},
        // Turned, it stands 5 px right of the hole: from x 5.357 to 5.506 cm.
        {"turned label over another hole",
         R"("box_Main": {"knob": {"call_name": "Volume", "location_x": 5, "location_y": 5, "rotation": 90, )"
         R"("drill_diameter": 0.6}, "led": {"location_x": 5.58, "location_y": 5.3, "drill_diameter": 0.2}})",
         R"("box_Main": {"knob": {"call_name": "Volume", "location_x": 5, "location_y": 5, "rotation": 90, )"
         R"("drill_diameter": 0.6}, "led": {"location_x": 5.62, "location_y": 5.3, "drill_diameter": 0.2}})",
         "component \"knob\": the label \"Volume\" lies over the cut-out of component \"led\""},
        {"label over a screw hole",
         component("box_Main", "led", R"("call_name": "Power", "location_x": 1, "location_y": 1.4, "drill_diameter": 0.6)"),
         component("box_Main", "led", R"("call_name": "Power", "location_x": 1, "location_y": 1.5, "drill_diameter": 0.6)"),
         ": the label \"Power\" lies over the top left screw hole"},
        {"negative rotation of a rectangle",
         component("box_Main", "slot", R"("location_x": 5, "location_y": 5, "rotation": -30, "drill_width": 0.2, "drill_height": 3)"),
         component("box_Main", "led", R"("location_x": 5, "location_y": 5, "rotation": -30, "drill_diameter": 0.6)"),
         R"(, key "rotation": a negative rotation (-30) is drawn as 0: the rectangle is not turned; use 330 for that turn)"},
    };
    for (const Case& c : cases) {
        const std::string warned = warnings_for(c.warns);
        EXPECT_EQ(count_of(warned, "Warning: project file \""), 1) << c.what << "\n" << warned;
        EXPECT_NE(warned.find(c.expected), std::string::npos) << c.what << "\n" << warned;
        EXPECT_EQ(warnings_for(c.near_miss), "") << c.what << " (near miss)";
    }
}

// Warnings go to standard error only, once per section even when six layer
// passes read the project, also when simulating; the exit status stays 0.
TEST(Warnings, OnStandardErrorOncePerRunWithoutChangingTheRun) {
    TempDir dir;
    const std::string clean = component("box_Main", "led", R"("location_x": 5, "location_y": 5, "drill_diameter": 0.5)");
    const std::string typo = component("box_Main", "led", R"("location_x": 5, "location_y": 5, "drill_diameter": 0.5, "rotaton": 9)");
    const std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false",
                                           "--separate-files", "--recess", "-p", "3", "-d", "6"};
    for (const bool simulate : {false, true}) {
        std::vector<std::string> run_args = args;
        if (simulate) run_args.push_back("--simulate");
        write_text(dir / "box.json", project_with(clean));
        const RunResult quiet = run_program(run_args, dir.path());
        write_text(dir / "box.json", project_with(typo));
        const RunResult warned = run_program(run_args, dir.path());
        EXPECT_EQ(warned.status, 0);
        EXPECT_EQ(warned.out, quiet.out);
        EXPECT_EQ(quiet.err, "");
        EXPECT_EQ(warned.err, "Warning: project file \"box.json\", section \"box_Main\", component \"led\", key "
                              "\"rotaton\": the program does not know this key and does not read it; did you mean "
                              "\"rotation\"?\n");
    }
}

// The example project, drawn as the reference drawings are, is clean.
TEST(Warnings, TheExampleProjectGivesNone) {
    TempDir dir;
    const RunResult run = run_program({"-j", (source_dir() / "examples/midi_controller.json").string(), "-o", "out",
                                       "-m", "3", "-b", "50", "--recess", "-n", "2", "-p", "3", "-d", "6", "-x", "1",
                                       "--vectorize=false", "--simulate"},
                                      dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
}

// "Generic" holds the box's sizes only; anything else there is a slip.
TEST(Warnings, UnknownGenericKeysAreNamed) {
    TempDir dir;
    write_text(dir / "box.json", R"({"Generic": {"width": 20, "height": 10, "heigth": 3, "depth": 5}, "box_Main": {}})");
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, true, false, 0, 0, 0, simulation(),
             context);
    const std::string file = (dir / "box.json").string();
    EXPECT_EQ(err.str(), "Warning: project file \"" + file + "\", section \"Generic\", key \"depth\": the program "
                         "does not know this key and does not read it\n"
                         "Warning: project file \"" + file + "\", section \"Generic\", key \"heigth\": the program "
                         "does not know this key and does not read it\n");
}
