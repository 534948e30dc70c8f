// Hostile input end to end: whatever the project file, the command line or
// the output folder, a run ends in bounded time with a clear message and the
// right status, and writes nothing outside <output>/<stem>/.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <sstream>

#include "panel/errors.hpp"
#include "run/draw_all.hpp"
#include "vector/builtin_vectorizer.hpp"
#include "pass_fixtures.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string knob = R"("jack1": {"location_x": 5, "location_y": 5, "drill_diameter": 0.7, "visible_diameter": 1.2})";

std::string component(const std::string& fields) {
    return project_with(R"("box_Main": {"jack1": {"location_x": 5, "location_y": 5)" + fields + "}}");
}

std::string knob_with_id(const std::string& id) {
    return project_with(R"("box_Main": {"pot1": {"location_x": 5, "location_y": 5, "call_name": "Knob", "id": )" +
                        id + "}}");
}

std::string many_sections(int count) {
    std::string sections;
    for (int i = 0; i < count; ++i) {
        sections += (i ? ", \"s" : "\"s") + std::to_string(i) + "_Main\": {}";
    }
    return project_with(sections);
}

std::string nested_arrays(int depth) {
    return project_with("\"Notes\": " + std::string(depth, '[') + std::string(depth, ']'));
}

// Every file and folder below `dir`, relative to it.
std::set<std::string> entries_below(const fs::path& dir) {
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        found.insert(fs::relative(entry.path(), dir).generic_string());
    }
    return found;
}

// What appeared below `dir` since `before`, other than `allowed` and what is inside it.
std::vector<std::string> new_entries_outside(const fs::path& dir, const std::set<std::string>& before,
                                             const fs::path& allowed) {
    const std::string folder = allowed.generic_string();
    std::vector<std::string> found;
    for (const auto& name : entries_below(dir)) {
        const bool inside = name == folder || name.starts_with(folder + "/") || folder.starts_with(name + "/");
        if (!before.contains(name) && !inside) found.push_back(name);
    }
    return found;
}

struct Row {
    std::string label;
    std::optional<std::string> project;  // box.json; nothing: no such file is written
    std::vector<std::string> args;       // after -m 3 -b 50; -j box.json and -o out unless given
    int status;
    std::vector<std::string> words;  // in the error, or in the report when the run succeeds
    std::function<void(const fs::path&)> prepare = [](const fs::path&) {};
    std::string prefix = "";
};

bool has_option(const std::vector<std::string>& args, const std::string& option) {
    for (const auto& arg : args) {
        if (arg == option) return true;
    }
    return false;
}

}  // namespace

TEST(HostileInput, EveryBadInputEndsWithItsStatusAndMessageInsideTheOutputFolder) {
    if (running_on_windows) GTEST_SKIP() << "its rows rely on sh, ulimit, setpriv and /dev/zero, which Windows lacks";
    // As root every folder is writable; the read-only row runs as nobody then.
#ifdef _WIN32
    const std::string unprivileged;
#else
    const std::string unprivileged = geteuid() == 0 ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
#endif
    const std::string good = project_with("\"box_Main\": {" + knob + "}");
    const Row rows[] = {
        {"truncated JSON", R"({"Generic": {"width": 20, "hei)", {}, 2, {"box.json", "not valid JSON"}},
        {"byte order mark", "\xEF\xBB\xBF" + good, {}, 0, {"Creation of SVG for box_Main successful."}},
        {"top level array", "[" + good + "]", {}, 2, {"top level must be an object", "array"}},
        {"top level number", "42", {}, 2, {"top level must be an object", "number"}},
        {"section number", project_with(R"("a_Main": 5)"), {}, 2, {"section \"a_Main\"", "number"}},
        {"section string", project_with(R"("a_Main": "knob")"), {}, 2, {"section \"a_Main\"", "string"}},
        {"1e39", component(R"(, "drill_diameter": 1e39)"), {}, 2, {"jack1", "drill_diameter", "out of range"}},
        {"1e308", component(R"(, "visible_width": 1e308, "visible_height": 1)"), {}, 2, {"visible_width", "range"}},
        {"-1e308", project_with(R"("box_Main": {"jack1": {"location_x": -1e308, "location_y": 1}})"), {}, 2,
         {"location_x", "out of range"}},
        {"id beyond int", knob_with_id("3000000000"), {}, 2, {"\"pot1\"", "\"id\"", "out of range"}},
        {"id below int", knob_with_id("-3000000000"), {}, 2, {"\"pot1\"", "\"id\"", "out of range"}},
        {"rotation 1e9", component(R"(, "rotation": 1e9, "drill_width": 1, "drill_height": 2)"), {}, 0,
         {"Creation of SVG for box_Main successful."}},
        {"10,000 sections", many_sections(10000), {}, 0, {"s9999_Main successful."}},
        {"100,000-deep arrays", nested_arrays(100000), {}, 2, {"nested more than 64 deep"}},
        {"key with slash", project_with(R"("a/_Main": {})"), {}, 2, {"\"a/_Main\"", "cannot hold"}},
        {"key climbing out", project_with(R"("../../x_Main": {})"), {}, 2, {"\"../../x_Main\"", "cannot hold"}},
        {"key with dots", project_with(R"(".._Main": {})"), {}, 0, {".._Main successful."}},
        {"key with colon", project_with(R"("a:_Main": {})"), {}, 2, {"\"a:_Main\"", "cannot hold"}},
        {"key with NUL", project_with(R"("a\u0000_Main": {})"), {}, 2, {"\"a\\u0000_Main\"", "cannot hold"}},
        {"key with escape", project_with(R"("a\u001b_Main": {})"), {}, 0, {"successful."}},
        {"density 1e-30", good, {"-r", "-n", "1e-30"}, 0, {"Adding recess for: jack1"}},
        {"density 1e30", good, {"-r", "-n", "1e30"}, 2, {"jack1", "visible_diameter", "recess-lines-per-mm"}},
        {"output is a file", good, {}, 2, {"cannot create the output folder"},
         [](const fs::path& dir) { write_text(dir / "out", "a file"); }},
        {"output read-only", good, {}, 2, {"cannot create the output folder"},
         [](const fs::path& dir) {
             fs::create_directories(dir / "out");
             fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
         },
         unprivileged},
        {"project is a folder", std::nullopt, {}, 2, {"box.json", "folder"},
         [](const fs::path& dir) { fs::create_directories(dir / "box.json"); }},
        {"project is /dev/zero", std::nullopt, {"-j", "/dev/zero"}, 2, {"/dev/zero", "larger than 16 MiB"}},
        {"project is /dev/null", std::nullopt, {"-j", "/dev/null"}, 2, {"/dev/null", "empty"}},
    };
    for (const auto& row : rows) {
        TempDir dir;
        // The unprivileged run must reach its project.
        fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        if (row.project) write_text(dir / "box.json", *row.project);
        row.prepare(dir.path());
        const std::set<std::string> before = entries_below(dir.path());
        std::vector<std::string> args = {"-m", "3", "-b", "50", "--vectorize=false"};
        if (!has_option(row.args, "-j")) args.insert(args.end(), {"-j", "box.json"});
        args.insert(args.end(), {"-o", "out"});
        args.insert(args.end(), row.args.begin(), row.args.end());

        const auto start = std::chrono::steady_clock::now();
        const RunResult r = run_program_after(row.prefix, args, dir.path());
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();

        EXPECT_EQ(r.status, row.status) << row.label << "\n" << r.err;
        const std::string& shown = row.status == 0 ? r.out : r.err;
        for (const auto& word : row.words) {
            EXPECT_NE(shown.find(word), std::string::npos) << row.label << ": " << word << "\n" << r.err;
        }
        if (row.status != 0) {
            EXPECT_TRUE(r.err.starts_with("Error: ")) << row.label << ": " << r.err;
            EXPECT_EQ(r.out.find("Done."), std::string::npos) << row.label;
        }
        const std::string json = has_option(row.args, "-j") ? row.args[1] : "box.json";
        EXPECT_EQ(new_entries_outside(dir.path(), before, fs::path("out") / fs::path(json).stem()),
                  std::vector<std::string>{})
            << row.label;
        EXPECT_LT(seconds, 60) << row.label;
    }
}

TEST(HostileInput, OverLongCommandLineWordsAreRefusedNamingTheOption) {
    struct Case {
        std::vector<std::string> args;
        std::string option;
    };
    const std::string digits(26000, '1');
    const std::string letters(32000, 'a');
    const Case cases[] = {
        {{"-f", digits}, "f"},
        {{"--font-size", digits}, "font-size"},
        {{"--inkscape-path=" + letters}, "inkscape-path"},
        {{"-i" + letters}, "i"},
        {{"-j", letters + ".json"}, "j"},
        {{"--" + letters}, std::string(40, 'a') + "..."},
    };
    TempDir dir;
    write_text(dir / "box.json", project_with(""));
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-s"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = run_program(args, dir.path());
        EXPECT_EQ(r.status, 1) << c.option;
        EXPECT_EQ(r.err, platform_quotes("Error: Option \u2018" + c.option +
                                         "\u2019 has a value longer than 4096 bytes\n\nUse --help for usage information.\n"));
        EXPECT_EQ(r.out, "");
    }
    // A word of exactly the limit is read as usual.
    const RunResult r = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-s", "-i",
                                     std::string(4096, 'i')},
                                    dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Inkscape path: " + std::string(4096, 'i') + "\n"), std::string::npos);
}

TEST(HostileInput, SizesThatWouldBeNegativeInADrawingAreRefused) {
    struct Case {
        std::vector<std::string> args;  // -m 3 -b 50 come first
        std::string fields;             // of component jack1
        int status;
        std::string named;
    };
    const Case cases[] = {
        {{"-m", "-30"}, "", 1, "\u2018material-thickness\u2019 must be a number of 0 or more"},
        {{"-b", "-1"}, "", 1, "\u2018box-height-3d\u2019 must be a number of 0 or more"},
        {{"-p", "-1"}, "", 1, "\u2018screw-size-top\u2019 must be a number of 0 or more"},
        {{"-w", "-0.5"}, "", 1, "\u2018screw-size-bottom\u2019 must be a number of 0 or more"},
        {{"-d", "-6"}, "", 1, "\u2018screw-head-diameter\u2019 must be a number of 0 or more"},
        {{"-f", "-3"}, "", 1, "\u2018font-size\u2019 must be greater than 0"},
        {{"-f", "0"}, "", 1, "\u2018font-size\u2019 must be greater than 0"},
        {{"-z", "-m", "30"}, "", 2, "the panel size is negative"},
        // A diameter of 0 or less is never drawn: with a width and a height it
        // selects the rectangle, alone it selects nothing.
        {{}, R"(, "drill_diameter": -0.5)", 0, ""},
        {{}, R"(, "visible_diameter": -1)", 0, ""},
        {{"-r"}, R"(, "drill_diameter": -0.5, "visible_diameter": -1, "drill_width": 1, "drill_height": 1)", 0, ""},
        {{}, R"(, "drill_diameter": -0.5, "drill_width": -1, "drill_height": 1)", 2, "key \"drill_width\""},
        {{}, R"(, "drill_width": -1, "drill_height": 1)", 2, "key \"drill_width\": a size cannot be negative"},
        {{}, R"(, "drill_width": 1, "drill_height": -1)", 2, "key \"drill_height\": a size cannot be negative"},
        {{}, R"(, "visible_width": -1, "visible_height": 1)", 2, "key \"visible_width\""},
        {{}, R"(, "visible_width": 1, "visible_height": -1)", 2, "key \"visible_height\""},
        // Places only move things: off the panel is the maker's choice, and so is the screw margin.
        {{"-x", "-1", "-p", "3"}, R"(, "drill_diameter": 0.5)", 0, ""},
        {{}, R"(, "location_x": -5, "drill_diameter": 0.5)", 0, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        write_text(dir / "box.json",
                   project_with(R"("box_Back": {}, "box_Main": {"jack1": {"location_x": 5, "location_y": 5)" +
                                c.fields + "}}"));
        std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = run_program(args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.named << c.fields << "\n" << r.err;
        EXPECT_NE(r.err.find(platform_quotes(c.named)), std::string::npos) << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.err.find("Error:"), std::string::npos) << r.err;  // design warnings may stand there
            if (can_check_xml) {
                EXPECT_TRUE(parses_as_xml(dir / "out/box/box_Main.svg"));
            }
        } else {
            EXPECT_FALSE(fs::exists(dir / "out/box/box_Main.svg")) << c.named;
        }
    }
    TempDir dir;
    write_text(dir / "box.json", R"({"Generic": {"width": -20, "height": 10}, "box_Main": {}})");
    const RunResult r = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-s"}, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("section \"Generic\", key \"width\": a size cannot be negative"), std::string::npos) << r.err;
}

TEST(HostileInput, ProjectsBeyondTheLimitsAreRefusedBeforeTheyTakeMemory) {
    std::string empties = "[{}";
    for (int i = 1; i < 300000; ++i) empties += ",{}";
    empties += "]";
    std::string zeros = "[0";
    for (int i = 1; i < 240000; ++i) zeros += ",0";
    zeros += "]";
    std::string long_text(17 << 20, 'x');
    long_text.front() = '"';
    long_text.back() = '"';
    struct Case {
        std::string label;
        std::string notes;
        int status;
        std::string words;
    };
    const Case cases[] = {
        {"300,000 empty objects", empties, 2, "more than 250000 values"},
        {"17 MiB string", long_text, 2, "larger than 16 MiB"},
        {"240,000 numbers", zeros, 0, "Done."},
    };
    for (const auto& c : cases) {
        TempDir dir;
        write_text(dir / "box.json", project_with(R"("box_Main": {}, "Notes": )" + c.notes));
        const RunResult r = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-s"}, dir.path());
        EXPECT_EQ(r.status, c.status) << c.label << "\n" << r.err;
        EXPECT_NE((r.out + r.err).find(c.words), std::string::npos) << c.label << ": " << r.err;
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// AddressSanitizer reserves far more address space than any limit here.
TEST(HostileInput, RunningOutOfMemoryIsReportedAndNeverAborts) {
    if (running_on_windows) GTEST_SKIP() << "its memory limit is sh's ulimit -v, which Windows lacks";
    TempDir dir;
    std::string notes = "[{\"a\": [1, 2]}";
    for (int i = 1; i < 40000; ++i) notes += ", {\"a\": [1, 2]}";
    write_text(dir / "box.json", project_with(R"("box_Main": {}, "Notes": )" + notes + "]"));
    int out_of_memory = 0;
    // From too little to start with to enough for the whole run.
    for (int megabytes = 20; megabytes <= 200; megabytes += 10) {
        const RunResult r = run_program_after("ulimit -v " + std::to_string(megabytes * 1024) + "; exec ",
                                              {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-s"},
                                              dir.path());
        if (r.status == 2 && r.err.starts_with("Error: out of memory")) {
            ++out_of_memory;
            continue;
        }
        // Too little to load the program at all is the loader's failure, not ours.
        if (r.status == 127 || r.err.find("error while loading shared libraries") != std::string::npos) continue;
        EXPECT_EQ(r.status, 0) << megabytes << " MB:\n" << r.err;
    }
    EXPECT_GT(out_of_memory, 0);
}
#endif

TEST(HostileInput, ARunStopsBeforeItsFilesPassTheWriteBudget) {
    Arguments a = simulation();
    a.simulate = false;
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("a_Main": {}, "b_Main": {}, "c_Main": {})"));
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    BuiltinConverter builtin;
    context.converter = &builtin;
    const auto pass = [&] {
        draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, true, false, 0, 0, 0, a, context);
    };
    pass();
    const std::uintmax_t one_file = fs::file_size(dir / "out/box/a_Main.svg");
    EXPECT_EQ(context.write_budget, max_run_write_bytes - 3 * one_file);
    fs::remove_all(dir / "out");

    // Room for two and a half files: the third section is refused by name, unwritten.
    context.write_budget = 2 * one_file + one_file / 2;
    try {
        pass();
        ADD_FAILURE() << "wrote past the budget";
    } catch (const RunError& e) {
        EXPECT_NE(std::string(e.what()).find("section \"c_Main\": writing its file would take the run past 1024 MiB"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(fs::exists(dir / "out/box/b_Main.svg"));
    EXPECT_FALSE(fs::exists(dir / "out/box/c_Main.svg"));
}

// The builtin vectorizer's files are written by the run too: they count against
// the same budget, and one that would cross it is not written.
TEST(HostileInput, BuiltinVectorFilesCountAgainstTheWriteBudget) {
    Arguments a = simulation();
    a.simulate = false;
    a.vectorize = true;
    a.vectorizer = "builtin";
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("a_Main": {})"));
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    BuiltinConverter builtin;
    context.converter = &builtin;
    const auto pass = [&] {
        draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, true, false, 0, 0, 0, a, context);
    };
    const fs::path plain = dir / "out/box/a_Main.svg";
    const fs::path vector = dir / "out/box/a_Main_vector.svg";
    a.keep_files = true;
    pass();
    ASSERT_EQ(err.str(), "");
    const std::uintmax_t written = fs::file_size(plain) + fs::file_size(vector);
    EXPECT_EQ(context.write_budget, max_run_write_bytes - written);
    fs::remove_all(dir / "out");

    a.keep_files = false;
    context.write_budget = written - 1;
    pass();
    EXPECT_NE(err.str().find("Vectorization failed: writing "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("MiB written in all"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(vector));
}
