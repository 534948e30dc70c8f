#include <gtest/gtest.h>

#include <map>

#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> svg_files_in(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = read_text(entry.path());
    }
    return files;
}

}  // namespace

// The example project drawn with every layer must match the committed
// drawings byte for byte (tests/regenerate-reference.sh rewrites them).
TEST(Reference, ExampleProjectMatchesTheCommittedDrawings) {
    for (const std::string mode : {"normal", "separate"}) {
        TempDir dir;
        std::vector<std::string> args = {"-j", std::string(SOURCE_DIR) + "/examples/midi_controller.json",
                                         "-o", "out", "-m", "3", "-b", "50", "--recess", "-n", "2", "-p", "3",
                                         "-d", "6", "-x", "1", "--vectorize=false"};
        if (mode == "separate") args.push_back("--separate-files");
        const RunResult run = run_program(args, dir.path());
        ASSERT_EQ(run.status, 0) << run.err;

        const auto written = svg_files_in(dir / "out/midi_controller");
        const auto expected = svg_files_in(fs::path(SOURCE_DIR) / "tests/reference" / mode);
        ASSERT_EQ(written.size(), expected.size()) << mode;
        for (const auto& [name, content] : expected) {
            ASSERT_TRUE(written.count(name)) << mode << ": " << name << " not written";
            EXPECT_TRUE(written.at(name) == content) << mode << ": " << name << " differs";
            EXPECT_TRUE(parses_as_xml(dir / "out/midi_controller" / name)) << name;
        }
    }
}
