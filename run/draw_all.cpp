#include "run/draw_all.hpp"

#include <filesystem>
#include <optional>

#include "drawing/section_drawing.hpp"
#include "graphics/graphics_warnings.hpp"
#include "joints/flat_panels.hpp"
#include "lightburn/drawing_exports.hpp"
#include "joints/joint_warnings.hpp"
#include "joints/straight_edges.hpp"
#include "kicad/boards.hpp"
#include "panel/errors.hpp"
#include "panel/interrupts.hpp"
#include "panel/layout.hpp"
#include "panel/laser_style.hpp"
#include "panel/output_file.hpp"
#include "panel/output_names.hpp"
#include "panel/project.hpp"
#include "panel/vectorize.hpp"
#include "panel/warnings.hpp"
#include "parts/resolve.hpp"
#include "settings/passes.hpp"
#include "settings/utf8_path.hpp"
#include "sheets/sheet_plan.hpp"
#include "sheets/sheet_writer.hpp"

namespace fs = std::filesystem;

namespace {

// A section's text goes to its file and, as it is written, to its DXF file
// and LightBurn project.
class FileAndExports : public DrawingSink {
public:
    FileAndExports(OutputFile& file, std::vector<std::unique_ptr<DrawingExport>>& exports)
        : file_(file), exports_(exports) {}
    void write(const std::string& text) override {
        file_.write(text);
        feed_all(exports_, text);
    }

private:
    OutputFile& file_;
    std::vector<std::unique_ptr<DrawingExport>>& exports_;
};

}  // namespace

void draw_all(const std::string& json_file, const std::string& output_directory, bool text, bool components,
              bool outline, bool recess, float screw_size_top, float screw_size_bottom, float screw_head_diameter,
              const Arguments& args, RunContext& context) {
    const Pass pass{text, components, outline, recess, screw_size_top, screw_size_bottom, screw_head_diameter};
    if (!context.project || context.project_file != json_file) {
        json loaded = load_project(json_file);
        // Before the parts are resolved, so that the board's parts bring their holes.
        add_boards(loaded, json_file, context.footprints, context.out);
        resolve_parts(loaded, context.parts, json_file);
        context.project = std::make_shared<const json>(std::move(loaded));
        context.project_file = json_file;
    }
    const json& project = *context.project;
    const BoxSize box = read_box_size(project, json_file);
    const fs::path folder = output_folder(json_file, output_directory);
    create_output_folder(folder);
    if (!args.simulate) remove_stale_scratch_files(folder);

    const auto suffix = layer_suffix(args.separate_files, text, components, outline, recess, screw_size_top,
                                     screw_size_bottom, screw_head_diameter);
    if (!suffix) {
        return;
    }
    refuse_file_name_clashes(project, args, json_file);
    refuse_flat_panels(project, box, args, json_file);
    if (!context.design_warned) {
        warn_about_generic(project, json_file, context.err);
        note_straight_edges(project, box, args, context.out);
    }
    const LaserStyle style(args);
    PassExports pass_exports(args);
    const std::optional<SheetPlan> sheets = plan_sheets(project, box, args, style, json_file, context);
    for (const auto& [key, section] : project.items()) {
        if (!is_section_key(key)) {
            continue;
        }
        const Place place{json_file, key, {}};
        if (auto reason = unsafe_file_name_reason(key)) {
            fail_at(place, "", *reason);
        }
        context.out << "## Currently on section: " << key << " ##" << std::endl;
        const fs::path path = folder / utf8_path(key + *suffix + ".svg");
        set_interrupted_activity("drawing " + key + *suffix + ".svg");
        // Written to a scratch file while it is drawn; a section that fails
        // leaves no file, and files of earlier sections stay.
        OutputFile file(path);
        std::vector<std::unique_ptr<DrawingExport>> exports = pass_exports.for_drawing(path);
        // Every byte counts against the run's budget: the section that would
        // cross it is refused before the text reaches the disk, and its
        // scratch file goes with the error.
        FileAndExports file_and_exports(file, exports);
        BudgetedSink budgeted(file_and_exports, context, place);
        draw_section(key, section, box, pass, args, style, place, context.out,
                     args.simulate ? nullptr : &budgeted);
        if (!context.design_warned) {
            warn_about_section(key, section, box, args, place, context.err);
            warn_about_joints(key, section, box, args, place, context.err);
            warn_about_graphics(key, section, box, args, place, context.err);
        }
        if (args.simulate) {
            continue;
        }
        refuse_overwriting_project(path, json_file, place);
        if (args.vectorize) {
            refuse_overwriting_project(vector_path_for(path), json_file, place);
        }
        file.commit();
        context.out << "Creation of SVG for " << key << *suffix << " successful." << std::endl;
        commit_all(exports, key + *suffix, context, place);
        if (args.vectorize) {
            vectorize_file(key, *suffix, path, args, context);
        } else {
            remove_stale_vector_file(path, json_file, context);
        }
    }
    context.design_warned = true;
    if (sheets) {
        write_sheets(*sheets, project, box, pass, args, style, folder, *suffix, context, pass_exports);
    }
}
