#include "studio/export.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "panel/errors.hpp"
#include "panel/output_names.hpp"
#include "panel/vectorize.hpp"
#include "parts/resolve.hpp"
#include "run/draw_all.hpp"
#include "settings/passes.hpp"
#include "settings/utf8_path.hpp"
#include "vector/builtin_vectorizer.hpp"

namespace fs = std::filesystem;

namespace {

using Snapshot = std::map<std::string, fs::file_time_type>;

// The files of the folder with their times, to tell which ones a run wrote.
Snapshot snapshot(const fs::path& folder) {
    Snapshot files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored)) continue;
        const std::u8string name = it->path().filename().u8string();
        files[std::string(name.begin(), name.end())] = it->last_write_time(ignored);
    }
    return files;
}

}  // namespace

ExportResult export_project(const StudioStart& start, const nlohmann::json& project, const nlohmann::json& settings,
                            const PartLibrary& parts, std::ostream& err) {
    const Arguments args = studio_arguments(start, settings);
    if (!has_output_layer(args)) {
        throw SettingError("no drawing layer is selected: switch on text, components, outline or recess");
    }
    if (!project.is_object()) {
        throw RunError("project file \"" + start.json_file + "\": the top level must be an object");
    }
    const fs::path folder = output_folder(args.json_file, args.output_directory);
    const Snapshot before = snapshot(folder);

    std::ostream silent(nullptr);
    SystemCommandRunner commands;
    RunContext context{silent, err, commands};
    context.parts = &parts;
    BuiltinConverter builtin;
    if (args.vectorizer == "builtin") context.converter = &builtin;
    // The run draws the page's project, not the file's.
    nlohmann::json resolved = project;
    resolve_parts(resolved, &parts, args.json_file);
    context.project = std::make_shared<const nlohmann::json>(std::move(resolved));
    context.project_file = args.json_file;
    for (const Pass& pass : output_passes(args)) {
        draw_all(args.json_file, args.output_directory, pass.text, pass.components, pass.outline, pass.recess,
                 pass.screw_size_top, pass.screw_size_bottom, pass.screw_head_diameter, args, context);
    }

    ExportResult result;
    for (const auto& [name, time] : snapshot(folder)) {
        const auto old = before.find(name);
        if (old == before.end() || old->second != time) result.files.push_back(name);
    }
    result.command = command_line_text(start.program_name, run_words(start, settings));
    result.failed_vectorizations = context.failed_vectorizations;
    return result;
}
