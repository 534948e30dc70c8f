#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <sstream>

#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"
#include "panel/output_file.hpp"
#include "run/draw_all.hpp"
#include "panel/vectorize.hpp"
#include "settings/passes.hpp"
#include "pass_fixtures.hpp"
#include "test_support.hpp"

namespace {

std::string px(float cm) { return format_float_as_str(cm * cm_to_px, 2); }

std::string size_of(SectionKind kind, bool outer) {
    const PanelSize p = panel_size(kind, 20, 10, 3, 50, outer);
    return px(p.width) + " x " + px(p.height);
}

// Runs one pass over a project and returns its console output.
std::string run_pass(const std::string& project, const Arguments& args, const TempDir& dir) {
    write_text(dir / "box.json", project);
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, true, false, 0, 0, 0, args, context);
    return out.str();
}

std::string simulate_pass(const std::string& project) {
    TempDir dir;
    return run_pass(project, simulation(), dir);
}

}  // namespace

TEST(Layout, SectionKindComesFromTheMarkersInTheKey) {
    struct Case {
        const char* key;
        SectionKind kind;
    };
    const Case cases[] = {
        {"box_Main", SectionKind::face},     {"box_Topside", SectionKind::face},
        {"x_Bottom_Back", SectionKind::face}, {"box_Back", SectionKind::end},
        {"box_Front", SectionKind::end},     {"box_Left", SectionKind::side},
        {"boxTop_side", SectionKind::side},  {"box_main", SectionKind::side},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(section_kind(c.key), c.kind) << c.key;
    }
    EXPECT_TRUE(is_section_key("a_b"));
    EXPECT_FALSE(is_section_key("Generic"));
}

TEST(Layout, PanelSizesFollowTheBoxAndTheSizing) {
    EXPECT_EQ(size_of(SectionKind::face, false), "755.90 x 377.95");
    EXPECT_EQ(size_of(SectionKind::face, true), "755.90 x 377.95");
    EXPECT_EQ(size_of(SectionKind::end, false), "755.90 x 211.65");
    EXPECT_EQ(size_of(SectionKind::side, false), "211.65 x 400.63");
    EXPECT_EQ(size_of(SectionKind::end, true), "733.22 x 166.30");
    EXPECT_EQ(size_of(SectionKind::side, true), "166.30 x 377.95");
}

TEST(Layout, SeparateFilesSuffixIsTheFirstLayerThePassSelects) {
    struct Case {
        bool text, components, outline, recess;
        float top, bottom, head;
        const char* suffix;
    };
    const Case cases[] = {
        {true, true, true, true, 1, 1, 1, "_text"},  {false, true, true, true, 1, 1, 1, "_components"},
        {false, false, true, true, 0, 0, 0, "_recess"}, {false, false, true, false, 0, 0, 0, "_outline"},
        {false, false, false, false, 0, 3, 0, "_screws"}, {false, false, false, false, 3, 0, 6, "_screws"},
        {false, false, false, false, 0, 0, 6, "_screw_recess"}, {false, false, false, false, 0, 0, 0, nullptr},
        {false, false, false, false, -1, -1, -1, nullptr},
    };
    for (const auto& c : cases) {
        const auto suffix = layer_suffix(true, c.text, c.components, c.outline, c.recess, c.top, c.bottom, c.head);
        EXPECT_EQ(suffix.has_value(), c.suffix != nullptr);
        if (suffix && c.suffix) {
            EXPECT_EQ(*suffix, c.suffix);
        }
    }
    EXPECT_EQ(layer_suffix(false, false, false, false, false, 0, 0, 0), std::string());
}

TEST(Layout, SectionsAndComponentsAreWalkedInByteOrderOfTheirKeys) {
    const std::string console = simulate_pass(project_with(R"(
        "a_Main": {"k2": {"call_name": "two", "location_x": 1, "location_y": 1},
                   "k10": {"call_name": "ten", "location_x": 1, "location_y": 1}},
        "B_Main": {}, "notes": 5,
        "c_Left": [{"call_name": "first", "location_x": 1, "location_y": 1},
                   {"call_name": "second", "location_x": 1, "location_y": 1}])"));
    EXPECT_EQ(console,
              "## Currently on section: B_Main ##\n## Currently on section: a_Main ##\n"
              "Creating text: ten for k10\nCreating text: two for k2\n"
              "## Currently on section: c_Left ##\nCreating text: first for 0\nCreating text: second for 1\n");
}

TEST(Layout, UnsafeSectionKeysAreNamedAndRefused) {
    for (const char* key : {"a_b/c", "..\\\\a_b", "C:a_b"}) {
        EXPECT_TRUE(unsafe_file_name_reason(key).has_value()) << key;
        try {
            simulate_pass(project_with(std::string("\"") + key + "\": {}"));
            ADD_FAILURE() << "accepted " << key;
        } catch (const RunError& e) {
            EXPECT_NE(std::string(e.what()).find("section"), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(unsafe_file_name_reason("box_Main.v2").has_value());
}

TEST(Layout, ASectionMayNotOverwriteAnotherSectionsVectorFile) {
    const std::string project = project_with(R"("box_Main": {}, "box_Main_vector": {})");
    Arguments vectorizing = simulation();
    vectorizing.simulate = false;
    vectorizing.vectorize = true;
    TempDir dir;
    try {
        run_pass(project, vectorizing, dir);
        ADD_FAILURE() << "accepted a section named like a vector file";
    } catch (const RunError& e) {
        EXPECT_NE(std::string(e.what()).find("section \"box_Main_vector\""), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out/box/box_Main.svg"));
    vectorizing.vectorize = false;
    EXPECT_NO_THROW(run_pass(project, vectorizing, dir));
}

TEST(Layout, CoordinatesThatOverflowAreRefusedNamingTheComponent) {
    Arguments recessing = simulation();
    recessing.recess_lines_per_mm = 1e-37f;
    const char* components[] = {
        R"({"location_x": 8e36, "location_y": -8e36, "drill_width": -8e36, "drill_height": 1})",
        R"({"call_name": "L", "location_x": 1, "location_y": -8e36, "visible_height": 8e36})",
        R"({"location_x": 8e36, "location_y": 1, "visible_diameter": 8e36})",
    };
    for (const char* component : components) {
        TempDir dir;
        write_text(dir / "box.json", project_with(std::string(R"("box_Main": {"big": )") + component + "}"));
        NoCommands commands;
        std::ostringstream out, err;
        RunContext context{out, err, commands};
        try {
            draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, false, true, 0, 0, 0,
                     recessing, context);
            ADD_FAILURE() << "drew " << component;
        } catch (const RunError& e) {
            EXPECT_NE(std::string(e.what()).find("component \"big\""), std::string::npos) << e.what();
        }
    }
    Arguments screwed = simulation();
    screwed.material_thickness = 1e38f;
    screwed.screw_size_top = 3;
    TempDir dir;
    EXPECT_THROW(run_pass(R"({"Generic": {"width": 9e36, "height": 9e36}, "box_Main": null})", screwed, dir),
                 RunError);
}

TEST(Layout, FilesOfDifferentSectionsMayNotShareAName) {
    Arguments separate = simulation();
    separate.simulate = false;
    separate.separate_files = true;
    separate.recess = true;
    separate.screw_head_diameter = 6;
    TempDir dir;
    EXPECT_THROW(run_pass(project_with(R"("a_Main": {}, "a_Main_screw": {})"), separate, dir), RunError);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "out/box"));
    separate.screw_head_diameter = 0;
    EXPECT_NO_THROW(run_pass(project_with(R"("a_Main": {}, "a_Main_screw": {})"), separate, dir));
}

TEST(Layout, ErrorsShowControlCharactersInNames) {
    try {
        simulate_pass(project_with(R"("a\u0000_Main": {})"));
        ADD_FAILURE() << "accepted a NUL in a section name";
    } catch (const RunError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("section \"a\\u0000_Main\": "), std::string::npos) << message;
        EXPECT_NE(message.find("cannot hold"), std::string::npos) << message;
    }
}

// A pipe gives the project once: every pass after the first draws from the
// first one's reading, so the project may be gone by then.
TEST(Layout, EveryPassOfARunDrawsFromOneReadingOfTheProject) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("p_Main": {})"));
    Arguments separate = simulation();
    separate.simulate = false;
    separate.separate_files = true;
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    for (const Pass& pass : output_passes(separate)) {
        draw_all((dir / "box.json").string(), (dir / "out").string(), pass.text, pass.components, pass.outline,
                 pass.recess, 0, 0, 0, separate, context);
        std::filesystem::remove(dir / "box.json");
    }
    for (const char* layer : {"text", "components", "outline"}) {
        EXPECT_TRUE(std::filesystem::exists(dir / "out/box" / (std::string("p_Main_") + layer + ".svg"))) << layer;
    }
}

TEST(Layout, WritingTouchesNoFileButItsOwn) {
    Arguments writing = simulation();
    writing.simulate = false;
    TempDir dir;
    // The project kept in the output folder under a drawing's name.
    const std::string project = project_with(R"("q_Main": {})");
    write_text(dir / "out/q_Main/q_Main.svg", project);
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    EXPECT_THROW(draw_all((dir / "out/q_Main/q_Main.svg").string(), (dir / "out").string(), true, true, true, false, 0,
                          0, 0, writing, context),
                 RunError);
    EXPECT_EQ(read_text(dir / "out/q_Main/q_Main.svg"), project);

    // A note of the user's beside the drawings, and the longest name a folder takes.
    const std::string longest = "k_Main" + std::string(245, 'x');  // 255 bytes with ".svg"
    write_text(dir / "out/box/q_Main.svg.partial", "my notes");
    run_pass(project_with(R"("q_Main": {}, ")" + longest + R"(": {})"), writing, dir);
    EXPECT_EQ(read_text(dir / "out/box/q_Main.svg.partial"), "my notes");
    EXPECT_TRUE(std::filesystem::exists(dir / "out/box" / (longest + ".svg")));
}

// The size limits count what reaches the disk, piece by piece as a drawing
// is passed on to its file: on Windows the "\r" that text mode puts before
// every "\n" too.
TEST(Layout, SizeLimitsCountTheBytesThatReachTheDisk) {
    TempDir dir;
    const std::string pieces[] = {"<svg></svg>", "<svg>\n<g>\n</g>\n</svg>\n", "\n\n\n"};
    std::size_t counted = 0;
    {
        OutputFile file(dir / "a.svg");
        for (const std::string& piece : pieces) {
            file.write(piece);
            counted += written_size(piece);
        }
        file.commit();
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "a.svg"), counted);
    EXPECT_GT(counted, 0u);
}
