#include "settings/passes.hpp"

#include <filesystem>
#include <stdexcept>

#include "settings/utf8_path.hpp"

namespace fs = std::filesystem;

std::vector<Pass> output_passes(const Arguments& a) {
    if (!a.separate_files) {
        return {Pass{a.text, a.components, a.outline, a.recess, a.screw_size_top, a.screw_size_bottom,
                     a.screw_head_diameter}};
    }
    std::vector<Pass> passes(6);
    passes[0].text = a.text;
    passes[1].components = a.components;
    passes[2].outline = a.outline;
    passes[3].recess = a.recess;
    passes[4].screw_size_top = a.screw_size_top;
    passes[4].screw_size_bottom = a.screw_size_bottom;
    passes[5].screw_head_diameter = a.screw_head_diameter;
    return passes;
}

std::string output_path(const std::string& json_file, const std::string& output_directory) {
    if (output_directory.empty()) {
        throw std::runtime_error("the output directory is empty; give a folder with -o");
    }
    const fs::path given = output_directory == "." ? fs::current_path() : fs::absolute(utf8_path(output_directory));
    // Drop "." segments and doubled or trailing separators. ".." stays: across
    // a symbolic link it does not cancel the segment before it.
    fs::path base;
    for (const fs::path& part : given) {
        if (!part.empty() && part != ".") {
            base /= part;
        }
    }
#ifdef _WIN32
    const std::string separator = "\\";
#else
    const std::string separator = "/";
#endif
    std::string text = base.string();
    if (text.empty() || text.back() != separator[0]) {
        text += separator;
    }
    return text + utf8_path(json_file).stem().string();
}
