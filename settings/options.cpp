#include "settings/options.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <sstream>
#include <string_view>
#include <utility>

#include "settings/sheet_settings.hpp"

#ifdef _WIN32
const std::string default_inkscape_path = "C:\\\\Progra~1\\\\Inkscape\\\\bin\\\\inkscape.com";
#else
const std::string default_inkscape_path = "inkscape";
#endif

namespace {

#ifdef _WIN32
const std::string open_quote = "'";
const std::string close_quote = "'";
#else
const std::string open_quote = "\u2018";
const std::string close_quote = "\u2019";
#endif

// The option library reads fractions with a stream and stops at the first
// character it cannot use, so "1,5" would quietly become 1. Accept a value
// only when the stream reads it to its very end.
template <typename T>
bool reads_completely(const std::string& text) {
    std::istringstream in(text);
    T value{};
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof();
}

// The library checks the digits of a whole number (decimal or 0x hex) but
// lets a value beyond int wrap around; 9999999999 must not become 1410065407.
bool fits_int(const std::string& text) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    unsigned long long magnitude = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        return false;
    }
    const unsigned long long limit = static_cast<unsigned long long>(INT_MAX) + (negative ? 1 : 0);
    return magnitude <= limit;
}

bool is_float_option(const std::string& name) {
    return name == "material-thickness" || name == "box-height-3d" || name == "recess-lines-per-mm" ||
           name == "screw-size-top" || name == "screw-size-bottom" || name == "screw-head-diameter" ||
           name == "screw-extra-margin" || name == "kerf" || name == "finger-width" || name == "finger-play" ||
           name == "kerf-x" || name == "kerf-y";
}

void refuse_partial_numbers(const cxxopts::ParseResult& result) {
    for (const auto& given : result.arguments()) {
        const bool refused = is_float_option(given.key()) ? !reads_completely<float>(given.value())
                             : given.key() == "font-size" ? !fits_int(given.value())
                                                          : false;
        if (refused) {
            throw cxxopts::exceptions::parsing("Argument " + quoted_option(given.value()) + " of option " +
                                               quoted_option(given.key()) + " failed to parse");
        }
    }
}

[[noreturn]] void refuse_value(const std::string& option, const std::string& rule) {
    throw cxxopts::exceptions::parsing("Option " + quoted_option(option) + " must be " + rule);
}

// Laser programs pick the operation by exact colour, so only the "#RRGGBB"
// form they all read is taken.
bool is_hex_colour(const std::string& text) {
    return text.size() == 7 && text[0] == '#' &&
           std::all_of(text.begin() + 1, text.end(), [](unsigned char ch) { return std::isxdigit(ch) != 0; });
}

// An empty colour given ("--cut-color ''") is no colour: black is asked for
// by leaving the option out.
void refuse_empty_colours(const cxxopts::ParseResult& result) {
    for (const char* option : {"cut-color", "engrave-color"}) {
        if (result.count(option) > 0 && result[option].as<std::string>().empty()) {
            refuse_value(option, "# followed by six hex digits, such as #FF0000");
        }
    }
}

void check_laser_settings(const Arguments& a) {
    for (const auto& [option, colour] : {std::pair{"cut-color", &a.cut_color}, {"engrave-color", &a.engrave_color}}) {
        if (!colour->empty() && !is_hex_colour(*colour)) {
            refuse_value(option, "# followed by six hex digits, such as #FF0000");
        }
    }
    if (!(a.kerf >= 0.0f) || !std::isfinite(a.kerf)) {
        refuse_value("kerf", "a number of 0 or more");
    }
    for (const auto& [option, kerf] : {std::pair{"kerf-x", &a.kerf_x}, {"kerf-y", &a.kerf_y}}) {
        if (*kerf && (!(**kerf >= 0.0f) || !std::isfinite(**kerf))) refuse_value(option, "a number of 0 or more");
    }
}

// Sizes end up as widths, heights, radii and font sizes in the drawings,
// where a negative one is invalid and draws nothing. The extra screw margin
// only moves the holes and stays free.
void refuse_negative_sizes(const Arguments& a) {
    const std::pair<const char*, float> sizes[] = {
        {"material-thickness", a.material_thickness}, {"box-height-3d", a.box_height_3d},
        {"screw-size-top", a.screw_size_top},         {"screw-size-bottom", a.screw_size_bottom},
        {"screw-head-diameter", a.screw_head_diameter},
    };
    for (const auto& [name, value] : sizes) {
        if (value < 0.0f) {
            refuse_value(name, "a number of 0 or more");
        }
    }
    if (!(a.font_size > 0.0f)) {
        refuse_value("font-size", "greater than 0");
    }
}

// Segments shorter than the material would leave fingers thinner than they
// are long; the play and the kerf must leave the notches' neighbours standing.
void check_finger_settings(const Arguments& a) {
    if (!(a.finger_width >= 0.0f) || !std::isfinite(a.finger_width) ||
        (a.finger_width > 0.0f && a.finger_width < a.material_thickness)) {
        refuse_value("finger-width", "0 (twice the material thickness) or at least the material thickness");
    }
    if (!(a.finger_play >= 0.0f) || !std::isfinite(a.finger_play)) {
        refuse_value("finger-play", "a number of 0 or more");
    }
    if (!a.finger_joints) return;
    if (!(a.material_thickness > 0.0f)) {
        refuse_value("material-thickness", "greater than 0 for finger joints");
    }
    if (!(a.finger_play < a.material_thickness)) {
        refuse_value("finger-play", "smaller than the material thickness");
    }
    if (!(a.kerf < a.material_thickness)) {
        refuse_value("kerf", "smaller than the material thickness for finger joints");
    }
    for (const auto& [option, kerf] : {std::pair{"kerf-x", &a.kerf_x}, {"kerf-y", &a.kerf_y}}) {
        if (*kerf && !(**kerf < a.material_thickness)) {
            refuse_value(option, "smaller than the material thickness for finger joints");
        }
    }
}

}  // namespace

std::string quoted_option(const std::string& name) { return open_quote + name + close_quote; }

std::string program_description(int current_year) {
    return "ZELKORA SVG Generator for Laser Engraving Machines (v." + VERSION + ")\n" + "\n" +
           "(c) 2024-" + std::to_string(current_year) + " ZELKORA. All rights reserved.\n" +
           "Website: https://www.zelkora.com\n" +
           "Disclaimer: This software is provided as-is, with no guarantees. Use at your own risk.";
}

cxxopts::Options make_options(const std::string& program_name, int current_year) {
    cxxopts::Options options(program_name, program_description(current_year));
    options.add_options("")
        ("j,json-file", "Path to the project JSON file", cxxopts::value<std::string>(), "")
        ("o,output-directory", "Directory to store the output", cxxopts::value<std::string>(), "")
        ("m,material-thickness", "Material thickness in mm", cxxopts::value<float>(), "")
        ("b,box-height-3d", "Box height in 3D in mm", cxxopts::value<float>(), "")
        ("t,text", "Enable text output of components", cxxopts::value<bool>()->default_value("true"), "")
        ("f,font-size", "Font size of component text in px", cxxopts::value<int>()->default_value("8"), "")
        ("c,components", "Enable component output", cxxopts::value<bool>()->default_value("true"), "")
        ("l,outline", "Enable side outline output", cxxopts::value<bool>()->default_value("true"), "")
        ("r,recess", "Enable recess output for components", cxxopts::value<bool>()->default_value("false"), "")
        ("n,recess-lines-per-mm", "Recess lines per mm", cxxopts::value<float>()->default_value("1"), "")
        ("v,vectorize", "Vectorize output", cxxopts::value<bool>()->default_value("true"), "")
        ("e,separate-files", "Separate all outputs to their files for easier engraving and cutting",
         cxxopts::value<bool>()->default_value("false"), "")
        ("k,keep-files", "Keep non-vectorized files", cxxopts::value<bool>()->default_value("false"), "")
        ("z,outer-sizing", "Box sizes are for outside borders (inner area will be smaller)",
         cxxopts::value<bool>()->default_value("false"), "")
        ("p,screw-size-top", "Screw diameter top in mm", cxxopts::value<float>()->default_value("0"), "")
        ("w,screw-size-bottom", "Screw diameter bottom in mm", cxxopts::value<float>()->default_value("0"), "")
        ("d,screw-head-diameter", "Screw head diameter in mm", cxxopts::value<float>()->default_value("0"), "")
        ("x,screw-extra-margin", "Screw extra margin in mm", cxxopts::value<float>()->default_value("0"), "")
        ("s,simulate", "Simulate, do not write any files", cxxopts::value<bool>()->default_value("false"), "")
        ("i,inkscape-path", "Inkscape command", cxxopts::value<std::string>()->default_value(default_inkscape_path),
         "")
        ("h,help", "Show this help and quit", cxxopts::value<bool>(), "")
        ("physical-size", "Give the page size in mm, for laser programs that need units",
         cxxopts::value<bool>()->default_value("false"), "")
        ("cut-color", "Colour of the cut lines (#RRGGBB), black if not given", cxxopts::value<std::string>(), "")
        ("engrave-color", "Colour of the engraved lines and labels (#RRGGBB), black if not given",
         cxxopts::value<std::string>(), "")
        ("kerf", "Width in mm the laser beam burns away; cut lines move by half of it so parts keep their size",
         cxxopts::value<float>()->default_value("0"), "")
        ("vectorizer", "Vector converter: inkscape (the outside program) or builtin (in-process)",
         cxxopts::value<std::string>()->default_value("inkscape"), "")
        ("font-file", "Font file for the labels of the builtin vectorizer (default: the system's bold sans-serif)",
         cxxopts::value<std::string>(), "")
        ("whole-label-numbers", "Number knobs and buttons as Knob 3 instead of Knob 3.00",
         cxxopts::value<bool>()->default_value("false"), "")
        ("finger-joints", "Join the panels with finger joints instead of butt joints",
         cxxopts::value<bool>()->default_value("false"), "")
        ("finger-width", "Least length of a finger in mm; 0 takes twice the material thickness",
         cxxopts::value<float>()->default_value("0"), "")
        ("finger-play", "Width in mm every notch of a finger joint is widened by, for a looser fit",
         cxxopts::value<float>()->default_value("0"), "")
        ("parts", "Your own parts library (JSON); its parts replace shipped parts of the same name",
         cxxopts::value<std::string>(), "")
        ("list-parts", "List the known parts with their sizes in mm and quit", cxxopts::value<bool>(), "")
        ("dxf", "Also write every drawing as a DXF file in mm (layers CUT and ENGRAVE) for cutting services and CAD",
         cxxopts::value<bool>()->default_value("false"), "")
        ("sheet", "Also lay all panels out on material sheets of this size in mm, such as 600x400",
         cxxopts::value<std::string>(), "")
        ("sheet-gap", "Gap in mm between panels on a sheet and from its edge",
         cxxopts::value<std::string>()->default_value("3"), "")
        ("strict", "End with status 3 when any file failed to vectorize or to convert to DXF",
         cxxopts::value<bool>()->default_value("false"), "")
        ("list-board", "List the footprints of a KiCad board file (.kicad_pcb) and the parts they become, and quit",
         cxxopts::value<std::string>(), "")
        ("studio", "Design the box in the browser: serve the studio page on this computer until Ctrl-C",
         cxxopts::value<bool>()->default_value("false"), "")
        ("port", "Port of the studio; 0 takes any free port", cxxopts::value<int>()->default_value("0"), "")
        ("open", "Open the studio's address in the system's browser", cxxopts::value<bool>()->default_value("false"),
         "")
        ("lightburn", "Also write every drawing as a LightBurn project (.lbrn2) with its layers in cutting order",
         cxxopts::value<bool>()->default_value("false"), "")
        ("lightburn-settings", "JSON file of speed, power and passes per LightBurn layer (engrave, inner_cuts, "
         "outlines)", cxxopts::value<std::string>(), "")
        ("test-piece", "Also write test-piece.svg, a small kerf and fit test to cut first; alone it needs only -o "
         "and -m", cxxopts::value<bool>()->default_value("false"), "")
        ("kerf-x", "Kerf in mm along x, for a beam spot that is not round (default: --kerf)",
         cxxopts::value<float>(), "")
        ("kerf-y", "Kerf in mm along y (default: --kerf)", cxxopts::value<float>(), "");
    return options;
}

// A word that is neither an option nor an option's value would be ignored by
// the library, and "-t false" would leave the labels on while the maker
// believes them off.
void refuse_stray_words(const cxxopts::ParseResult& result) {
    if (!result.unmatched().empty()) {
        throw cxxopts::exceptions::parsing(
            "Unexpected word " + quoted_option(result.unmatched().front()) +
            ": it is neither an option nor an option's value (a switch takes a value only as --name=value)");
    }
}

Arguments read_arguments(const cxxopts::ParseResult& result) {
    refuse_stray_words(result);
    refuse_partial_numbers(result);

    Arguments a;
    a.test_piece = result["test-piece"].as<bool>();
    // The test piece alone needs no project and no box.
    const bool piece_only = a.test_piece && result.count("json-file") == 0;
    if (!piece_only) a.json_file = result["json-file"].as<std::string>();
    a.output_directory = result["output-directory"].as<std::string>();
    a.text = result["text"].as<bool>();
    a.components = result["components"].as<bool>();
    a.outline = result["outline"].as<bool>();
    a.recess = result["recess"].as<bool>();
    a.vectorize = result["vectorize"].as<bool>();
    a.separate_files = result["separate-files"].as<bool>();
    a.keep_files = result["keep-files"].as<bool>();
    a.outer_sizing = result["outer-sizing"].as<bool>();
    a.simulate = result["simulate"].as<bool>();
    a.material_thickness = result["material-thickness"].as<float>();
    a.screw_size_top = result["screw-size-top"].as<float>();
    a.screw_size_bottom = result["screw-size-bottom"].as<float>();
    a.screw_head_diameter = result["screw-head-diameter"].as<float>();
    a.screw_extra_margin = result["screw-extra-margin"].as<float>();
    a.recess_lines_per_mm = result["recess-lines-per-mm"].as<float>();
    a.box_height_3d = piece_only && result.count("box-height-3d") == 0 ? 0.0f : result["box-height-3d"].as<float>();
    a.font_size = static_cast<float>(result["font-size"].as<int>());
    a.inkscape_path = result["inkscape-path"].as<std::string>();
    a.physical_size = result["physical-size"].as<bool>();
    if (result.count("cut-color") > 0) a.cut_color = result["cut-color"].as<std::string>();
    if (result.count("engrave-color") > 0) a.engrave_color = result["engrave-color"].as<std::string>();
    a.kerf = result["kerf"].as<float>();
    a.vectorizer = result["vectorizer"].as<std::string>();
    if (result.count("font-file") > 0) a.font_file = result["font-file"].as<std::string>();
    a.whole_label_numbers = result["whole-label-numbers"].as<bool>();
    a.finger_joints = result["finger-joints"].as<bool>();
    a.finger_width = result["finger-width"].as<float>();
    a.finger_play = result["finger-play"].as<float>();
    // A second library would silently replace the first.
    if (result.count("parts") > 1) refuse_value("parts", "given once (one library of your own)");
    if (result.count("parts") > 0) a.parts = result["parts"].as<std::string>();
    a.dxf = result["dxf"].as<bool>();
    a.strict = result["strict"].as<bool>();
    a.lightburn = result["lightburn"].as<bool>();
    if (result.count("lightburn-settings") > 0) a.lightburn_settings = result["lightburn-settings"].as<std::string>();
    if (result.count("kerf-x") > 0) a.kerf_x = result["kerf-x"].as<float>();
    if (result.count("kerf-y") > 0) a.kerf_y = result["kerf-y"].as<float>();

    // The hatch step is 1 / density: zero, negative or non-finite densities
    // would give hatch loops that never end.
    if (!(a.recess_lines_per_mm > 0.0f) || !std::isfinite(a.recess_lines_per_mm)) {
        refuse_value("recess-lines-per-mm", "a number greater than 0");
    }
    check_laser_settings(a);
    refuse_empty_colours(result);
    if (a.vectorizer != "inkscape" && a.vectorizer != "builtin") {
        refuse_value("vectorizer", "inkscape or builtin, not " + quoted_option(a.vectorizer));
    }
    refuse_negative_sizes(a);
    check_finger_settings(a);
    read_sheet_settings(result, a);
    if (!a.lightburn_settings.empty() && !a.lightburn) refuse_value("lightburn-settings", "given with --lightburn");
    return a;
}
