// The studio's API called without sockets: its panels, warnings and exports
// against the command line's own files, its settings, and its saving.
#ifdef SVGGENERATOR_HAVE_STUDIO
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "parts/location.hpp"
#include "studio/routes.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;
using nlohmann::json;
using nlohmann::ordered_json;

namespace {

constexpr int test_port = 4711;

// A studio started as `svggenerator --studio -j <dir>/box.json -o <dir>/studio`.
struct TestStudio {
    TempDir dir;
    PartLibrary parts = load_run_library(program_file(), "");
    Studio studio;

    TestStudio() {
        studio.start.json_file = (dir / "box.json").string();
        studio.start.output_directory = (dir / "studio").string();
        studio.start.settings = {{"vectorize", false}};
        studio.port = test_port;
        studio.token = "0123456789abcdef0123456789abcdef";
        studio.parts = &parts;
    }

    StudioResponse call(const std::string& method, const std::string& path, const std::string& body = "") {
        StudioRequest request;
        request.method = method;
        request.path = path;
        request.host = "127.0.0.1:" + std::to_string(test_port);
        request.token_header = studio.token;
        request.body = body;
        return handle_request(studio, request);
    }
};

json example_project() { return json::parse(read_text(source_dir() / "examples/midi_controller.json")); }

std::string with_project(const json& project) { return json{{"project", project}}.dump(); }

// Every file of a folder, by name.
std::map<std::string, std::string> files_in(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = read_text(entry.path());
    return files;
}

}  // namespace

TEST(StudioApi, PanelsAndSheetsAreTheCommandLinesFilesByteForByte) {
    TestStudio t;
    json project = example_project();
    project["Studio"] = {{"finger-joints", true}, {"kerf", 0.1}, {"sheet", "600x400"}, {"box-height-3d", 40}};
    const StudioResponse response = t.call("POST", "/api/render", with_project(project));
    ASSERT_EQ(response.status, 200) << response.body;
    const json rendering = json::parse(response.body);

    write_text(t.dir / "box.json", project.dump());
    const RunResult run = run_program({"-j", "box.json", "-o", "cli", "-m", "3", "-b", "40", "--vectorize=false",
                                       "--finger-joints=true", "--kerf", "0.1", "--sheet", "600x400"},
                                      t.dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(rendering["panels"].size(), 6u);
    for (const auto& [key, svg] : rendering["panels"].items()) {
        EXPECT_EQ(svg.get<std::string>(), read_text(t.dir / ("cli/box/" + key + ".svg"))) << key;
    }
    ASSERT_EQ(rendering["sheets"].size(), 1u);
    EXPECT_EQ(rendering["sheets"][0].get<std::string>(), read_text(t.dir / "cli/box/sheet-1.svg"));
}

TEST(StudioApi, WarningsNameTheirPlaceAndKeepTheConsoleText) {
    TestStudio t;
    const json project = json::parse(project_with(
        R"("box_Main": {"a": {"location_x": 5, "location_y": 5, "drill_diameter": 1, "colour": 1},)"
        R"( "b": {"location_x": 5.5, "location_y": 5, "drill_diameter": 1}})"));
    const StudioResponse response = t.call("POST", "/api/render", with_project(project));
    ASSERT_EQ(response.status, 200) << response.body;
    const json warnings = json::parse(response.body)["warnings"];

    write_text(t.dir / "box.json", project.dump());
    const RunResult run = run_program({"-j", t.studio.start.json_file, "-o", "cli", "-m", "3", "-b", "50", "--simulate=true"},
                                      t.dir.path());
    std::string console;
    for (const json& w : warnings) console += w["text"].get<std::string>() + "\n";
    EXPECT_EQ(console, run.err);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0]["section"], "box_Main");
    EXPECT_EQ(warnings[0]["component"], "a");
    EXPECT_EQ(warnings[0]["key"], "colour");
    EXPECT_EQ(warnings[1]["component"], "b");  // the later of an overlapping pair
    EXPECT_EQ(warnings[1]["key"], "");
}

TEST(StudioApi, ExportWritesTheCommandLinesFilesAndNamesThatCommand) {
    TestStudio t;
    json project = example_project();
    project["Studio"] = {{"separate-files", true}, {"dxf", true}, {"sheet", "300x300"}, {"text", false}};
    write_text(t.dir / "box.json", project.dump());
    const StudioResponse response = t.call("POST", "/api/export", with_project(project));
    ASSERT_EQ(response.status, 200) << response.body;
    const json result = json::parse(response.body);
    const auto exported = files_in(t.dir / "studio/box");
    EXPECT_EQ(result["files"].size(), exported.size());
    EXPECT_TRUE(exported.contains("box_Main_components.dxf"));
    EXPECT_TRUE(exported.contains("sheet-2_outline.svg"));

    const std::string command = result["command"];
    EXPECT_EQ(command.substr(0, command.find(" -o ")),
              "svggenerator -j " + t.studio.start.json_file);
    ASSERT_NE(command.find(" -m 3 -b 50 "), std::string::npos) << command;
    fs::rename(t.dir / "studio", t.dir / "exported");
    const std::string words = command.substr(command.find(' '));
    ASSERT_EQ(std::system((program_file().string() + words + " >/dev/null").c_str()), 0) << command;
    EXPECT_EQ(files_in(t.dir / "studio/box"), exported);
}

TEST(StudioApi, SettingsComeFromTheProjectThenTheCommandLineThenTheStudiosDefaults) {
    TestStudio t;
    t.studio.start.settings["material-thickness"] = 4;
    t.studio.start.settings["kerf"] = 0.2;
    write_text(t.dir / "box.json", R"({"Generic": {"width": 20, "height": 10}, "Studio": {"kerf": 0.1}})");
    const StudioResponse response = t.call("GET", "/api/project");
    ASSERT_EQ(response.status, 200) << response.body;
    const json settings = json::parse(response.body)["project"]["Studio"];
    EXPECT_EQ(settings["kerf"], 0.1);
    EXPECT_EQ(settings["material-thickness"], 4);
    EXPECT_EQ(settings["box-height-3d"], 50);
    EXPECT_EQ(settings["font-size"], 8);
    EXPECT_EQ(settings["finger-joints"], false);
    EXPECT_EQ(settings["cut-color"], "");
    EXPECT_FALSE(settings.contains("output-directory"));
}

TEST(StudioApi, SettingsTheCommandLineWouldRefuseAreRefusedByName) {
    TestStudio t;
    const auto render_with = [&](const json& settings) {
        json project = json::parse(project_with(R"("box_Main": {})"));
        project["Studio"] = settings;
        return t.call("POST", "/api/render", with_project(project));
    };
    const StudioResponse unknown = render_with({{"kerfs", 0.1}});
    EXPECT_EQ(unknown.status, 422);
    EXPECT_NE(json::parse(unknown.body)["error"].get<std::string>().find("\"kerfs\""), std::string::npos);
    const StudioResponse ill_typed = render_with({{"finger-joints", "yes"}});
    EXPECT_EQ(ill_typed.status, 422);
    EXPECT_NE(ill_typed.body.find("finger-joints"), std::string::npos) << ill_typed.body;
    EXPECT_EQ(render_with({{"kerf", -1}}).status, 422);
    // The output folder is the command line's alone.
    const StudioResponse elsewhere = render_with({{"output-directory", "/etc"}});
    EXPECT_EQ(elsewhere.status, 422);
    EXPECT_NE(elsewhere.body.find("output-directory"), std::string::npos);
    EXPECT_EQ(render_with({{"output-directory", t.studio.start.output_directory}}).status, 200);
}

TEST(StudioApi, SavingKeepsEveryKeyInOrderAndRefusesOverAnOutsideChange) {
    TestStudio t;
    // No file yet: a new box, written by the first save.
    const json fresh = json::parse(t.call("GET", "/api/project").body);
    EXPECT_EQ(fresh["etag"], "");
    EXPECT_TRUE(fresh["project"].contains("box_Main"));

    ordered_json project = ordered_json::parse(R"({"zeta": {"mine": [1, 2]}, "Generic": {"width": 20, "height": 10},)"
                                               R"( "box_Main": {}, "alpha": "kept"})");
    const StudioResponse saved = t.call("PUT", "/api/project", ordered_json{{"project", project}, {"etag", ""}}.dump());
    ASSERT_EQ(saved.status, 200) << saved.body;
    const std::string etag = json::parse(saved.body)["etag"];
    const std::string text = read_text(t.dir / "box.json");
    EXPECT_EQ(ordered_json::parse(text), project);
    EXPECT_LT(text.find("zeta"), text.find("alpha"));
    EXPECT_EQ(json::parse(t.call("GET", "/api/status").body)["etag"], etag);

    write_text(t.dir / "box.json", text + " ");  // another program's edit
    const StudioResponse refused = t.call("PUT", "/api/project", ordered_json{{"project", project}, {"etag", etag}}.dump());
    EXPECT_EQ(refused.status, 409);
    EXPECT_NE(json::parse(refused.body)["etag"], etag);
    EXPECT_EQ(read_text(t.dir / "box.json"), text + " ");
}

TEST(StudioApi, ProjectErrorsAreTheProgramsOwnMessages) {
    TestStudio t;
    const StudioResponse response =
        t.call("POST", "/api/render", with_project(json::parse(project_with(R"("box_Main": {"k": {"location_x": "x"}})"))));
    EXPECT_EQ(response.status, 422);
    const std::string error = json::parse(response.body)["error"];
    EXPECT_NE(error.find("section \"box_Main\", component \"k\", key \"location_x\""), std::string::npos) << error;
}
#endif
