#include "parts/listing.hpp"

#include "panel/frame.hpp"

namespace {

std::string mm(double value) { return format_float_as_str(value, 2); }

std::string area(const std::optional<double>& diameter, const std::optional<double>& width,
                 const std::optional<double>& height) {
    std::string text;
    if (diameter) text = "round " + mm(*diameter);
    if (width && height) text += (text.empty() ? "" : ", or ") + mm(*width) + " x " + mm(*height);
    return text;
}

std::string holes(const Part& part) {
    std::string text;
    for (const PartHole& h : part.holes) {
        if (!text.empty()) text += "; ";
        text += h.round ? "round " + mm(h.diameter) : mm(h.width) + " x " + mm(h.height);
        text += " at (" + mm(h.x) + ", " + mm(h.y) + ")";
    }
    return text;
}

}  // namespace

void print_part_list(const PartLibrary& library, std::ostream& out) {
    if (library.files.empty()) {
        out << "No parts library was found." << std::endl;
        return;
    }
    out << "Parts (sizes in mm, x to the right and y downwards from the centre), from:" << std::endl;
    for (const std::string& file : library.files) {
        out << "  " << file << std::endl;
    }
    for (const auto& [name, part] : library.parts) {
        out << std::endl << name << ": " << part.description << std::endl;
        out << "  cut-out: " << area(part.drill_diameter, part.drill_width, part.drill_height) << std::endl;
        const std::string visible = area(part.visible_diameter, part.visible_width, part.visible_height);
        if (!visible.empty()) out << "  visible: " << visible << std::endl;
        if (!part.holes.empty()) out << "  holes: " << holes(part) << std::endl;
        out << "  source: " << part.source << std::endl;
    }
}
