#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>

#include "panel/output_file.hpp"
#include "panel/panel.hpp"
#include "panel/vectorize.hpp"
#include "test_support.hpp"
#include "vector/builtin_vectorizer.hpp"

namespace fs = std::filesystem;

namespace {

const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class NoCommands : public CommandRunner {
public:
    CommandResult run(const std::string&, const fs::path&) override { return {1, ""}; }
    void pause() override {}
};

class OutOfMemory : public VectorConverter {
public:
    void convert(const std::string&, const fs::path&, const Arguments&, RunContext&) override {
        throw std::bad_alloc();
    }
};

}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
// A label whose vector file would pass the limit for one file is refused by
// name before the file is built, in far less memory than building it takes.
// AddressSanitizer reserves far more address space than the limit here.
TEST(BoundedConversion, AnOutsizedLabelIsRefusedBeforeItTakesMemory) {
    if (running_on_windows) GTEST_SKIP() << "its memory limit is sh's ulimit -v, which Windows lacks";
    TempDir dir;
    write_text(dir / "box.json", project_with("\"box_Main\": {\"k\": {\"id\": 0, \"call_name\": \"" +
                                              std::string(1048576, 'W') +
                                              "\", \"location_x\": 3, \"location_y\": 3, \"drill_diameter\": 0.7}}"));
    const RunResult r = run_program_after("ulimit -v 400000; exec ",
                                          {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorizer",
                                           "builtin", "--font-file", dejavu_bold},
                                          dir.path());
    const fs::path plain = dir / "out" / "box" / "box_Main.svg";
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Vectorization failed: the vector file " + native_path("out/box/box_Main_vector.svg") +
                         " would grow past the limit of 256 MiB for one SVG file (the plain file is kept)\n");
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(vector_path_for(plain)));
}
#endif

// What the run may still write bounds the vector file as well, and an earlier
// vector file does not stay to pass for the result of a failed conversion.
TEST(BoundedConversion, TheRunsBudgetIsCheckedBeforeTheFileIsBuilt) {
    TempDir dir;
    std::string lines = "<svg>";
    for (int i = 0; i < 200; ++i) lines += "<line x1=\"1\" y1=\"" + std::to_string(i) + "\" x2=\"9\" y2=\"0\"/>";
    write_text(dir / "p.svg", lines + "</svg>");
    write_text(dir / "p_vector.svg", "<svg>an earlier vector file</svg>");
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    context.write_budget = 1000;
    Arguments args{};
    try {
        BuiltinConverter().convert("p", dir / "p.svg", args, context);
        ADD_FAILURE() << "converted past the budget";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "writing " + (dir / "p_vector.svg").string() + " would take the run " +
                                             past_write_budget() + " (the plain file is kept)");
    }
    EXPECT_EQ(context.write_budget, 1000u);
    EXPECT_TRUE(fs::exists(dir / "p.svg"));
    EXPECT_FALSE(fs::exists(dir / "p_vector.svg"));
}

// Running out of memory ends the run with the program's own message rather
// than passing for one failed file.
TEST(BoundedConversion, OutOfMemoryLeavesTheVectorizationStep) {
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    OutOfMemory converter;
    context.converter = &converter;
    EXPECT_THROW(vectorize_file("box_Main", "", "box_Main.svg", Arguments{}, context), std::bad_alloc);
    EXPECT_EQ(err.str(), "");
}
