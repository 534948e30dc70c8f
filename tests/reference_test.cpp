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
// drawings byte for byte (tests/regenerate-reference.sh rewrites them), but
// for the line ends: drawings are text files, and Windows ends their lines
// with "\r\n".
TEST(Reference, ExampleProjectMatchesTheCommittedDrawings) {
    for (const std::string mode : {"normal", "separate"}) {
        TempDir dir;
        std::vector<std::string> args = {"-j", (source_dir() / "examples/midi_controller.json").string(),
                                         "-o", "out", "-m", "3", "-b", "50", "--recess", "-n", "2", "-p", "3",
                                         "-d", "6", "-x", "1", "--vectorize=false"};
        if (mode == "separate") args.push_back("--separate-files");
        const RunResult run = run_program(args, dir.path());
        ASSERT_EQ(run.status, 0) << run.err;

        const auto written = svg_files_in(dir / "out/midi_controller");
        const auto expected = svg_files_in(source_dir() / "tests/reference" / mode);
        ASSERT_EQ(written.size(), expected.size()) << mode;
        for (const auto& [name, content] : expected) {
            ASSERT_TRUE(written.count(name)) << mode << ": " << name << " not written";
            EXPECT_TRUE(written.at(name) == native_lines(content)) << mode << ": " << name << " differs";
            if (can_check_xml) {
                EXPECT_TRUE(parses_as_xml(dir / "out/midi_controller" / name)) << name;
            }
        }
    }
}
