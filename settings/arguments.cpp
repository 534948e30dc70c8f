#include "settings/arguments.hpp"

const std::string VERSION = "1.0.0";

namespace {

const char* yes_no(bool value) { return value ? "Yes" : "No"; }

// The laser settings show only when they differ from their defaults, so a
// run without them reports exactly what it always did.
void print_laser_settings(const Arguments& a, std::ostream& out) {
    if (a.physical_size) out << "Physical page size: Yes" << std::endl;
    if (!a.cut_color.empty()) out << "Cut color: " << a.cut_color << std::endl;
    if (!a.engrave_color.empty()) out << "Engrave color: " << a.engrave_color << std::endl;
    if (a.kerf != 0) out << "Kerf: " << a.kerf << " mm" << std::endl;
    if (a.kerf_x) out << "Kerf along x: " << *a.kerf_x << " mm" << std::endl;
    if (a.kerf_y) out << "Kerf along y: " << *a.kerf_y << " mm" << std::endl;
}

// Shown only when the joints are on; the width is the one in use.
void print_finger_settings(const Arguments& a, std::ostream& out) {
    if (!a.finger_joints) return;
    const float width = a.finger_width > 0 ? a.finger_width : 2 * a.material_thickness;
    out << "Finger joints: Yes (segments at least " << width << " mm long";
    if (a.finger_width <= 0) out << ", twice the material thickness";
    out << ")" << std::endl;
    if (a.finger_play != 0) out << "Finger play: " << a.finger_play << " mm" << std::endl;
}

// The sheet lines show only when sheets are asked for (or the gap is moved).
void print_sheet_settings(const Arguments& a, std::ostream& out) {
    if (a.sheet_width > 0) out << "Sheet size: " << a.sheet_width << " x " << a.sheet_height << " mm" << std::endl;
    if (a.sheet_width > 0 || a.sheet_gap != 3.0f) out << "Sheet gap: " << a.sheet_gap << " mm" << std::endl;
}

}  // namespace

bool has_output_layer(const Arguments& args) {
    return args.text || args.components || args.outline || args.recess;
}

void print_banner(std::ostream& out) {
    out << "== ZELKORA SVG Generator for Laser Engraving Machines ==" << std::endl;
    out << std::endl;
    out << "== Version: " << VERSION << " ==" << std::endl;
    out << std::endl;
    out << "== Website: https://www.zelkora.com ==" << std::endl;
    out << "== Disclaimer: This software is provided as-is, with no guarantees. Use at your own risk. =="
        << std::endl;
}

// Floats print in the stream's default form (six significant digits), so the
// report shows 3 as 3 and 1234567 as 1.23457e+06.
void print_settings_report(const Arguments& a, std::ostream& out) {
    out << "~~~~~ Settings ~~~~~" << std::endl;
    out << "Box height in 3D: " << a.box_height_3d << " mm" << std::endl;
    out << "Outer sizing enabled: " << yes_no(a.outer_sizing) << std::endl;
    out << "Text enabled: " << yes_no(a.text) << " (Font Size: " << a.font_size << " px)" << std::endl;
    out << "Components enabled: " << yes_no(a.components) << std::endl;
    out << "Side outline enabled: " << yes_no(a.outline) << std::endl;
    out << "Recess for components enabled: " << yes_no(a.recess) << std::endl;
    out << "Line per mm for recess areas: " << a.recess_lines_per_mm << std::endl;
    out << "Material thickness: " << a.material_thickness << " mm" << std::endl;
    out << "Screw size top: " << a.screw_size_top << " mm" << std::endl;
    out << "Screw size bottom: " << a.screw_size_bottom << " mm" << std::endl;
    out << "Screw head diameter: " << a.screw_head_diameter << " mm" << std::endl;
    out << "Screw extra margin: " << a.screw_extra_margin << " mm" << std::endl;
    out << "Separate all output files: " << yes_no(a.separate_files) << std::endl;
    out << "Vectorize enabled: " << yes_no(a.vectorize) << std::endl;
    out << "Keep original files: " << yes_no(a.keep_files) << std::endl;
    out << "Simulation enabled: " << yes_no(a.simulate) << std::endl;
    out << "Inkscape path: " << a.inkscape_path << std::endl;
    print_laser_settings(a, out);
    if (a.vectorizer != "inkscape") {
        out << "Vectorizer: " << a.vectorizer << std::endl;
    }
    if (!a.font_file.empty()) {
        out << "Font file: " << a.font_file << std::endl;
    }
    if (a.whole_label_numbers) {
        out << "Whole label numbers: Yes" << std::endl;
    }
    print_finger_settings(a, out);
    if (!a.parts.empty()) {
        out << "Parts file: " << a.parts << std::endl;
    }
    if (a.dxf) {
        out << "DXF files: Yes" << std::endl;
    }
    print_sheet_settings(a, out);
    if (a.strict) {
        out << "Strict status: Yes" << std::endl;
    }
    if (a.lightburn) out << "LightBurn projects: Yes" << std::endl;
    if (!a.lightburn_settings.empty()) out << "LightBurn settings: " << a.lightburn_settings << std::endl;
    if (a.test_piece) out << "Test piece: Yes" << std::endl;
    out << "======================" << std::endl;
}

bool print_advisories(const Arguments& a, std::ostream& out) {
    if (!has_output_layer(a)) {
        out << "No output option selected. Use one or more of --text, --components, --outline, --recess."
            << std::endl;
        return false;
    }
    if (a.recess && !a.separate_files) {
        out << "Warning: Using --recess without --separate-files may cause the recesses overlap with the "
               "drill holes/areas!"
            << std::endl;
    }
    if (a.recess && a.recess_lines_per_mm == 1.0f) {
        out << "Note: Consider using --recess with --recess-lines-per-mm to have more control over line count."
            << std::endl;
    }
    return true;
}
