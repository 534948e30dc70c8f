// Large drawings go to their file in pieces while they are drawn; these tests
// make drawings large enough to take several pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "layer_fixtures.hpp"
#include "pass_fixtures.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/hatching.hpp"
#include "run/draw_all.hpp"

namespace fs = std::filesystem;

namespace {

Arguments recess_settings(bool simulate) {
    Arguments a = simulation();
    a.recess_lines_per_mm = 10;
    a.simulate = simulate;
    return a;
}

// Twenty 5 cm recesses at 10 lines per mm: about 0.7 MB of hatch lines.
std::string large_components() {
    std::string components;
    for (int i = 0; i < 20; ++i) {
        const std::string place = R"("location_x": )" + std::to_string(3 + i % 5 * 3.1) + R"(, "location_y": )" +
                                  std::to_string(3 + i / 5 * 2.3);
        const std::string shape = i % 2 == 0 ? R"("visible_diameter": 5)"
                                             : R"("visible_width": 4, "visible_height": 5, "rotation": 30)";
        if (i > 0) components += ", ";
        components += "\"k" + std::to_string(10 + i) + "\": {" + place + ", " + shape + "}";
    }
    return components;
}

// One recess-only pass; returns the exception's message, or "" when it ran through.
std::string recess_pass(const TempDir& dir, const std::string& project, bool simulate) {
    write_text(dir / "box.json", project);
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    try {
        draw_all((dir / "box.json").string(), (dir / "out").string(), false, false, false, true, 0, 0, 0,
                 recess_settings(simulate), context);
    } catch (const RunError& e) {
        return e.what();
    }
    return "";
}

std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(DrawingPieces, AFileWrittenInPiecesHoldsTheWholeDocument) {
    const std::string components = large_components();
    TempDir dir;
    ASSERT_EQ(recess_pass(dir, project_with(R"("a_Main": {)" + components + "}"), false), "");

    // The same document built whole in memory from the drawing steps.
    const json section = json::parse("{" + components + "}");
    SectionDocument doc;
    doc.svg = prepare_header(20, 10, 8, LaserStyle());
    std::ostringstream console;
    for (const auto& [key, value] : section.items()) {
        const Component c = read_component(key, value, Place{"box.json", "a_Main", {}});
        draw_recess(c, 10, LaserStyle(), doc, console);
    }
    doc.svg += svg_footer;
    ASSERT_GT(doc.svg.size(), std::size_t{600000});
    EXPECT_TRUE(read_text(dir / "out/box/a_Main.svg") == native_lines(doc.svg));
    EXPECT_EQ(files_in(dir / "out/box"), std::vector<std::string>{"a_Main.svg"});

    TempDir simulated;
    ASSERT_EQ(recess_pass(simulated, project_with(R"("a_Main": {)" + components + "}"), true), "");
    EXPECT_TRUE(files_in(simulated / "out/box").empty());
}

TEST(DrawingPieces, ASectionFailingAfterPiecesWereWrittenLeavesNoFileAndKeepsTheOldOne) {
    TempDir dir;
    write_text(dir / "out/box/b_Main.svg", "an older drawing");
    // "zz" sorts after the large components and lacks its location.
    const std::string project =
        project_with(R"("a_Main": {}, "b_Main": {)" + large_components() + R"(, "zz": {"location_y": 1}})");
    const std::string message = recess_pass(dir, project, false);
    EXPECT_NE(message.find("\"zz\""), std::string::npos) << message;
    EXPECT_NE(message.find("location_x"), std::string::npos) << message;
    EXPECT_EQ(files_in(dir / "out/box"), (std::vector<std::string>{"a_Main.svg", "b_Main.svg"}));
    EXPECT_EQ(read_text(dir / "out/box/b_Main.svg"), "an older drawing");
}

TEST(DrawingPieces, TheSizeLimitCountsWhatIsAlreadyWritten) {
    ParsedComponent parsed("pot1", R"({"location_x": 2, "location_y": 3, "visible_diameter": 0.95})");
    std::ostringstream out;
    SectionDocument doc;
    doc.passed_on = max_document_bytes - 500;  // ten hatch lines need about 700 bytes
    EXPECT_THROW(draw_recess(parsed.component, 1, LaserStyle(), doc, out), RunError);
    EXPECT_TRUE(doc.svg.empty());
    doc.passed_on = max_document_bytes - 2000;
    draw_recess(parsed.component, 1, LaserStyle(), doc, out);
    EXPECT_EQ(count_of(doc.svg, "<line"), 10);
}

// The lines of one recess go to the file in pieces too, and the file is the
// document built whole in memory, byte for byte.
TEST(DrawingPieces, OneLargeRecessIsPassedOnInPiecesByteForByte) {
    for (const std::string shape : {R"("visible_width": 9, "visible_height": 100, "rotation": 30)",
                                    R"("visible_diameter": 100)"}) {
        const std::string component = R"("k": {"location_x": 10, "location_y": 5, )" + shape + "}";
        TempDir dir;
        ASSERT_EQ(recess_pass(dir, project_with(R"("a_Main": {)" + component + "}"), false), "");
        SectionDocument doc;
        doc.svg = prepare_header(20, 10, 8, LaserStyle());
        std::ostringstream console;
        const json section = json::parse("{" + component + "}");
        draw_recess(read_component("k", section["k"], Place{"box.json", "a_Main", {}}), 10, LaserStyle(), doc,
                    console);
        doc.svg += svg_footer;
        ASSERT_GT(doc.svg.size(), std::size_t{3} << 18);  // three pieces or more
        EXPECT_TRUE(read_text(dir / "out/box/a_Main.svg") == native_lines(doc.svg)) << shape;
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// A 58 cm recess at 3000 lines per mm is 160 MB of hatch lines; the run
// holds a few pieces of it at a time. (AddressSanitizer reserves far more
// address space than the limit here.)
TEST(DrawingPieces, MemoryStaysSmallForTheLargestRecess) {
    if (running_on_windows) GTEST_SKIP() << "its memory limit is sh's ulimit -v, which Windows lacks";
    TempDir dir;
    write_text(dir / "box.json", R"({"Generic": {"width": 60, "height": 60}, "box_Main": {"k": {"id": 0,
        "location_x": 30, "location_y": 30, "visible_width": 58, "visible_height": 58}}})");
    const RunResult r = run_program_after("ulimit -v 64000; exec ",
                                          {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-r", "-n", "3000",
                                           "--text=false", "-s"},
                                          dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
}
#endif
