#pragma once

#include <filesystem>
#include <string>
#include <vector>

// True when the real Inkscape can be run; skips the calling test when it
// cannot, and fails it instead when CI (CI=true) promised it.
#ifdef _WIN32
#define REQUIRE_INKSCAPE_OR_SKIP() \
    GTEST_SKIP() << "no Windows Inkscape is installed in the Wine prefix; the comparison with it is not made"
#else
#define REQUIRE_INKSCAPE_OR_SKIP()                                                               \
    do {                                                                                         \
        if (!inkscape_available()) {                                                             \
            if (ci_requires_inkscape()) FAIL() << "inkscape is not on PATH, and CI needs it";    \
            GTEST_SKIP() << "inkscape is not on PATH; the comparison with it is not made";       \
        }                                                                                        \
    } while (false)
#endif

bool inkscape_available();
bool ci_requires_inkscape();

// Converts every plain file with one run of the real Inkscape, as the program
// does it (select all, object to path), into <name>_inkscape.svg beside it.
void convert_with_inkscape(const std::vector<std::filesystem::path>& plain_files);
std::filesystem::path inkscape_file_for(const std::filesystem::path& plain_file);

struct InkComparison {
    long long inked = 0;    // pixels dark in either picture
    long long differ = 0;   // of those, pixels dark in only one
    double share() const { return inked == 0 ? 0.0 : static_cast<double>(differ) / static_cast<double>(inked); }
};

// Renders both SVG files with rsvg-convert at 4x on white and compares them
// pixel by pixel. Throws std::runtime_error when a file cannot be rendered or
// the pictures differ in size.
InkComparison compare_renderings(const std::filesystem::path& a, const std::filesystem::path& b);

// An SVG file rendered by rsvg-convert at `zoom` times its own size on white,
// in grey levels, row by row. Throws std::runtime_error when it cannot be rendered.
struct Rendering {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> grey;
    // Pixels darker than mid-grey in the rectangle (pixels, ends excluded).
    long long dark_in(int left, int top, int right, int bottom) const;
};
Rendering render_svg(const std::filesystem::path& svg, int zoom);
