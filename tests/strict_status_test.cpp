#include <gtest/gtest.h>

#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// A failed vectorization changes the status only when --strict asks for it;
// the summary line counts the files handed to the step.
TEST(StrictStatus, FailedVectorizationsEndWithStatusThreeOnlyWhenAsked) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("a_Main": {"k": {"id": 0, "call_name": "Knob", "location_x": 3,
        "location_y": 3, "drill_diameter": 0.7}}, "b_Top": {})"));
    write_text(dir / "notes.ttf", "not a font");
    struct Case {
        std::vector<std::string> more;
        int status;
        std::string last_err_line;  // "" for no standard error at all
    };
    // Separate files: six files, of which the one label file fails with a bad font.
    const std::vector<Case> cases = {
        {{"--font-file", "notes.ttf"}, 0, "Vectorization failed: the font file notes.ttf is not a TrueType or OpenType font"},
        {{"--font-file", "notes.ttf", "--strict"}, 3, "Vectorization failed for 1 of 6 files"},
        {{"--font-file", fs::absolute(dejavu_bold).string(), "--strict"}, 0, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-e", "--vectorizer",
                                         "builtin"};
        args.insert(args.end(), c.more.begin(), c.more.end());
        const RunResult run = run_program(args, dir.path());
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.last_err_line.empty()) {
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_TRUE(run.err.ends_with(c.last_err_line + "\n")) << run.err;
        }
        const bool strict = c.more.back() == "--strict";
        // The report line comes last, and only when the option is on.
        EXPECT_EQ(run.out.find("Strict status: Yes\n======================\n") != std::string::npos, strict);
        EXPECT_EQ(run.out.find("Strict status") != std::string::npos, strict);
    }
}

// Under --strict a DXF that could not be made counts as a failed conversion
// does; without it the run goes on as before.
TEST(StrictStatus, AFailedDxfEndsWithStatusThree) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("a_Main": {"k": {"id": 0, "call_name": "Knob", "location_x": 3,
        "location_y": 3, "drill_diameter": 0.7}}, "b_Top": {})"));
    write_text(dir / "notes.ttf", "not a font");
    const std::vector<std::string> args = {"-j",  "box.json", "-o",    "out", "-m", "3", "-b", "50", "--dxf",
                                           "--vectorize=false", "--font-file", "notes.ttf"};
    const RunResult lenient = run_program(args, dir.path());
    EXPECT_EQ(lenient.status, 0) << lenient.err;
    EXPECT_NE(lenient.err.find("DXF failed for a_Main: "), std::string::npos) << lenient.err;
    std::vector<std::string> strict = args;
    strict.push_back("--strict");
    const RunResult refused = run_program(strict, dir.path());
    EXPECT_EQ(refused.status, 3) << refused.err;
    EXPECT_TRUE(refused.err.ends_with("DXF failed for 1 of 2 files\n")) << refused.err;
    EXPECT_TRUE(fs::exists(dir / "out/box/b_Top.dxf"));
}

}  // namespace
