// Feeds arbitrary bytes as a project file through the real reader and every
// output pass, with every layer and screws on, into a scratch folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "panel/errors.hpp"
#include "run/draw_all.hpp"
#include "panel/vectorize.hpp"
#include "parts/library.hpp"
#include "vector/builtin_vectorizer.hpp"
#include "settings/arguments.hpp"
#include "settings/passes.hpp"

namespace fs = std::filesystem;

namespace {

// Inkscape is not run: every vectorization fails, which the run reports and
// survives.
class FailingCommands : public CommandRunner {
public:
    CommandResult run(const std::string&, const fs::path&) override { return {1, "no Inkscape here"}; }
    void pause() override {}
};

// A folder of this process, removed when the fuzzer ends normally.
struct Scratch {
    fs::path path = fs::temp_directory_path() / ("svggenerator-fuzz-" + std::to_string(getpid()));
    Scratch() { fs::create_directories(path); }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const fs::path& scratch() {
    static const Scratch folder;
    return folder.path;
}

// The input's length picks the mode, so that one input always runs the same
// way: half the inputs only simulate, half write; a quarter write separate
// files; half use the laser settings (page in mm, colours, kerf); half of the
// writing runs vectorize in-process, the others through a failing Inkscape.
Arguments arguments_for(std::size_t size) {
    Arguments a{};
    a.material_thickness = 3;
    a.box_height_3d = 50;
    a.font_size = 8;
    a.recess = true;
    a.recess_lines_per_mm = (size & 4) != 0 ? 2.5f : 1.0f;
    a.outer_sizing = (size & 8) != 0;
    a.screw_size_top = 3;
    a.screw_size_bottom = 2.5f;
    a.screw_head_diameter = 6;
    a.screw_extra_margin = 1;
    a.simulate = (size & 1) != 0;
    a.separate_files = (size & 2) != 0;
    a.vectorize = !a.simulate;
    a.inkscape_path = "inkscape";
    a.vectorizer = (size & 32) != 0 ? "builtin" : "inkscape";
    if ((size & 16) != 0) {
        a.physical_size = true;
        a.cut_color = "#FF0000";
        a.engrave_color = "#0000ff";
        a.kerf = 0.15f;
    }
    return a;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path project = scratch() / "box.json";
    const fs::path output = scratch() / "out";
    {
        std::ofstream file(project, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Arguments args = arguments_for(size);
    args.json_file = project.string();
    args.output_directory = output.string();

    std::ostream null_stream(nullptr);
    FailingCommands commands;
    RunContext context{null_stream, null_stream, commands};
    // Two small parts, round and turned holes both, for the "part" key.
    static const PartLibrary parts = parse_part_library(
        R"({"parts": {"din": {"description": "d", "source": "s", "drill_diameter": 15.6, "holes":)"
        R"( [{"x": 10.8, "y": 0, "diameter": 3.2}]}, "pot": {"description": "p", "source": "s", "drill_width": 7,)"
        R"( "drill_height": 5, "holes": [{"x": 0, "y": -7.35, "width": 2.5, "height": 1.15}]}}})",
        "fuzz-parts.json");
    context.parts = &parts;
    BuiltinConverter builtin;
    if (args.vectorizer == "builtin") context.converter = &builtin;
    try {
        for (const Pass& pass : output_passes(args)) {
            draw_all(args.json_file, args.output_directory, pass.text, pass.components, pass.outline, pass.recess,
                     pass.screw_size_top, pass.screw_size_bottom, pass.screw_head_diameter, args, context);
        }
    } catch (const RunError&) {
        // A refused project is the expected end for most inputs.
    }
    std::error_code ignored;
    fs::remove_all(output, ignored);
    return 0;
}
