// End-to-end tests of how a run ends: failed writes and an unwritable report
// are failures, every fractional option refuses a partial number, a
// recess-only run is a run, and the project file and files outside the
// output folder are never written through a drawing's name.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "panel/output_file.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string project = project_with(R"("box_Main": {"jack1": {"location_x": 5, "location_y": 5,)"
                                         R"( "drill_diameter": 0.7, "visible_diameter": 1.2}})");

const std::vector<std::string> sizes = {"-m", "3", "-b", "50", "--vectorize=false"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

}  // namespace

TEST(CliOutcomes, AFailedWriteIsAnErrorAndNotASuccess) {
    if (running_on_windows) GTEST_SKIP() << "its write failure comes from sh's ulimit -f, which Windows lacks";
    struct Case {
        std::string label;
        std::string prefix;
        std::function<void(const fs::path&)> prepare;
    };
    const Case cases[] = {
        // The drawing cannot be written past 512 bytes; the report goes through a pipe.
        {"file size limit", "trap '' XFSZ; ulimit -f 1; exec ", [](const fs::path&) {}},
        // The finished file cannot take the drawing's name.
        {"name taken by a folder", "",
         [](const fs::path& dir) { write_text(dir / "out/box/box_Main.svg/keep", "x"); }},
    };
    for (const auto& c : cases) {
        TempDir dir;
        write_text(dir / "box.json", project);
        c.prepare(dir.path());
        // Hatching makes the drawing some kilobytes long.
        const RunResult r =
            run_program_after(c.prefix, with({"-j", "box.json", "-o", "out", "-r", "-n", "4"}, sizes), dir.path());
        EXPECT_EQ(r.status, 2) << c.label << "\n" << r.err;
        EXPECT_NE(r.err.find("Error: cannot write the output file"), std::string::npos) << c.label << ": " << r.err;
        EXPECT_NE(r.err.find("box_Main.svg"), std::string::npos) << c.label << ": " << r.err;
        EXPECT_EQ(r.out.find("successful"), std::string::npos) << c.label;
        EXPECT_EQ(r.out.find("Done."), std::string::npos) << c.label;
    }
}

TEST(CliOutcomes, AReportThatCannotBeWrittenIsAFailure) {
    if (running_on_windows) GTEST_SKIP() << "its full disk is /dev/full, which Windows lacks";
    TempDir dir;
    write_text(dir / "box.json", project);
    const RunResult r = run_program_after("", with({"-j", "box.json", "-o", "out", "-s"}, sizes), dir.path(),
                                          "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Error: cannot write the report to standard output"), std::string::npos) << r.err;
}

TEST(CliOutcomes, EveryFractionalOptionRefusesAPartialNumber) {
    TempDir dir;
    write_text(dir / "box.json", project);
    for (const char* option : {"-m", "-b", "-n", "-p", "-w", "-d", "-x"}) {
        const RunResult r = run_program(with({"-j", "box.json", "-o", "out", "-s"}, with(sizes, {option, "1,5"})),
                                        dir.path());
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_NE(r.err.find("1,5"), std::string::npos) << option << ": " << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(CliOutcomes, ARecessOnlyRunDrawsTheRecesses) {
    TempDir dir;
    write_text(dir / "box.json", project);
    const RunResult r = run_program(
        with({"-j", "box.json", "-o", "out", "--text=false", "--components=false", "--outline=false", "-r"}, sizes),
        dir.path());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("No output option selected"), std::string::npos);
    EXPECT_NE(read_text(dir / "out/box/box_Main.svg").find("<line"), std::string::npos);
}

TEST(CliOutcomes, TheProjectFileIsNeverReplacedByADrawingOrItsVectorFile) {
    struct Case {
        std::string json;
        bool vectorize;
    };
    // The drawing of section q_Main, or its vector file, is the project file
    // itself, however the path is spelled.
    const Case cases[] = {
        {"out/q_Main/q_Main.svg", false},
        {"./out/q_Main/q_Main.svg", false},
        {"out/q_Main_vector/q_Main_vector.svg", true},
        {"./out/q_Main_vector/q_Main_vector.svg", true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string text = project_with(R"("q_Main": {})");
        write_text(dir / c.json, text);
        const RunResult r = run_program({"-j", c.json, "-o", "out", "-m", "3", "-b", "50",
                                         c.vectorize ? "--vectorize=true" : "--vectorize=false", "-i", "false"},
                                        dir.path());
        EXPECT_EQ(r.status, 2) << c.json;
        EXPECT_NE(r.err.find("would replace the project file"), std::string::npos) << c.json << ": " << r.err;
        EXPECT_EQ(read_text(dir / c.json), text) << c.json;
    }
}

TEST(CliOutcomes, ErrorsShowPrintableCharactersOfNamesAsTheyAre) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("my box/x_Main": {})"));
    const RunResult r = run_program(with({"-j", "box.json", "-o", "out"}, sizes), dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("section \"my box/x_Main\""), std::string::npos) << r.err;
}

TEST(CliOutcomes, AWriteNeverFollowsALinkLeftAtItsScratchName) {
    if (running_on_windows) GTEST_SKIP() << "MinGW's library cannot make symbolic links (create_symlink is not implemented)";
    TempDir dir;
    write_text(dir / "victim.txt", "the user's file");
    fs::create_directories(dir / "out");
    fs::create_symlink(dir / "victim.txt", scratch_path(dir / "out", "partial"));
    write_output_file(dir / "out" / "box_Main.svg", "<svg/>");
    EXPECT_EQ(read_text(dir / "victim.txt"), "the user's file");
    EXPECT_FALSE(fs::is_symlink(dir / "out" / "box_Main.svg"));
    EXPECT_EQ(read_text(dir / "out" / "box_Main.svg"), "<svg/>");
}
