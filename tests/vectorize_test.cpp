#include <gtest/gtest.h>

#include <chrono>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "panel/panel.hpp"
#include "panel/output_file.hpp"
#include "panel/vectorize.hpp"
#include "settings/arguments.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

enum class Writes { Content, Empty, Nothing };

// Stands in for Inkscape: records every command line, writes the vector file
// (or not) and notes what the world looked like when the pause came.
class FakeInkscape : public CommandRunner {
public:
    FakeInkscape(int status, Writes writes, fs::path vector_file, fs::path plain_file, const std::ostringstream& out)
        : status_(status), writes_(writes), vector_file_(std::move(vector_file)),
          plain_file_(std::move(plain_file)), out_(out) {}

    CommandResult run(const std::string& command_line, const fs::path&) override {
        commands.push_back(command_line);
        if (writes_ != Writes::Nothing) write_text(vector_file_, writes_ == Writes::Content ? "<svg/>" : "");
        return {status_, "inkscape chatter\n"};
    }
    void pause() override {
        ++pauses;
        plain_there_at_pause = fs::exists(plain_file_);
        out_at_pause = out_.str();
    }

    std::vector<std::string> commands;
    int pauses = 0;
    bool plain_there_at_pause = false;
    std::string out_at_pause;

private:
    int status_;
    Writes writes_;
    fs::path vector_file_, plain_file_;
    const std::ostringstream& out_;
};

// The whole line of `text` that starts with `prefix`, or "" when there is none.
std::string line_starting(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) return line;
    }
    return "";
}

enum class Fake {
    Copies,              // writes the plain file's content as the vector file
    Fails,               // prints a complaint and ends with status 5
    CopiesAllButBoxMain  // "succeeds" for box_Main without writing its vector file
};

// A stand-in for Inkscape for runs of the real program: records its arguments
// one per line in inkscape-args.txt, finds the export file in the action list
// and then behaves as told. A shell script, or a batch file on Windows.
fs::path write_fake_inkscape(const TempDir& dir, Fake fake) {
    const std::string record = (dir / "inkscape-args.txt").string();
#ifdef _WIN32
    // Batch files split arguments at "=" too: the action list is %2.
    const fs::path script = dir / "fake-inkscape.cmd";
    std::string text = "@echo off\r\n"
                       ">>\"" + record + "\" echo %~1=%~2\r\n"
                       ">>\"" + record + "\" echo %~3\r\n"
                       "set \"export_file=%~2\"\r\n"
                       "set \"export_file=%export_file:*export-filename:=%\"\r\n"
                       "set \"export_file=%export_file:; export-do; file-close=%\"\r\n";
    const std::string copy = "copy /y \"%~3\" \"%export_file%\" >nul\r\n";
    const std::string not_main = "if \"%export_file:box_Main_vector.svg=%\"==\"%export_file%\" ";
    const std::string fail = "echo fake inkscape: cannot open display\r\nexit /b 5\r\n";
#else
    const fs::path script = dir / "fake-inkscape.sh";
    std::string text = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record +
                       "'\nexport_file=${1#*export-filename:}\n"
                       "export_file=${export_file%; export-do; file-close}\n";
    const std::string copy = "cp \"$2\" \"$export_file\"\n";
    const std::string not_main = "case \"$export_file\" in *box_Main_vector.svg) ;; *) ";
    const std::string fail = "echo 'fake inkscape: cannot open display'; exit 5\n";
#endif
    switch (fake) {
        case Fake::Copies: text += copy; break;
        case Fake::Fails: text += fail; break;
        case Fake::CopiesAllButBoxMain:
            text += not_main + copy;
            if (!running_on_windows) text += ";; esac\n";
            break;
    }
    write_text(script, text);
    fs::permissions(script, fs::perms::owner_exec, fs::perm_options::add);
    return script;
}

// The fake's record of the command lines it got, one argument a line.
std::string recorded_arguments(const TempDir& dir) { return unix_lines(read_text(dir / "inkscape-args.txt")); }

std::vector<std::string> base_args(const std::string& inkscape) {
    return {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--inkscape-path", inkscape};
}

std::string actions_for(const std::string& vector_path) {
    return "--actions=select-all; object-to-path; export-filename:" + vector_path + "; export-do; file-close";
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(VectorPath, ReplacesTheFileExtensionOnlyAndKeepsTheFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"out/box/box_Main.svg", "out/box/box_Main_vector.svg"},
        {"out/box/box_Main_text.svg", "out/box/box_Main_text_vector.svg"},
        {"old.svg.d/box_Main.svg", "old.svg.d/box_Main_vector.svg"},
        {"/tmp/a.svg/b.svg/box.v2_Top.svg", "/tmp/a.svg/b.svg/box.v2_Top_vector.svg"},
        {"box_Main.svg", "box_Main_vector.svg"},
    };
    for (const auto& [svg, vector] : cases) EXPECT_EQ(vector_path_for(svg).string(), vector) << svg;
}

TEST(VectorCommandLine, ShellHandsInkscapeBothPathsIntactAndRunsNothingElse) {
    TempDir dir;
#ifdef _WIN32
    // A program that reads its arguments as Inkscape does, through the C
    // runtime; a quoted program path, as a user with spaces in it writes.
    const std::string inkscape = quote_path(fs::absolute(PRINT_ARGS_BINARY).string());
    const std::string folders[] = {
        "plain",           "with space",  "a & echo pwned>pwned", "a | echo pwned>pwned", "a && echo pwned>pwned",
        "it's",            "a^b",         "(paren)",              "a,b;c=d",              "back\\slash",
        "!PATH!",          "<in>",        "tab\there",            "gr\u00fcn",
    };
    const std::string cd = "cd /d ";
#else
    const fs::path script = dir / "print-args.sh";
    write_text(script, "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
    // The inkscape text goes in as given, so a wrapper command ("sh <script>") works.
    const std::string inkscape = "sh " + script.string();
    const std::string folders[] = {
        "plain",          "with space",       "a; touch pwned",      "$(touch pwned)", "`touch pwned`",
        "a && touch pwned", "it's",           "x' ; touch pwned; '", "say \"hi\"",     "back\\slash",
        "$HOME",          "*",                "a|touch pwned",       "tab\there",
    };
    const std::string cd = "cd ";
#endif
    SystemCommandRunner shell;
    for (const std::string& folder : folders) {
        const std::string svg = folder + "/box_Main.svg";
        const std::string vector = folder + "/box_Main_vector.svg";
        std::string line = cd;
        line += quote_path(dir.path().string());
        line += " && ";
        line += inkscape_command_line(inkscape, vector, svg);
        const CommandResult result = shell.run(line, dir / "capture.txt");
        EXPECT_EQ(result.status, 0) << line;
        EXPECT_EQ(unix_lines(result.output), std::string("[").append(actions_for(vector)) + "]\n[" + svg + "]\n")
            << line;
        EXPECT_FALSE(fs::exists(dir / "pwned")) << line;
    }
}

TEST(VectorSystemRunner, ReportsExitStatusAndCapturesBothStreams) {
    TempDir dir;
    const fs::path capture = dir / "capture.txt";
    SystemCommandRunner shell;
#ifdef _WIN32
    write_text(dir / "both.cmd", "@echo to-out\r\n@echo to-err 1>&2\r\n@exit /b 3\r\n");
    const CommandResult failed = shell.run(quote_path((dir / "both.cmd").string()), capture);
    const std::string succeeds = "cd .";
#else
    const CommandResult failed = shell.run("sh -c 'echo to-out; echo to-err >&2; exit 3'", capture);
    const std::string succeeds = "true";
#endif
    EXPECT_EQ(failed.status, 3);
    EXPECT_NE(failed.output.find("to-out"), std::string::npos);
    EXPECT_NE(failed.output.find("to-err"), std::string::npos);
    EXPECT_FALSE(fs::exists(capture));
    EXPECT_EQ(shell.run(succeeds, capture).status, 0);
    EXPECT_NE(shell.run("no-such-command-for-svggenerator-tests", capture).status, 0);
}

TEST(VectorSystemRunner, WaitsForTheCommandOnlyAndKeepsTheStartOfItsOutput) {
    TempDir dir;
    SystemCommandRunner shell;
    const auto start = std::chrono::steady_clock::now();
    // A helper left running in the background must not hold the run.
#ifdef _WIN32
    // Wine hands the helper the test's own output, which ctest then waits
    // for: a short helper, but longer than the limit below.
    EXPECT_EQ(shell.run("start \"\" /b ping -n 12 127.0.0.1", dir / "capture.txt").status, 0);
#else
    EXPECT_EQ(shell.run("sh -c 'sleep 30 & exit 0'", dir / "capture.txt").status, 0);
#endif
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    write_text(dir / "chatter.txt", std::string(1000000, 'x'));
    const std::string show = running_on_windows ? "type " : "cat ";
    const CommandResult chatty = shell.run(show + quote_path((dir / "chatter.txt").string()), dir / "capture2.txt");
    EXPECT_LT(chatty.output.size(), max_captured_output + 100);
    EXPECT_EQ(chatty.output.substr(0, 3), "xxx");
}

TEST(VectorOutcome, ReportsKeepsAndRemovesFilesAsEachOutcomeRequires) {
    struct Case {
        const char* name;
        int status;
        Writes writes;
        bool keep_files;
        bool plain_is_full_folder;  // so that removing it fails
        const char* folder;
        const char* err_line;  // the line on stderr that tells the outcome, or "" for none
        bool success;
        bool plain_stays;
        int commands;
        int pauses;
        bool shows_inkscape_output;
    };
    const char* failed = "Inkscape command failed.";
    const char* vfail = "Vectorization failed: ";
    const Case cases[] = {
        {"success", 0, Writes::Content, false, false, "out", "", true, false, 1, 1, false},
        {"success, keep files", 0, Writes::Content, true, false, "out", "", true, true, 1, 1, false},
        {"non-zero status", 1, Writes::Nothing, false, false, "out", failed, false, true, 1, 0, true},
        {"non-zero status, file written anyway", 2, Writes::Content, false, false, "out", failed, false, true, 1, 0,
         true},
        {"no vector file", 0, Writes::Nothing, false, false, "out", vfail, false, true, 1, 1, true},
        {"no vector file, keep files", 0, Writes::Nothing, true, false, "out", vfail, false, true, 1, 1, true},
        {"empty vector file", 0, Writes::Empty, false, false, "out", vfail, false, true, 1, 1, true},
        {"removal fails", 0, Writes::Content, false, true, "out", vfail, false, true, 1, 1, false},
        {"';' in the folder", 0, Writes::Content, false, false, "a;b", vfail, false, true, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path plain = dir / c.folder / "box_Main_text.svg";
        const fs::path vector = dir / c.folder / "box_Main_text_vector.svg";
        if (c.plain_is_full_folder) {
            write_text(plain / "inside", "x");
        } else {
            write_text(plain, "<svg/>");
        }
        Arguments args{};
        args.keep_files = c.keep_files;
        args.inkscape_path = "my-wrapper --flag";
        std::ostringstream out, err;
        FakeInkscape inkscape(c.status, c.writes, vector, plain, out);
        RunContext context{out, err, inkscape};

        vectorize_file("box_Main", "_text", plain, args, context);

        const std::string starting = "Starting vectorization for box_Main_text. This may take some time...\n";
        EXPECT_EQ(out.str(), starting + (c.success ? "Vectorization success for box_Main.\n" : ""));
        EXPECT_EQ(fs::exists(plain), c.plain_stays);
        ASSERT_EQ(inkscape.commands.size(), static_cast<std::size_t>(c.commands));
        if (c.commands > 0) {
            EXPECT_EQ(inkscape.commands[0].rfind("my-wrapper --flag --actions=", 0), 0u);
        }
        EXPECT_EQ(inkscape.pauses, c.pauses);
        if (c.pauses > 0) {
            EXPECT_TRUE(inkscape.plain_there_at_pause) << "the plain file went before the pause";
            EXPECT_EQ(inkscape.out_at_pause, starting) << "the outcome was reported before the pause";
        }
        if (*c.err_line == '\0') {
            EXPECT_EQ(err.str(), "");
        } else {
            EXPECT_NE(line_starting(err.str(), c.err_line), "") << err.str();
        }
        EXPECT_EQ(line_starting(err.str(), failed) != "", std::string(c.err_line) == failed) << err.str();
        EXPECT_EQ(line_starting(err.str(), vfail) != "", std::string(c.err_line) == vfail) << err.str();
        if (std::string(c.err_line) == vfail && c.writes != Writes::Content) {
            EXPECT_NE(line_starting(err.str(), vfail).find(vector.string()), std::string::npos) << err.str();
        }
        EXPECT_EQ(err.str().find("inkscape chatter") != std::string::npos, c.shows_inkscape_output) << err.str();
    }
}

TEST(VectorOutcome, AVectorFileFromAnEarlierRunIsNotTakenForThisOne) {
    TempDir dir;
    const fs::path plain = dir / "out" / "box_Main.svg";
    const fs::path vector = dir / "out" / "box_Main_vector.svg";
    write_text(plain, "<svg>new</svg>");
    write_text(vector, "<svg>old</svg>");
    Arguments args{};
    args.inkscape_path = "inkscape";
    std::ostringstream out, err;
    FakeInkscape inkscape(0, Writes::Nothing, vector, plain, out);
    RunContext context{out, err, inkscape};

    vectorize_file("box_Main", "", plain, args, context);

    EXPECT_EQ(read_text(plain), "<svg>new</svg>");
    EXPECT_FALSE(fs::exists(vector));
    EXPECT_NE(line_starting(err.str(), "Vectorization failed: "), "") << err.str();
    EXPECT_EQ(out.str().find("Vectorization success"), std::string::npos);
}

// The earlier vector file is moved aside while Inkscape writes the new one;
// once the new one is there, the folder holds it and nothing else of the run.
TEST(VectorOutcome, ASuccessOverAnEarlierVectorFileLeavesNoScratchFile) {
    TempDir dir;
    const fs::path plain = dir / "out" / "box_Main.svg";
    const fs::path vector = dir / "out" / "box_Main_vector.svg";
    write_text(plain, "<svg>new</svg>");
    write_text(vector, "<svg>old</svg>");
    Arguments args{};
    std::ostringstream out, err;
    FakeInkscape inkscape(0, Writes::Content, vector, plain, out);
    RunContext context{out, err, inkscape};

    vectorize_file("box_Main", "", plain, args, context);

    EXPECT_NE(out.str().find("Vectorization success for box_Main."), std::string::npos) << err.str();
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir / "out")) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"box_Main_vector.svg"});
    EXPECT_EQ(read_text(vector), "<svg/>");
}

TEST(VectorOutcome, AVectorFileOfAFailedRunIsNotLeftBehind) {
    TempDir dir;
    const fs::path plain = dir / "out" / "box_Main.svg";
    const fs::path vector = dir / "out" / "box_Main_vector.svg";
    write_text(plain, "<svg/>");
    Arguments args{};
    std::ostringstream out, err;
    FakeInkscape inkscape(139, Writes::Content, vector, plain, out);
    RunContext context{out, err, inkscape};

    vectorize_file("box_Main", "", plain, args, context);

    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(vector));
}

TEST(VectorOutcome, InkscapesOutputNeverGoesThroughALinkInTheOutputFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "MinGW's library cannot make symbolic links (create_symlink is not implemented)";
#endif
    TempDir dir;
    const fs::path plain = dir / "out" / "box_Main.svg";
    write_text(plain, "<svg/>");
    write_text(dir / "victim", "precious");
    fs::create_symlink(dir / "victim", scratch_path(dir / "out", "inkscape-output"));
    Arguments args{};
    args.inkscape_path = "sh -c 'echo chatter; exit 1'";
    std::ostringstream out, err;
    SystemCommandRunner shell;
    RunContext context{out, err, shell};

    vectorize_file("box_Main", "", plain, args, context);

    EXPECT_EQ(read_text(dir / "victim"), "precious");
    EXPECT_NE(err.str().find("chatter"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::exists(plain));
}

TEST(VectorProgram, FailingInkscapeKeepsPlainFilesAndTheRunGoesOn) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {}, "box_Top": {})"));
    const fs::path script = write_fake_inkscape(dir, Fake::Fails);
    // A wrapper command in front of the script: the inkscape text is not quoted.
    const std::string wrapper = running_on_windows ? "cmd /c " : "sh ";
    const RunResult run = run_program(base_args(wrapper + script.string()), dir.path());

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Starting vectorization for box_Main. This may take some time...\n"), std::string::npos);
    EXPECT_NE(run.out.find("Starting vectorization for box_Top. This may take some time...\n"), std::string::npos);
    EXPECT_EQ(count_of(run.out, "Vectorization success"), 0);
    EXPECT_NE(run.out.find("Done. Output path: "), std::string::npos);
    EXPECT_EQ(count_of(run.err, "Inkscape command failed.\n"), 2) << run.err;
    EXPECT_EQ(count_of(run.err, "fake inkscape: cannot open display"), 2) << run.err;
    EXPECT_EQ(count_of(recorded_arguments(dir), "--actions="), 2);
    EXPECT_EQ(names_in(dir / "out" / "box"), (std::set<std::string>{"box_Main.svg", "box_Top.svg"}));
}

TEST(VectorProgram, NothingIsVectorizedWhenSimulatingOrSwitchedOff) {
    for (const std::string option : {"-s", "--vectorize=false"}) {
        SCOPED_TRACE(option);
        TempDir dir;
        write_text(dir / "box.json", project_with(R"("box_Main": {})"));
        std::vector<std::string> args = base_args(write_fake_inkscape(dir, Fake::Copies).string());
        args.push_back(option);
        const RunResult run = run_program(args, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(count_of(run.out, "ectorization"), 0) << run.out;
        EXPECT_FALSE(fs::exists(dir / "inkscape-args.txt"));
    }
}

TEST(VectorProgram, FolderNamedOldSvgDKeepsItsNameAndAMissingVectorFileIsReported) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {}, "box_Top": {})"));
    // Inkscape "succeeds" without writing box_Main's vector file; box_Top's comes out.
    const fs::path script = write_fake_inkscape(dir, Fake::CopiesAllButBoxMain);
    std::vector<std::string> args = base_args(script.string());
    args[3] = "old.svg.d";
    const RunResult run = run_program(args, dir.path());

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(recorded_arguments(dir),
              actions_for(native_path("old.svg.d/box/box_Main_vector.svg")) + "\n" +
                  native_path("old.svg.d/box/box_Main.svg") + "\n" +
                  actions_for(native_path("old.svg.d/box/box_Top_vector.svg")) + "\n" +
                  native_path("old.svg.d/box/box_Top.svg") + "\n");
    EXPECT_EQ(names_in(dir / "old.svg.d" / "box"), (std::set<std::string>{"box_Main.svg", "box_Top_vector.svg"}));
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"box.json", script.filename().string(),
                                                          "inkscape-args.txt", "old.svg.d"}));
    const std::string failure = line_starting(run.err, "Vectorization failed: ");
    EXPECT_NE(failure.find("box_Main_vector.svg"), std::string::npos) << run.err;
    EXPECT_EQ(count_of(run.err, "Vectorization failed: "), 1) << run.err;
    EXPECT_EQ(count_of(run.out, "Vectorization success for box_Main."), 0);
    EXPECT_NE(run.out.find("Starting vectorization for box_Top. This may take some time...\n"
                           "Vectorization success for box_Top.\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Done. Output path: "), std::string::npos);
}

TEST(VectorProgram, SeparateFilesVectorizesEveryLayerFile) {
    TempDir dir;
    write_text(dir / "box.json",
               project_with(R"("box_Main": {"pot1": {"id": 1, "location_x": 3, "location_y": 3, "drill_diameter": 0.7}})"));
    std::vector<std::string> args = base_args(write_fake_inkscape(dir, Fake::Copies).string());
    args.push_back("-e");
    const RunResult run = run_program(args, dir.path());

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::set<std::string> expected_files;
    std::string expected_record;
    for (const std::string layer : {"_text", "_components", "_outline"}) {
        expected_files.insert("box_Main" + layer + "_vector.svg");
        expected_record += actions_for(native_path("out/box/box_Main" + layer + "_vector.svg")) + "\n" +
                           native_path("out/box/box_Main" + layer + ".svg") + "\n";
        EXPECT_NE(run.out.find("Creation of SVG for box_Main" + layer + " successful.\nStarting vectorization for box_Main" +
                               layer + ". This may take some time...\nVectorization success for box_Main.\n"),
                  std::string::npos)
            << layer << "\n" << run.out;
    }
    EXPECT_EQ(names_in(dir / "out" / "box"), expected_files);
    EXPECT_EQ(recorded_arguments(dir), expected_record);
    EXPECT_EQ(count_of(run.out, "Vectorization success for box_Main.\n"), 3);
}

TEST(VectorRealInkscape, ConvertsEveryLayerToPaths) {
#ifdef _WIN32
    GTEST_SKIP() << "no Windows Inkscape is installed in the Wine prefix; the default Inkscape text is not checked";
#endif
    if (std::system("command -v inkscape >/dev/null 2>&1") != 0) {
        const char* ci = std::getenv("CI");
        if (ci != nullptr && std::string(ci) == "true") FAIL() << "inkscape is not on PATH, and CI needs it";
        GTEST_SKIP() << "inkscape is not on PATH; the conversion with the real program is not checked";
    }
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {
        "pot1": {"id": 1, "call_name": "Knob", "location_x": 4, "location_y": 4, "drill_diameter": 0.7,
                 "visible_diameter": 1.5},
        "fader1": {"id": 2, "call_name": "Volume", "location_x": 10, "location_y": 5, "drill_width": 0.3,
                   "drill_height": 4, "visible_width": 1, "visible_height": 4.5},
        "button1": {"id": 3, "call_name": "Button", "location_x": 15, "location_y": 5, "drill_width": 1.2,
                    "drill_height": 1.2}})"));
    const RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-r", "-p", "3", "-d",
                                       "6", "-x", "1", "--keep-files"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_NE(run.out.find("Vectorization success for box_Main.\n"), std::string::npos) << run.out << run.err;

    const fs::path plain = dir / "out" / "box" / "box_Main.svg";
    const fs::path vector = dir / "out" / "box" / "box_Main_vector.svg";
    ASSERT_TRUE(fs::exists(plain));
    ASSERT_TRUE(fs::exists(vector));
    // The plain file really has the shapes that must be converted.
    const std::regex shapes("<(text|circle|line)[\\s/>]");
    ASSERT_TRUE(std::regex_search(read_text(plain), shapes));
    if (can_check_xml) {
        EXPECT_TRUE(parses_as_xml(vector));
    }
    const std::string converted = read_text(vector);
    EXPECT_NE(converted.find("<path"), std::string::npos);
    EXPECT_FALSE(std::regex_search(converted, shapes));
    // A rectangle may remain only as part of a clip path.
    const std::string unclipped = std::regex_replace(converted, std::regex("<clipPath[\\s\\S]*?</clipPath>"), "");
    EXPECT_FALSE(std::regex_search(unclipped, std::regex("<rect[\\s/>]")));
}

// Names beyond ASCII reach the files, the console and Inkscape intact; on
// Windows that takes UTF-8 as the program's code page.
TEST(VectorProgram, NonAsciiFolderProjectAndSectionNamesWorkEndToEnd) {
    TempDir dir;
    write_text(dir / "Geh\u00e4use.json", project_with(R"("box_Ma\u00efn": {}, "box_Top": {})"));
    const std::string inkscape = write_fake_inkscape(dir, Fake::Copies).string();
    const RunResult run = run_program({"-j", "Geh\u00e4use.json", "-o", "gr\u00fcn", "-m", "3", "-b", "50",
                                       "--inkscape-path", inkscape},
                                      dir.path());

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const fs::path folder = dir / "gr\u00fcn/Geh\u00e4use";
    EXPECT_EQ(names_in(folder), (std::set<std::string>{"box_Ma\u00efn_vector.svg", "box_Top_vector.svg"}));
    EXPECT_NE(run.out.find("## Currently on section: box_Ma\u00efn ##\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Vectorization success for box_Ma\u00efn.\n"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with(native_path("/gr\u00fcn/Geh\u00e4use") + "\n")) << run.out;
    const std::string vector = read_text(folder / utf8_path("box_Ma\u00efn_vector.svg"));
    EXPECT_TRUE(vector.starts_with("<!-- Created with")) << vector;
}

// cmd expands %NAME% even inside double quotes, so on Windows a path with
// '%' is never handed to it; sh takes it as it is.
TEST(VectorProgram, PercentInThePathIsRefusedOnlyWhereCmdWouldExpandIt) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {})"));
    std::vector<std::string> args = base_args(write_fake_inkscape(dir, Fake::Copies).string());
    args[3] = "p%OS%q";
    const RunResult run = run_program(args, dir.path());

    EXPECT_EQ(run.status, 0) << run.err;
    const fs::path folder = dir / "p%OS%q/box";
    if (running_on_windows) {
        const std::string failure = line_starting(run.err, "Vectorization failed: ");
        EXPECT_NE(failure.find("'%'"), std::string::npos) << run.err;
        EXPECT_NE(failure.find(native_path("p%OS%q/box/box_Main_vector.svg")), std::string::npos) << run.err;
        EXPECT_EQ(names_in(folder), std::set<std::string>{"box_Main.svg"});
        EXPECT_FALSE(fs::exists(dir / "inkscape-args.txt"));
    } else {
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(names_in(folder), std::set<std::string>{"box_Main_vector.svg"});
        EXPECT_EQ(recorded_arguments(dir),
                  actions_for("p%OS%q/box/box_Main_vector.svg") + "\np%OS%q/box/box_Main.svg\n");
    }
}

// A drawing written without conversion takes away the vector file an earlier
// run left beside it, which would otherwise pass for the new drawing.
TEST(VectorOutcome, ADrawingWrittenUnconvertedTakesAwayItsOldVectorFile) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {}, "box_Top": {})"));
    const fs::path stale = dir / "out/box/box_Main_vector.svg";
    write_text(stale, "<svg>old</svg>");
    const std::vector<std::string> base = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
    const std::string removed = "Removed box_Main_vector.svg, left by an earlier run: it showed the old drawing\n";

    std::vector<std::string> simulated = base;
    simulated.push_back("-s");
    RunResult r = run_program(simulated, dir.path());
    EXPECT_TRUE(fs::exists(stale)) << "a simulation writes nothing and removes nothing";
    EXPECT_EQ(r.out.find("Removed "), std::string::npos);

    r = run_program(base, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_NE(r.out.find("Creation of SVG for box_Main successful.\n" + removed), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Removed ", r.out.find(removed) + 1), std::string::npos) << "box_Top had none";

    // The project itself, kept where the vector file would be, stays.
    const fs::path project = dir / "out/p_Main_vector/p_Main_vector.svg";
    write_text(project, project_with(R"("p_Main": {})"));
    r = run_program({"-j", project.string(), "-o", (dir / "out").string(), "-m", "3", "-b", "50", "--vectorize=false"},
                    dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_text(project), project_with(R"("p_Main": {})"));
}
