// End-to-end tests of the command-line front end and the run driver: every
// case runs the real program in a fresh folder and checks what a user sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string usage_hint = "\n\nUse --help for usage information.\n";
const std::string done_line = "Done. Output path: ";
const std::string no_output_message =
    "No output option selected. Use one or more of --text, --components, --outline, --recess.";
const std::string recess_warning =
    "Warning: Using --recess without --separate-files may cause the recesses overlap with the drill holes/areas!";
const std::string recess_note =
    "Note: Consider using --recess with --recess-lines-per-mm to have more control over line count.";

// A face, an end and a side panel; the face holds a numbered knob with a hole
// and a recess area.
std::string default_project() {
    return project_with(
        R"("box_Main": {"pot1": {"location_x": 5, "location_y": 5, "call_name": "Knob", "id": 0,)"
        R"( "drill_diameter": 0.7, "visible_diameter": 1.2}}, "box_Back": {}, "box_Left": null, "Notes": 1)");
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A run folder holding box.json; output goes to out/box unless told otherwise.
struct Workspace {
    TempDir dir;
    explicit Workspace(const std::optional<std::string>& project = default_project()) {
        if (project) write_text(dir / "box.json", *project);
    }
    RunResult run(const std::vector<std::string>& extra, const std::string& out = "out") const {
        return run_program(concat({"-j", "box.json", "-o", out, "-m", "3", "-b", "50", "--vectorize=false"}, extra),
                           dir.path());
    }
    fs::path folder() const { return dir / "out" / "box"; }
    // Every file below the run folder but the project, relative to it, sorted.
    std::vector<std::string> written_files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            if (entry.is_regular_file() && entry.path().filename() != "box.json") {
                names.push_back(fs::relative(entry.path(), dir.path()).generic_string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void expect_well_formed_svgs() const {
        for (const auto& name : written_files()) {
            if (!name.ends_with(".svg")) continue;
            if (can_check_xml) {
                EXPECT_TRUE(parses_as_xml(dir / name)) << name;
            }
            EXPECT_TRUE(read_text(dir / name).ends_with("</g></svg>")) << name;
        }
    }
};

std::vector<std::string> files_with_suffixes(const std::vector<std::string>& suffixes) {
    std::vector<std::string> names;
    for (const char* key : {"box_Back", "box_Left", "box_Main"}) {
        for (const auto& suffix : suffixes) names.push_back(std::string("out/box/") + key + suffix + ".svg");
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The report of a run with only -j -o -m 3 -b 50 and vectorization off.
const std::vector<std::string> default_report = {
    "~~~~~ Settings ~~~~~",
    "Box height in 3D: 50 mm",
    "Outer sizing enabled: No",
    "Text enabled: Yes (Font Size: 8 px)",
    "Components enabled: Yes",
    "Side outline enabled: Yes",
    "Recess for components enabled: No",
    "Line per mm for recess areas: 1",
    "Material thickness: 3 mm",
    "Screw size top: 0 mm",
    "Screw size bottom: 0 mm",
    "Screw head diameter: 0 mm",
    "Screw extra margin: 0 mm",
    "Separate all output files: No",
    "Vectorize enabled: No",
    "Keep original files: No",
    "Simulation enabled: No",
    default_inkscape_line,
    "======================",
};

void expect_banner(const std::vector<std::string>& lines) {
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "== ZELKORA SVG Generator for Laser Engraving Machines ==");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "== Version: 1.0.0 ==");
    EXPECT_EQ(lines[3], "");
    EXPECT_TRUE(lines[4].starts_with("== ") && lines[4].ends_with(" ==")) << lines[4];
    EXPECT_EQ(lines[5], "== Disclaimer: This software is provided as-is, with no guarantees. Use at your own risk. ==");
}

// The option library quotes option names and values with typographic quotes,
// but with plain ones on Windows, whose console may not show the others.
std::string quoted(const std::string& text) {
    return running_on_windows ? "'" + text + "'" : "\u2018" + text + "\u2019";
}

}  // namespace

TEST(CliHelp, PrintsOnlyTheHelpTextEvenWithoutRequiredOptions) {
    Workspace ws;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-h"}, {"--help"}, {"-h", "-j", "box.json"}, {"--help", "-o", "out", "-m", "3"}}) {
        const RunResult r = run_program(args, ws.dir.path());
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.out.find("ZELKORA SVG Generator for Laser Engraving Machines (v.1.0.0)"), std::string::npos);
        EXPECT_NE(r.out.find("Usage:"), std::string::npos);
        for (const char* name : {"--json-file", "--output-directory", "--material-thickness", "--box-height-3d",
                                 "--recess-lines-per-mm", "--inkscape-path", "--help"}) {
            EXPECT_NE(r.out.find(name), std::string::npos) << name;
        }
        EXPECT_EQ(r.out.find("== ZELKORA"), std::string::npos);
        // An option whose description names its default shows no second one.
        EXPECT_EQ(r.out.find("(default: \"\")"), std::string::npos);
        EXPECT_FALSE(fs::exists(ws.dir / "out"));
    }
}

TEST(CliRequiredOptions, ErrorNamesTheFirstMissingOptionInReadingOrder) {
    struct Case { std::vector<std::string> args; std::string option; };
    const Case cases[] = {
        {{"-o", "out", "-m", "3", "-b", "50"}, "json-file"},
        {{}, "json-file"},
        {{"-j", "box.json", "-m", "3", "-b", "50"}, "output-directory"},
        {{"-j", "box.json", "-o", "out"}, "material-thickness"},
        {{"-j", "box.json", "-o", "out", "-b", "50"}, "material-thickness"},
        {{"-j", "box.json", "-o", "out", "-m", "3"}, "box-height-3d"},
    };
    Workspace ws;
    for (const auto& c : cases) {
        const RunResult r = run_program(c.args, ws.dir.path());
        EXPECT_EQ(r.status, 1) << c.option;
        EXPECT_EQ(r.err, "Error: Option " + quoted(c.option) + " has no value" + usage_hint);
        EXPECT_EQ(r.out, "") << c.option;
    }
    EXPECT_FALSE(fs::exists(ws.dir / "out"));
}

TEST(CliRefusedValues, ReportOneErrorLineAndTheUsageHint) {
    struct Case { std::vector<std::string> args; std::string mentioned; };
    const std::vector<std::string> sizes = {"-m", "3", "-b", "50"};
    const Case cases[] = {
        {{"-m", "abc", "-b", "50"}, "abc"},
        {{"-m", "1,5", "-b", "50"}, "1,5"},
        {{"-m", "3mm", "-b", "50"}, "3mm"},
        {{"-m", "3", "-b", "50x"}, "50x"},
        {concat(sizes, {"-f", "1.5"}), "1.5"},
        {concat(sizes, {"-f", "8x"}), "8x"},
        {concat(sizes, {"-f", "9999999999"}), "9999999999"},
        {concat(sizes, {"-p", "2..5"}), "2..5"},
        {concat(sizes, {"--no-such-option"}), "no-such-option"},
        {concat(sizes, {"-n", "0"}), "recess-lines-per-mm"},
        {concat(sizes, {"--recess-lines-per-mm=-1"}), "recess-lines-per-mm"},
        {concat(sizes, {"-n", "nan"}), "nan"},
        {concat(sizes, {"-n", "inf"}), "inf"},
        {concat(sizes, {"-n", "1e39"}), "1e39"},
    };
    Workspace ws;
    for (const auto& c : cases) {
        const RunResult r = run_program(concat({"-j", "box.json", "-o", "out", "--vectorize=false"}, c.args),
                                        ws.dir.path());
        std::string label;
        for (const auto& arg : c.args) label += arg + " ";
        EXPECT_EQ(r.status, 1) << label;
        ASSERT_TRUE(r.err.starts_with("Error: ") && r.err.ends_with(usage_hint)) << r.err;
        const std::string message = r.err.substr(7, r.err.size() - 7 - usage_hint.size());
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        EXPECT_NE(message.find(c.mentioned), std::string::npos) << message;
        EXPECT_EQ(r.out.find(done_line), std::string::npos) << label;
        EXPECT_EQ(r.out.find("## Currently on section"), std::string::npos) << label;
    }
    EXPECT_FALSE(fs::exists(ws.dir / "out"));
}

TEST(CliSettingsReport, DefaultsFollowTheBannerThenSectionsAndDone) {
    Workspace ws;
    const RunResult r = ws.run({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto lines = lines_of(r.out);
    expect_banner(lines);
    ASSERT_GE(lines.size(), 6 + default_report.size() + 1);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.begin() + 6 + default_report.size()), default_report);
    EXPECT_EQ(lines[6 + default_report.size()], "## Currently on section: box_Back ##");
    // Sections in key order; keys without an underscore are skipped silently.
    EXPECT_LT(r.out.find("section: box_Back"), r.out.find("section: box_Left"));
    EXPECT_LT(r.out.find("section: box_Left"), r.out.find("section: box_Main"));
    EXPECT_EQ(r.out.find("Generic"), std::string::npos);
    EXPECT_EQ(r.out.find("Notes"), std::string::npos);
    EXPECT_EQ(lines.back(), done_line + (fs::canonical(ws.dir.path()) / "out" / "box").string());
    EXPECT_EQ(ws.written_files(), files_with_suffixes({""}));
    ws.expect_well_formed_svgs();
}

TEST(CliSettingsReport, NumbersUseTheStreamsDefaultFormAndFlagsShowTheirValue) {
    struct Case { std::vector<std::string> args; std::string line; };
    const Case cases[] = {
        {{"-b", "2.5"}, "Box height in 3D: 2.5 mm"},
        {{"-m", "1234567"}, "Material thickness: 1.23457e+06 mm"},
        {{"-x", "0.0001"}, "Screw extra margin: 0.0001 mm"},
        {{"-x", "0.00001"}, "Screw extra margin: 1e-05 mm"},
        {{"-p", "123456"}, "Screw size top: 123456 mm"},
        {{"-w", "0.5"}, "Screw size bottom: 0.5 mm"},
        {{"-x", "-0.5"}, "Screw extra margin: -0.5 mm"},
        {{"-n", "2.25"}, "Line per mm for recess areas: 2.25"},
        {{"-f", "12"}, "Text enabled: Yes (Font Size: 12 px)"},
        {{"-f", "0x10"}, "Text enabled: Yes (Font Size: 16 px)"},
        {{"--text=false"}, "Text enabled: No (Font Size: 8 px)"},
        {{"-z"}, "Outer sizing enabled: Yes"},
        {{"-k"}, "Keep original files: Yes"},
        {{"-e"}, "Separate all output files: Yes"},
        {{"-i", "/opt/ink scape/bin/inkscape"}, "Inkscape path: /opt/ink scape/bin/inkscape"},
    };
    Workspace ws;
    for (const auto& c : cases) {
        const RunResult r = ws.run(concat(c.args, {"-s"}));
        EXPECT_EQ(r.status, 0) << c.line << "\n" << r.err;
        const auto lines = lines_of(r.out);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.line;
        EXPECT_EQ(count_of(r.out, "Simulation enabled: Yes\n"), 1);
    }
}

TEST(CliNoOutput, RefusedAfterTheFullReportWhenNoLayerIsSelected) {
    const std::vector<std::string> all_off = {"--text=false", "--components=false", "--outline=false"};
    Workspace ws;
    for (const auto& extra : {all_off, concat(all_off, {"-p", "3"}), concat(all_off, {"-e", "-p", "3", "-d", "6"})}) {
        const RunResult r = ws.run(extra);
        EXPECT_EQ(r.status, 1);
        const auto lines = lines_of(r.out);
        expect_banner(lines);
        ASSERT_EQ(lines.size(), 6 + default_report.size() + 1) << r.out;
        EXPECT_EQ(lines[9], "Text enabled: No (Font Size: 8 px)");
        EXPECT_EQ(lines[10], "Components enabled: No");
        EXPECT_EQ(lines[11], "Side outline enabled: No");
        EXPECT_EQ(lines.back(), no_output_message);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_FALSE(fs::exists(ws.dir / "out"));
}

TEST(CliNoOutput, TextSwitchTakesNoFollowingWordAsItsValue) {
    Workspace ws;
    for (const auto& text : std::vector<std::vector<std::string>>{{"-t"}, {"--text"}}) {
        const RunResult r = ws.run(concat(text, {"--components=false", "--outline=false", "-s"}));
        EXPECT_EQ(r.status, 0) << text.back() << "\n" << r.out;
        EXPECT_NE(r.out.find("\nText enabled: Yes (Font Size: 8 px)\n"), std::string::npos);
        EXPECT_EQ(r.out.find(no_output_message), std::string::npos);
        EXPECT_NE(r.out.find("Creating text: "), std::string::npos);
    }
}

TEST(CliErrors, AWordThatIsNoOptionAndNoValueIsRefusedByName) {
    Workspace ws;
    const std::vector<std::vector<std::string>> lines = {
        {"-t", "false"}, {"--vectorize=false", "stray", "words"}, {"-s", "--", "false"}};
    for (const auto& words : lines) {
        const RunResult r = ws.run(concat(words, {"-s"}));
        EXPECT_EQ(r.status, 1) << words.back();
        const std::string stray = words[1] == "--" ? words[2] : words[1];
        EXPECT_EQ(r.err, platform_quotes("Error: Unexpected word \u2018" + stray +
                                         "\u2019: it is neither an option nor an option's value (a switch "
                                         "takes a value only as --name=value)\n\nUse --help for usage information.\n"));
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliAdvisories, RecessWarningAndDensityNoteFollowTheReport) {
    struct Case { std::vector<std::string> args; std::string advisories; };
    const Case cases[] = {
        {{"-r"}, recess_warning + "\n" + recess_note + "\n"},
        {{"-r", "-n", "1"}, recess_warning + "\n" + recess_note + "\n"},
        {{"-r", "-n", "2"}, recess_warning + "\n"},
        {{"-r", "-e", "-n", "2"}, ""},
        {{"-r", "-e", "-n", "1"}, recess_note + "\n"},
        {{"-r", "-e", "-n", "1.0"}, recess_note + "\n"},
        {{"-e", "-n", "1"}, ""},
    };
    Workspace ws;
    for (const auto& c : cases) {
        const RunResult r = ws.run(concat(c.args, {"-s"}));
        EXPECT_EQ(r.status, 0) << r.err;
        const auto from = r.out.find("======================\n");
        const auto to = r.out.find("## Currently on section");
        ASSERT_TRUE(from != std::string::npos && to != std::string::npos && from < to) << r.out;
        EXPECT_EQ(r.out.substr(from + 23, to - from - 23), c.advisories) << c.args.back();
    }
}

TEST(CliSeparateFiles, EachPassWritesItsLayerSuffixForEverySection) {
    struct Case { std::vector<std::string> args; std::vector<std::string> suffixes; };
    const Case cases[] = {
        {{"-e"}, {"_components", "_outline", "_text"}},
        {{"-e", "-p", "3"}, {"_components", "_outline", "_screws", "_text"}},
        {{"-e", "-r", "-p", "3", "-d", "6"},
         {"_components", "_outline", "_recess", "_screw_recess", "_screws", "_text"}},
        {{"-e", "--text=false", "-w", "3"}, {"_components", "_outline", "_screws"}},
    };
    for (const auto& c : cases) {
        Workspace ws;
        const RunResult r = ws.run(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ws.written_files(), files_with_suffixes(c.suffixes)) << c.args.back();
        const int files = static_cast<int>(3 * c.suffixes.size());
        EXPECT_EQ(count_of(r.out, "## Currently on section: "), files);
        EXPECT_EQ(count_of(r.out, "Creation of SVG for "), files);
        for (const auto& suffix : c.suffixes) {
            EXPECT_EQ(count_of(r.out, "\nCreation of SVG for box_Main" + suffix + " successful.\n"), 1) << suffix;
        }
        ws.expect_well_formed_svgs();
        // End and side panels take no screws: their screw file is an empty frame.
        if (fs::exists(ws.folder() / "box_Back_screws.svg")) {
            EXPECT_TRUE(read_text(ws.folder() / "box_Back_screws.svg").ends_with("<g></g></svg>"));
            EXPECT_TRUE(read_text(ws.folder() / "box_Left_screws.svg").ends_with("<g></g></svg>"));
        }
    }
}

TEST(CliSimulation, ReportsSectionsAndDoneButWritesNoFile) {
    for (const auto& extra : std::vector<std::vector<std::string>>{{"-s"}, {"-s", "-e", "-r", "-p", "3", "-d", "6"}}) {
        Workspace ws;
        const RunResult r = ws.run(extra);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("## Currently on section: box_Main ##"), std::string::npos);
        EXPECT_EQ(r.out.find("Creation of SVG"), std::string::npos);
        EXPECT_TRUE(fs::is_directory(ws.folder()));
        EXPECT_TRUE(fs::is_empty(ws.folder()));
        EXPECT_TRUE(r.out.ends_with(done_line + (fs::canonical(ws.dir.path()) / "out" / "box").string() + "\n"));
    }
}

TEST(CliOutputPath, DoneLineGivesTheAbsoluteNormalisedFolder) {
    TempDir elsewhere;
    const fs::path absolute = fs::canonical(elsewhere.path()) / "abs";
    // The expected folder is relative to the run folder unless absolute.
    struct Case { std::string json, out, expected; };
    const Case cases[] = {
        {"box.json", ".", "box"},
        {"box.json", "out", "out/box"},
        {"box.json", "./out", "out/box"},
        {"box.json", "out/", "out/box"},
        // ".." may cross a link: kept, but Windows itself takes it back by name.
        {"box.json", "out//deep/./x/..", running_on_windows ? "out/deep/box" : "out/deep/x/../box"},
        {"box.json", absolute.string(), (absolute / "box").string()},
        {"my.box.json", "out", "out/my.box"},
        {"sub/box.json", "out", "out/box"},
    };
    for (const auto& c : cases) {
        Workspace ws(std::nullopt);
        write_text(ws.dir / c.json, default_project());
        const RunResult r = run_program({"-j", c.json, "-o", c.out, "-m", "3", "-b", "50", "--vectorize=false"},
                                        ws.dir.path());
        EXPECT_EQ(r.status, 0) << c.out << "\n" << r.err;
        const fs::path expected = fs::path(c.expected).is_absolute()
                                      ? fs::path(c.expected)
                                      : fs::canonical(ws.dir.path()) / native_path(c.expected);
        const auto lines = lines_of(r.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), done_line + expected.string()) << c.out;
        EXPECT_EQ(lines.back().find(running_on_windows ? '/' : '\\'), std::string::npos) << lines.back();
        EXPECT_EQ(lines.back().find("/./"), std::string::npos);
        EXPECT_EQ(lines.back().find("//"), std::string::npos);
        EXPECT_TRUE(fs::exists(expected / "box_Main.svg")) << expected;
        ws.expect_well_formed_svgs();
    }
}

TEST(CliProjectErrors, StopTheRunNamingFileAndPlaceAndKeepEarlierSections) {
    struct Case {
        std::string label;
        std::optional<std::string> project;  // no value: the file does not exist
        std::vector<std::string> mentioned;
        bool earlier_section_written;
    };
    // Section-level faults sit in b_Main, after a good a_Main.
    const auto sections = [](const std::string& failing) { return project_with(R"("a_Main": {}, )" + failing); };
    const auto component = [&](const std::string& fields) {
        return sections(R"("b_Main": {"pot1": {)" + fields + "}}");
    };
    const std::string place = R"("location_x": 1, "location_y": 1)";
    const Case cases[] = {
        {"missing file", std::nullopt, {}, false},
        {"empty file", "", {"empty"}, false},
        {"invalid JSON", R"({"Generic": {"width": 20,)", {}, false},
        {"comment", "{\"Generic\": {\"width\": 20, \"height\": 10} // box\n}", {}, false},
        {"array at top", "[1, 2]", {}, false},
        {"no Generic", R"({"generic": {"width": 20, "height": 10}, "a_Main": {}})", {"Generic"}, false},
        {"no width", R"({"Generic": {"height": 10}, "a_Main": {}})", {"width"}, false},
        {"width text", R"({"Generic": {"width": "20", "height": 10}, "a_Main": {}})", {"width"}, false},
        {"width true", R"({"Generic": {"width": true, "height": 10}, "a_Main": {}})", {"width"}, false},
        {"height null", R"({"Generic": {"width": 20, "height": null}, "a_Main": {}})", {"height"}, false},
        {"section number", sections(R"("b_Main": 5)"), {"b_Main"}, true},
        {"component text", sections(R"("b_Main": {"pot1": "knob"})"), {"b_Main", "pot1"}, true},
        {"no location_x", component(R"("location_y": 1)"), {"b_Main", "pot1", "location_x"}, true},
        {"location_x text", component(R"("location_x": "1", "location_y": 1)"), {"pot1", "location_x"}, true},
        {"rotation 3e9", component(place + R"(, "rotation": 3e9)"), {"pot1", "rotation"}, true},
        {"location_x 1e39", component(R"("location_x": 1e39, "location_y": 1)"), {"pot1", "location_x"}, true},
        {"id missing", component(place + R"(, "call_name": "Knob")"), {"b_Main", "pot1", "id"}, true},
        {"drill_width text", component(place + R"(, "drill_width": "1")"), {"pot1", "drill_width"}, true},
        {"call_name number", component(place + R"(, "call_name": 3)"), {"pot1", "call_name"}, true},
        {"slash in key", sections(R"("b_Main/../../x": {})"), {"b_Main/../../x"}, true},
        {"backslash in key", sections(R"("b_Main\\x": {})"), {"b_Main\\x"}, true},
    };
    std::string missing_message, empty_message;
    for (const auto& c : cases) {
        Workspace ws(c.project);
        const RunResult r = ws.run({});
        EXPECT_EQ(r.status, 2) << c.label;
        ASSERT_TRUE(r.err.starts_with("Error: ") && r.err.ends_with("\n")) << c.label << ": " << r.err;
        EXPECT_NE(r.err.find("box.json"), std::string::npos) << c.label << ": " << r.err;
        for (const auto& word : c.mentioned) {
            EXPECT_NE(r.err.find(word), std::string::npos) << c.label << ": " << r.err;
        }
        EXPECT_EQ(r.out.find(done_line), std::string::npos) << c.label;
        const std::vector<std::string> kept =
            c.earlier_section_written ? std::vector<std::string>{"out/box/a_Main.svg"} : std::vector<std::string>{};
        EXPECT_EQ(ws.written_files(), kept) << c.label;
        if (c.label == "missing file") missing_message = r.err;
        if (c.label == "empty file") empty_message = r.err;
    }
    EXPECT_NE(missing_message, empty_message);
}

TEST(CliProjectErrors, ComponentIsReadEvenWhenNoLayerDrawsIt) {
    Workspace ws(project_with(R"("box_Main": {"pot1": {"location_y": 1, "drill_diameter": 1}})"));
    for (const auto& extra : std::vector<std::vector<std::string>>{
             {"--text=false", "--components=false"}, {"-e", "--text=false", "--components=false"}}) {
        const RunResult r = ws.run(extra);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("location_x"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(ws.folder() / "box_Main.svg"));
        EXPECT_FALSE(fs::exists(ws.folder() / "box_Main_outline.svg"));
    }
}

TEST(CliOutputFolderErrors, UnusableOutputDirectoryStopsTheRun) {
    Workspace ws;
    write_text(ws.dir / "taken", "a file, not a folder");
    // A folder in the way of the output folder is a run failure (2); an empty
    // name may also be refused as a usage error, but never accepted.
    for (const std::string out : {"taken", "taken/inner", ""}) {
        const RunResult r = ws.run({}, out);
        if (out.empty()) {
            EXPECT_NE(r.status, 0);
        } else {
            EXPECT_EQ(r.status, 2) << out;
        }
        EXPECT_TRUE(r.err.starts_with("Error: ")) << r.err;
        EXPECT_EQ(r.out.find(done_line), std::string::npos) << out;
        EXPECT_EQ(r.out.find("Creation of SVG"), std::string::npos) << out;
    }
    EXPECT_EQ(read_text(ws.dir / "taken"), "a file, not a folder");
    EXPECT_EQ(ws.written_files(), std::vector<std::string>{"taken"});
}

TEST(CliProjectParsing, TrailingTextIsIgnoredAndRepeatedKeysKeepTheLast) {
    const std::string cases[] = {
        project_with(R"("box_Main": {})") + "\n trailing words, not JSON {[",
        R"({"Generic": {"width": 1, "height": 1}, "box_Main": 5, "Generic": {"width": 20, "height": 10},)"
        R"( "box_Main": {"jack1": {"location_x": "x"}, "jack1": {"location_x": 1, "location_y": 1}}})",
    };
    for (const auto& project : cases) {
        Workspace ws(project);
        const RunResult r = ws.run({});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ws.written_files(), std::vector<std::string>{"out/box/box_Main.svg"});
        EXPECT_NE(read_text(ws.folder() / "box_Main.svg").find(R"( width="755.90" height="377.95">)"),
                  std::string::npos);
        ws.expect_well_formed_svgs();
    }
}

// Console and drawings are text: on Windows every line ends in "\r\n" there,
// and the output path is written with backslashes.
TEST(CliPlatformText, LineEndsAndPathSeparatorsAreThePlatformsOwn) {
    Workspace ws;
    const RunResult r = ws.run({});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.raw_out, native_lines(r.out));
    EXPECT_GT(count_of(r.raw_out, native_newline), 20);
    EXPECT_TRUE(r.out.ends_with(native_path("/out/box") + "\n")) << r.out;
    const std::string drawing = read_text(ws.folder() / "box_Main.svg");
    EXPECT_EQ(drawing, native_lines(unix_lines(drawing)));
    EXPECT_GT(count_of(drawing, native_newline), 10);

    const RunResult refused = ws.run({"--no-such-option"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.raw_err, native_lines(refused.err));
    EXPECT_TRUE(refused.err.ends_with(usage_hint)) << refused.err;
}

TEST(CliSettingsReport, WholeLabelNumbersAreReportedOnlyWhenAsked) {
    Workspace ws;
    const RunResult plain = ws.run({"-s"});
    EXPECT_EQ(plain.out.find("Whole label numbers"), std::string::npos);
    const RunResult whole = ws.run({"-s", "--whole-label-numbers"});
    EXPECT_NE(whole.out.find(default_inkscape_line + "\nWhole label numbers: Yes\n======================\n"),
              std::string::npos)
        << whole.out;
    EXPECT_NE(whole.out.find("Creating text: Knob 1 for "), std::string::npos) << whole.out;
}
