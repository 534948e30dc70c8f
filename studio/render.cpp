#include "studio/render.hpp"

#include <optional>

#include "drawing/section_drawing.hpp"
#include "joints/joint_warnings.hpp"
#include "panel/errors.hpp"
#include "panel/layout.hpp"
#include "panel/laser_style.hpp"
#include "panel/output_names.hpp"
#include "panel/project.hpp"
#include "panel/vectorize.hpp"
#include "panel/warnings.hpp"
#include "parts/resolve.hpp"
#include "settings/passes.hpp"
#include "sheets/sheet_plan.hpp"
#include "sheets/sheet_writer.hpp"

namespace {

// Rendering never starts a program; a run context needs something to ask.
class NoCommands : public CommandRunner {
public:
    CommandResult run(const std::string&, const std::filesystem::path&) override {
        throw RunError("the studio's preview runs no outside program");
    }
    void pause() override {}
};

}  // namespace

PanelRendering render_project(json project, const Arguments& run_args, const PartLibrary* parts) {
    Arguments args = run_args;
    args.separate_files = false;
    args.simulate = false;
    args.vectorize = false;
    const std::string& json_file = args.json_file;
    if (!project.is_object()) {
        fail_at(Place{json_file, {}, {}}, "", std::string("the top level must be an object, found ") +
                                                  project.type_name());
    }
    resolve_parts(project, parts, json_file);
    const BoxSize box = read_box_size(project, json_file);
    refuse_file_name_clashes(project, args, json_file);

    PanelRendering rendering;
    DesignWarningList warnings;
    std::ostream silent(nullptr);
    warn_about_generic(project, json_file, warnings);
    const Pass pass = output_passes(args).front();
    const LaserStyle style(args);
    const bool draws = layer_suffix(false, pass.text, pass.components, pass.outline, pass.recess,
                                    pass.screw_size_top, pass.screw_size_bottom, pass.screw_head_diameter)
                           .has_value();
    for (const auto& [key, section] : project.items()) {
        if (!is_section_key(key)) continue;
        const Place place{json_file, key, {}};
        if (auto reason = unsafe_file_name_reason(key)) fail_at(place, "", *reason);
        if (draws) {
            rendering.panels.emplace_back(key,
                                          draw_section_text(key, section, box, pass, args, style, place, silent));
        }
        warn_about_section(key, section, box, args, place, warnings);
        warn_about_joints(key, section, box, args, place, warnings);
    }
    rendering.warnings = std::move(warnings.warnings);
    if (draws && args.sheet_width > 0 && args.sheet_height > 0) {
        NoCommands commands;
        RunContext context{silent, silent, commands};
        const std::optional<SheetPlan> plan = plan_sheets(project, box, args, style, json_file, context);
        for (std::size_t s = 0; plan && s < plan->packing.sheets; ++s) {
            rendering.sheets.push_back(draw_sheet_text(*plan, s, project, box, pass, args, style, context));
        }
    }
    return rendering;
}
