#include "drawing/section_drawing.hpp"

#include <climits>
#include <cmath>

#include "graphics/graphics_drawing.hpp"
#include "joints/outline_path.hpp"
#include "panel/cutouts.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/hatching.hpp"
#include "panel/labels.hpp"
#include "panel/layout.hpp"
#include "panel/screws.hpp"
#include "panel/section.hpp"

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
    const ComponentGraphics graphics = read_graphics(component);
    try {
        if (pass.components) {
            draw_cutout(component, style, doc.svg);
        }
        if (pass.recess) {
            draw_recess(component, args.recess_lines_per_mm, style, doc, out);
        }
        if (pass.text) {
            draw_label(component, style, doc, out, args.whole_label_numbers);
            draw_graphics(graphics, component, style, whole_font_size(args.font_size), doc.svg);
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

// Hands the document's text so far on to its sink (none when simulating) and
// keeps the buffer for the text that follows.
void pass_on(SectionDocument& doc, DrawingSink* sink) {
    const std::size_t bytes = written_size(doc.svg);
    if (sink != nullptr) {
        sink->write(doc.svg);
    }
    doc.passed_on += bytes;
    doc.svg.clear();
}

}  // namespace

void draw_section(const std::string& key, const json& section, const BoxSize& box, const Pass& pass,
                  const Arguments& args, const LaserStyle& style, const Place& place, std::ostream& out,
                  DrawingSink* sink) {
    const PanelSize size = checked_panel_size(key, box, args, style, place);
    SectionDocument doc;
    doc.svg.reserve(2 * piece_bytes);
    // The one place the header is made, so that a sheet places the page the
    // file really has.
    doc.svg += section_header(key, box, args, style, place);
    doc.pass_on_full_piece = [&] {
        if (doc.svg.size() >= piece_bytes) pass_on(doc, sink);
    };
    for (const auto& [component_key, value] : section_members(section, place)) {
        Component component = read_component(component_key, *value, place);
        draw_component(component, pass, args, style, doc, out);
        if (doc.svg.size() >= piece_bytes) {
            pass_on(doc, sink);
        }
    }
    try {
        draw_screws(key, box, pass.screw_size_top, pass.screw_size_bottom, pass.screw_head_diameter, args, style,
                    doc, out, place);
    } catch (const UnwritableNumber& e) {
        fail_at(place, "", std::string("screws: ") + e.what());
    }
    doc.svg += args.finger_joints
                   ? draw_jointed_board(section_kind(key), size.width, size.height, pass.outline, box, args, style)
                   : draw_board(size.width, size.height, pass.outline, style);
    doc.svg += svg_footer;
    check_document_size(doc, place);
    pass_on(doc, sink);
}

std::string section_header(const std::string& key, const BoxSize& box, const Arguments& args,
                           const LaserStyle& style, const Place& place) {
    const PanelSize size = checked_panel_size(key, box, args, style, place);
    return prepare_header(size.width, size.height, whole_font_size(args.font_size), style,
                          finger_margins(section_kind(key), box, args));
}

std::string draw_section_text(const std::string& key, const json& section, const BoxSize& box, const Pass& pass,
                              const Arguments& args, const LaserStyle& style, const Place& place,
                              std::ostream& out) {
    TextSink sink;
    draw_section(key, section, box, pass, args, style, place, out, &sink);
    return std::move(sink.text());
}
