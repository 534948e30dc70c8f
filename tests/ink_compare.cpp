#include "ink_compare.hpp"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include "panel/vectorize.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> grey{nullptr, stbi_image_free};
};

std::string render_command(const fs::path& svg, const fs::path& png) {
    return "rsvg-convert -z 4 -b white " + quote_path(svg.string()) + " -o " + quote_path(png.string()) +
           " 2>/dev/null";
}

Picture load(const fs::path& png, const fs::path& svg) {
    Picture picture;
    int channels = 0;
    picture.grey.reset(stbi_load(png.string().c_str(), &picture.width, &picture.height, &channels, 1));
    if (!picture.grey) {
        throw std::runtime_error("cannot render or read the rendering of " + svg.string());
    }
    return picture;
}

}  // namespace

bool inkscape_available() { return std::system("command -v inkscape >/dev/null 2>&1") == 0; }

bool ci_requires_inkscape() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

fs::path inkscape_file_for(const fs::path& plain_file) {
    fs::path converted = plain_file;
    converted.replace_filename(plain_file.stem().string() + "_inkscape.svg");
    return converted;
}

// Inkscape takes the first file on its command line and opens the others from
// its action list, so one start converts them all.
void convert_with_inkscape(const std::vector<fs::path>& plain_files) {
    if (plain_files.empty()) return;
    std::string actions;
    for (std::size_t i = 0; i < plain_files.size(); ++i) {
        if (i > 0) actions += "; file-open:" + plain_files[i].string() + "; ";
        actions += "select-all; object-to-path; export-filename:" + inkscape_file_for(plain_files[i]).string() +
                   "; export-do; file-close";
    }
    const std::string command =
        "inkscape --actions=" + quote_path(actions) + " " + quote_path(plain_files[0].string()) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("inkscape failed: " + command);
    }
}

InkComparison compare_renderings(const fs::path& a, const fs::path& b) {
    TempDir scratch;
    // Both at once: rendering is most of the comparison's time.
    std::string both = render_command(a, scratch / "a.png");
    both += " & ";
    both += render_command(b, scratch / "b.png");
    both += "; wait";
    std::system(both.c_str());
    const Picture first = load(scratch / "a.png", a);
    const Picture second = load(scratch / "b.png", b);
    if (first.width != second.width || first.height != second.height) {
        throw std::runtime_error("the renderings of " + a.string() + " and " + b.string() + " differ in size");
    }
    InkComparison result;
    const long long pixels = static_cast<long long>(first.width) * first.height;
    for (long long i = 0; i < pixels; ++i) {
        const bool dark_first = first.grey.get()[i] < 128;
        const bool dark_second = second.grey.get()[i] < 128;
        result.inked += (dark_first || dark_second) ? 1 : 0;
        result.differ += (dark_first != dark_second) ? 1 : 0;
    }
    return result;
}

Rendering render_svg(const fs::path& svg, int zoom) {
    TempDir scratch;
    const fs::path png = scratch / "picture.png";
    const std::string command =
        "rsvg-convert -z " + std::to_string(zoom) + " -b white " + quote_path(svg.string()) + " -o " + quote_path(png.string()) + " 2>/dev/null";
    std::system(command.c_str());
    const Picture picture = load(png, svg);
    Rendering rendering{picture.width, picture.height, {}};
    rendering.grey.assign(picture.grey.get(), picture.grey.get() + static_cast<std::size_t>(picture.width) *
                                                                     static_cast<std::size_t>(picture.height));
    return rendering;
}

long long Rendering::dark_in(int left, int top, int right, int bottom) const {
    long long dark = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, width); ++x) {
            dark += grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] <
                            128
                        ? 1
                        : 0;
        }
    }
    return dark;
}
