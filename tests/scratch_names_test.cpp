#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "panel/output_file.hpp"
#include "panel/vectorize.hpp"
#include "pass_fixtures.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

#ifdef __linux__
// In a folder so deep that the drawing's own names still fit but this run's
// longer scratch names do not, the failure names the user's file.
TEST(ScratchNames, FailuresNameTheUsersFileNotAScratchFile) {
    TempDir dir;
    fs::path folder = dir.path();
    const std::size_t scratch = scratch_path("", "inkscape-output").string().size();
    const std::string file = "p.svg";
    // Linux takes paths of up to 4095 bytes.
    while (folder.string().size() + 1 + scratch <= 4095) {
        const std::size_t room = 4095 - scratch - folder.string().size() - 1;
        folder /= std::string(std::min<std::size_t>(200, std::max<std::size_t>(room, 1)), 'd');
    }
    ASSERT_LE(folder.string().size() + 1 + std::string("p_vector.svg").size(), 4095u);
    fs::create_directories(folder);
    write_text(folder / file, "<svg/>");
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    Arguments args{};
    args.inkscape_path = "inkscape";
    try {
        InkscapeConverter().convert("p", folder / file, args, context);
        ADD_FAILURE() << "converted";
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        EXPECT_TRUE(message.starts_with("cannot convert " + (folder / file).string() + ": ")) << message;
        EXPECT_EQ(message.find(".svggenerator-"), std::string::npos) << message;
    }
    std::error_code ignored;
    fs::remove_all(dir.path() / std::string(200, 'd'), ignored);
}
#endif
