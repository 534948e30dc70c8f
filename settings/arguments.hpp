#pragma once

#include <ostream>
#include <optional>
#include <string>

// The run settings, filled once from the command line and read-only after.
// Field names follow the long option names.
struct Arguments {
    std::string json_file;
    std::string output_directory;
    float material_thickness;
    float box_height_3d;
    float font_size;
    bool text = true;
    bool components = true;
    bool outline = true;
    bool recess = false;
    float recess_lines_per_mm;
    bool vectorize = true;
    bool separate_files = false;
    bool keep_files = false;
    bool outer_sizing = false;
    std::string inkscape_path;
    float screw_size_top;
    float screw_size_bottom;
    float screw_head_diameter;
    float screw_extra_margin;
    bool simulate = false;
    // For laser programs; the defaults keep the plain drawing.
    bool physical_size = false;  // page size in mm with a viewBox
    std::string cut_color;       // "#" and six hex digits; empty keeps black
    std::string engrave_color;   // likewise
    float kerf = 0;              // mm the beam takes away
    // "inkscape" runs the outside program; "builtin" converts in-process.
    std::string vectorizer = "inkscape";
    // The labels' font for the builtin vectorizer; empty: the system's own.
    std::string font_file;
    // Knobs and buttons numbered "Knob 3" rather than "Knob 3.00".
    bool whole_label_numbers = false;
    // Finger joints between the panels; the defaults keep plain rectangles.
    bool finger_joints = false;
    float finger_width = 0;  // mm; 0: twice the material thickness
    float finger_play = 0;   // mm every notch is widened by
    // The user's own parts library over the shipped one; empty: none.
    std::string parts;
    // A DXF file in mm beside every drawing, for cutting services and CAD.
    bool dxf = false;
    // Material sheets to lay every panel out on, in mm; 0 by 0: none.
    float sheet_width = 0;
    float sheet_height = 0;
    float sheet_gap = 3;  // mm between panels and from the sheet's edge
    // A failed vectorization makes the run's status 3 instead of 0.
    bool strict = false;
    // A LightBurn project beside every drawing, and its layers' machine
    // settings (a JSON file; empty: LightBurn's defaults).
    bool lightburn = false;
    std::string lightburn_settings;
    // A kerf and fit test piece, test-piece.svg; without a project file the
    // run writes only that.
    bool test_piece = false;
    // The kerf along each axis, for a beam spot that is not round; not given:
    // --kerf.
    std::optional<float> kerf_x;
    std::optional<float> kerf_y;
};

extern const std::string VERSION;

// True when at least one drawing layer is switched on (screws do not count).
bool has_output_layer(const Arguments& args);

void print_banner(std::ostream& out);
void print_settings_report(const Arguments& args, std::ostream& out);
// The no-output refusal, the recess warning and the density note.
// Returns false when the run must stop because no layer is selected.
bool print_advisories(const Arguments& args, std::ostream& out);
