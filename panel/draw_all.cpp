#include "panel/panel.hpp"

#include <climits>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "joints/joint_warnings.hpp"
#include "joints/outline_path.hpp"
#include "dxf/dxf_file.hpp"
#include "panel/cutouts.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/hatching.hpp"
#include "panel/interrupts.hpp"
#include "panel/labels.hpp"
#include "panel/laser_style.hpp"
#include "panel/layout.hpp"
#include "panel/output_file.hpp"
#include "panel/output_names.hpp"
#include "panel/project.hpp"
#include "panel/screws.hpp"
#include "panel/section_drawing.hpp"
#include "panel/section.hpp"
#include "panel/vectorize.hpp"
#include "panel/warnings.hpp"
#include "parts/resolve.hpp"
#include "settings/passes.hpp"
#include "sheets/sheet_plan.hpp"
#include "sheets/sheet_writer.hpp"

namespace fs = std::filesystem;

namespace {

PanelSize checked_panel_size(const std::string& key, const BoxSize& box, const Arguments& args,
                             const LaserStyle& style, const Place& place) {
    const PanelSize size = panel_size(section_kind(key), box.width, box.height, args.material_thickness,
                                      args.box_height_3d, args.outer_sizing);
    // The page is the panel grown by the kerf.
    if (!std::isfinite(size.width * cm_to_px + style.kerf_px()) ||
        !std::isfinite(size.height * cm_to_px + style.kerf_px())) {
        fail_at(place, "", style.kerf_px() > 0
                               ? "the page size is out of range (check --material-thickness, --box-height-3d and --kerf)"
                               : "the panel size is out of range (check --material-thickness and --box-height-3d)");
    }
    // Outer sizing takes the walls off the box sizes; thick walls on a small
    // box would leave a negative panel.
    if (size.width < 0.0f || size.height < 0.0f) {
        fail_at(place, "", "the panel size is negative (check --material-thickness and --box-height-3d)");
    }
    return size;
}

// The font size came from an int, but the largest ints round up to 2^31 in
// single precision; keep the way back defined.
int whole_font_size(float font_size) {
    if (font_size >= 2147483648.0f) return INT_MAX;
    if (font_size < -2147483648.0f) return INT_MIN;
    return static_cast<int>(font_size);
}

void check_document_size(const SectionDocument& doc, const Place& place) {
    if (document_bytes(doc) > max_document_bytes) {
        fail_at(place, "", "the drawing grows past the limit of " + std::to_string(max_document_bytes >> 20) +
                               " MiB for one SVG file");
    }
}

// Draws the selected layers of one component.
void draw_component(Component& component, const Pass& pass, const Arguments& args, const LaserStyle& style,
                    SectionDocument& doc, std::ostream& out) {
    try {
        if (pass.components) {
            draw_cutout(component, style, doc.svg);
        }
        if (pass.recess) {
            draw_recess(component, args.recess_lines_per_mm, style, doc, out);
        }
        if (pass.text) {
            draw_label(component, style, doc, out, args.whole_label_numbers);
        }
    } catch (const UnwritableNumber& e) {
        fail_at(component.place, "", e.what());
    }
    check_document_size(doc, component.place);
}

// The document goes to its file in pieces of about this size, so that a
// large drawing is never held whole in memory and its text is still in the
// processor's cache when it is written.
constexpr std::size_t piece_bytes = std::size_t{256} << 10;

// Writes the document's text so far to its file (none when simulating) and
// keeps the buffer for the text that follows. Every byte counts against the
// run's budget: the section that would cross it is refused before the text
// reaches the disk, and its scratch file goes with the error.
void pass_on(SectionDocument& doc, DrawingSink* file, RunContext& context, const Place& place) {
    const std::size_t bytes = written_size(doc.svg);
    if (file != nullptr) {
        if (!take_from_write_budget(context, bytes)) {
            fail_at(place, "", "writing its file would take the run " + past_write_budget());
        }
        file->write(doc.svg);
    }
    if (doc.dxf != nullptr) {
        doc.dxf->feed(doc.svg);
    }
    doc.passed_on += bytes;
    doc.svg.clear();
}

// Builds the section's document and hands it to `file` as it grows; the
// caller commits the file.
void build_section(const std::string& key, const json& section, const BoxSize& box, const Pass& pass,
                   const Arguments& args, const LaserStyle& style, const Place& place, RunContext& context,
                   DrawingSink* file, DxfOutput* dxf = nullptr) {
    const PanelSize size = checked_panel_size(key, box, args, style, place);
    SectionDocument doc;
    doc.dxf = dxf;
    doc.svg.reserve(2 * piece_bytes);
    // The one place the header is made, so that a sheet places the page the
    // file really has.
    doc.svg += section_header(key, box, args, style, place);
    doc.pass_on_full_piece = [&] {
        if (doc.svg.size() >= piece_bytes) pass_on(doc, file, context, place);
    };
    for (const auto& [component_key, value] : section_members(section, place)) {
        Component component = read_component(component_key, *value, place);
        draw_component(component, pass, args, style, doc, context.out);
        if (doc.svg.size() >= piece_bytes) {
            pass_on(doc, file, context, place);
        }
    }
    try {
        draw_screws(key, box, pass.screw_size_top, pass.screw_size_bottom, pass.screw_head_diameter, args, style,
                    doc, context.out, place);
    } catch (const UnwritableNumber& e) {
        fail_at(place, "", std::string("screws: ") + e.what());
    }
    doc.svg += args.finger_joints
                   ? draw_jointed_board(section_kind(key), size.width, size.height, pass.outline, box, args, style)
                   : draw_board(size.width, size.height, pass.outline, style);
    doc.svg += svg_footer;
    check_document_size(doc, place);
    pass_on(doc, file, context, place);
}

}  // namespace

std::string section_header(const std::string& key, const BoxSize& box, const Arguments& args,
                           const LaserStyle& style, const Place& place) {
    const PanelSize size = checked_panel_size(key, box, args, style, place);
    return prepare_header(size.width, size.height, whole_font_size(args.font_size), style,
                          finger_margins(section_kind(key), box, args));
}

void draw_section(const std::string& key, const json& section, const BoxSize& box, const Pass& pass,
                  const Arguments& args, const LaserStyle& style, const Place& place, RunContext& context,
                  DrawingSink& sink) {
    build_section(key, section, box, pass, args, style, place, context, &sink);
}

bool take_from_write_budget(RunContext& context, std::uintmax_t bytes) {
    if (bytes > context.write_budget) return false;
    context.write_budget -= bytes;
    return true;
}

std::string past_write_budget() {
    return "past " + std::to_string(max_run_write_bytes >> 20) + " MiB written in all";
}

void draw_all(const std::string& json_file, const std::string& output_directory, bool text, bool components,
              bool outline, bool recess, float screw_size_top, float screw_size_bottom, float screw_head_diameter,
              const Arguments& args, RunContext& context) {
    const Pass pass{text, components, outline, recess, screw_size_top, screw_size_bottom, screw_head_diameter};
    if (!context.project || context.project_file != json_file) {
        json loaded = load_project(json_file);
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
    if (!context.design_warned) warn_about_generic(project, json_file, context.err);
    const LaserStyle style(args);
    DxfFont dxf_font(args);
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
        std::optional<DxfOutput> dxf;
        if (args.dxf && !args.simulate) {
            dxf.emplace(path, dxf_font);
        }
        build_section(key, section, box, pass, args, style, place, context, args.simulate ? nullptr : &file,
                      dxf ? &*dxf : nullptr);
        if (!context.design_warned) {
            warn_about_section(key, section, box, args, place, context.err);
            warn_about_joints(key, section, box, args, place, context.err);
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
        if (dxf) {
            dxf->commit(key + *suffix, context, place);
        }
        if (args.vectorize) {
            vectorize_file(key, *suffix, path, args, context);
        } else {
            remove_stale_vector_file(path, json_file, context);
        }
    }
    context.design_warned = true;
    if (sheets) {
        write_sheets(*sheets, project, box, pass, args, style, folder, *suffix, context, dxf_font);
    }
}
