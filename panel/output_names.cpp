#include "panel/output_names.hpp"

#include <map>
#include <vector>

#include "panel/layout.hpp"
#include "settings/passes.hpp"
#include "settings/utf8_path.hpp"

namespace fs = std::filesystem;

fs::path output_folder(const std::string& json_file, const std::string& output_directory) {
    if (output_directory.empty()) {
        throw RunError("the output directory is empty; give a folder with -o");
    }
    const fs::path stem = utf8_path(json_file).stem();
    if (stem.empty() || stem == "." || stem == "..") {
        throw RunError("the project file name \"" + json_file + "\" gives no name for the output folder");
    }
    return utf8_path(output_directory) / stem;
}

namespace {

// Windows and macOS folders do not tell "A_Main.svg" from "a_Main.svg".
std::string as_file_system_compares(std::string name) {
#if defined(_WIN32) || defined(__APPLE__)
    for (char& ch : name) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
#endif
    return name;
}

}  // namespace

// Every file a run writes must have a name of its own: in separate-files mode
// "a_Main" + "_screw_recess" is "a_Main_screw" + "_recess", and Inkscape's
// "<name>_vector.svg" may be another section's file. Refused before anything
// is written, as the later file would silently replace the earlier one.
void refuse_file_name_clashes(const json& project, const Arguments& args, const std::string& json_file) {
    if (args.simulate) {
        return;
    }
    std::vector<std::string> suffixes;
    for (const Pass& p : output_passes(args)) {
        if (auto suffix = layer_suffix(args.separate_files, p.text, p.components, p.outline, p.recess,
                                       p.screw_size_top, p.screw_size_bottom, p.screw_head_diameter)) {
            suffixes.push_back(*suffix);
        }
    }
    std::map<std::string, std::string> writers;  // file name without ".svg" -> its section
    for (const auto& [key, section] : project.items()) {
        if (!is_section_key(key)) {
            continue;
        }
        for (const auto& suffix : suffixes) {
            for (const char* vector : {"", "_vector"}) {
                if (*vector != '\0' && !args.vectorize) {
                    continue;
                }
                auto [at, added] = writers.emplace(as_file_system_compares(key + suffix + vector), key);
                if (!added && at->second != key) {
                    fail_at(Place{json_file, key, {}}, "",
                            "its file " + at->first + ".svg would overwrite a file of section \"" + at->second +
                                "\"; rename one of them");
                }
            }
        }
    }
}

// A project file kept in the output folder under a drawing's name would be
// replaced by the drawing.
void refuse_overwriting_project(const fs::path& target, const std::string& json_file, const Place& place) {
    std::error_code ec;
    if (fs::equivalent(target, utf8_path(json_file), ec)) {
        fail_at(place, "", "its file " + target.string() + " would replace the project file itself");
    }
}

