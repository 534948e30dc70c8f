#include <gtest/gtest.h>

#include "test_support.hpp"

namespace {

std::string quoted(const std::string& text) {
    return running_on_windows ? "'" + text + "'" : "\u2018" + text + "\u2019";
}

}  // namespace

// A value that does not parse is named with the option it was given to, and
// an empty colour is refused like any other that is not "#RRGGBB".
TEST(CliMessages, RefusedValuesNameTheirOption) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string colour_rule = " must be # followed by six hex digits, such as #FF0000";
    const std::vector<Case> cases = {
        {{"-m", "nan"}, "Argument " + quoted("nan") + " of option " + quoted("m") + " failed to parse"},
        {{"-m", "3", "--kerf=x1"}, "Argument " + quoted("x1") + " of option " + quoted("kerf") + " failed to parse"},
        {{"-m", "3", "--screw-size-top", "abc"},
         "Argument " + quoted("abc") + " of option " + quoted("screw-size-top") + " failed to parse"},
        {{"-m", "3", "-n", "3mm"},
         "Argument " + quoted("3mm") + " of option " + quoted("recess-lines-per-mm") + " failed to parse"},
        {{"-m", "3", "--cut-color", ""}, "Option " + quoted("cut-color") + colour_rule},
        {{"-m", "3", "--engrave-color="}, "Option " + quoted("engrave-color") + colour_rule},
    };
    TempDir dir;
    write_text(dir / "box.json", project_with(""));
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-b", "50", "-s"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = run_program(args, dir.path());
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Error: " + c.message + "\n\nUse --help for usage information.\n");
    }
}
