#include "panel/project.hpp"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "panel/panel.hpp"
#include "panel/project_limits.hpp"
#include "panel/part_holes.hpp"
#include "settings/utf8_path.hpp"

json load_project(const std::string& path) {
    Place place{path, {}, {}};
    std::error_code ec;
    if (std::filesystem::is_directory(utf8_path(path), ec)) {
        fail_at(place, "", "this is a folder, not a file");
    }
    std::ifstream file(utf8_path(path), std::ios::binary);
    if (!file) {
        fail_at(place, "", std::string("cannot open the file: ") + std::strerror(errno));
    }
    std::string content;
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        content.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (content.size() > max_project_bytes) {
            fail_at(place, "", "the file is larger than " + std::to_string(max_project_bytes >> 20) +
                                   " MiB; no box design is that large");
        }
    }
    if (file.bad()) {
        fail_at(place, "", "cannot read the file");
    }
    if (content.find_first_not_of(" \t\r\n") == std::string::npos) {
        fail_at(place, "", "the file is empty");
    }
    if (auto reason = project_too_large(content)) {
        fail_at(place, "", *reason);
    }
    json project;
    std::istringstream in(std::move(content));
    try {
        in >> project;
    } catch (const json::exception& e) {
        fail_at(place, "", std::string("not valid JSON: ") + e.what());
    }
    if (!project.is_object()) {
        fail_at(place, "", std::string("the top level must be an object, found ") + project.type_name());
    }
    return project;
}

namespace {

const json& member(const json& object, const char* key, const Place& place) {
    auto it = object.find(key);
    if (it == object.end()) {
        fail_at(place, key, "missing");
    }
    return *it;
}

double read_number(const json& value, const char* key, const Place& place) {
    if (!value.is_number()) {
        fail_at(place, key, std::string("expected a number, found ") + value.type_name());
    }
    return value.get<double>();
}

// Whole numbers go straight to single precision, as the JSON layer converts
// them; only fractions pass through double.
float read_single(const json& value, const char* key, const Place& place) {
    if (value.is_number_unsigned()) {
        return static_cast<float>(value.get<unsigned long long>());
    }
    if (value.is_number_integer()) {
        return static_cast<float>(value.get<long long>());
    }
    double number = read_number(value, key, place);
    if (!(std::fabs(number) <= FLT_MAX)) {
        fail_at(place, key, "the number is out of range");
    }
    return static_cast<float>(number);
}

float read_float(const json& object, const char* key, const Place& place) {
    return read_single(member(object, key, place), key, place);
}

// A length in pixels must stay a finite number, or no coordinate can be written.
float checked_px(float px, const char* key, const Place& place) {
    if (!std::isfinite(px)) {
        fail_at(place, key, "the number is out of range once converted to pixels");
    }
    return px;
}

// Sizes become widths, heights and radii in the drawings, where a negative
// one is invalid and a laser cuts nothing.
float size_px(float px, const char* key, const Place& place) {
    if (px < 0.0f) {
        fail_at(place, key, "a size cannot be negative");
    }
    return checked_px(px, key, place);
}

// A width or height given in the component is drawn as it stands and may not
// be negative. One taken over from a diameter is never drawn by itself (a
// rectangle needs both keys), so a negative diameter may pass through it.
float rectangle_px(const json& object, const char* key, const Place& place, float fallback_px) {
    if (!object.contains(key)) {
        return checked_px(fallback_px, key, place);
    }
    return size_px(read_float(object, key, place) * cm_to_px, key, place);
}

// Drill and visible diameters are read in double precision and only the
// pixel value is narrowed. A diameter of 0 or less is never drawn as a
// circle: with a width and a height it selects the rectangle, so it may be
// negative.
float diameter_px(const json& object, const char* key, const Place& place) {
    auto it = object.find(key);
    double cm = it == object.end() ? 0.0 : read_number(*it, key, place);
    double px = cm * static_cast<double>(cm_to_px);
    return checked_px(static_cast<float>(std::fabs(px) <= FLT_MAX ? px : HUGE_VAL), key, place);
}

std::string optional_string(const json& object, const char* key, const Place& place) {
    auto it = object.find(key);
    if (it == object.end()) {
        return {};
    }
    if (!it->is_string()) {
        fail_at(place, key, std::string("expected a string, found ") + it->type_name());
    }
    return it->get_ref<const std::string&>();
}

// "label_size" in px and "label_offset" as [x, y] in cm.
void read_label_place(const json& object, Component& c) {
    if (object.contains("label_size")) {
        c.label_size = checked_px(read_float(object, "label_size", c.place), "label_size", c.place);
        if (!(c.label_size > 0)) fail_at(c.place, "label_size", "a text size must be above 0");
    }
    if (!object.contains("label_offset")) return;
    const json& offset = object.at("label_offset");
    if (!offset.is_array() || offset.size() != 2 || !offset[0].is_number() || !offset[1].is_number()) {
        fail_at(c.place, "label_offset", "expected [x, y]: two numbers in cm");
    }
    c.label_offset_x = checked_px(read_single(offset[0], "label_offset", c.place) * cm_to_px, "label_offset", c.place);
    c.label_offset_y = checked_px(read_single(offset[1], "label_offset", c.place) * cm_to_px, "label_offset", c.place);
}

}  // namespace

int read_whole_number(const json& object, const char* key, const Place& place) {
    const json& value = member(object, key, place);
    if (value.is_number_unsigned()) {
        if (value.get<unsigned long long>() > static_cast<unsigned long long>(INT_MAX)) {
            fail_at(place, key, "the whole number is out of range");
        }
        return static_cast<int>(value.get<unsigned long long>());
    }
    if (value.is_number_integer()) {
        long long whole = value.get<long long>();
        if (whole < INT_MIN || whole > INT_MAX) {
            fail_at(place, key, "the whole number is out of range");
        }
        return static_cast<int>(whole);
    }
    double whole = std::trunc(read_number(value, key, place));
    if (!(whole >= INT_MIN && whole <= INT_MAX)) {
        fail_at(place, key, "the whole number is out of range");
    }
    return static_cast<int>(whole);
}

BoxSize read_box_size(const json& project, const std::string& path) {
    Place place{path, {}, {}};
    const json& generic = member(project, "Generic", place);
    if (!generic.is_object()) {
        fail_at(place, "Generic", std::string("expected an object, found ") + generic.type_name());
    }
    Place inside{path, "Generic", {}};
    BoxSize box{read_float(generic, "width", inside), read_float(generic, "height", inside)};
    size_px(box.width * cm_to_px, "width", inside);
    size_px(box.height * cm_to_px, "height", inside);
    box.places = filled_places(project);
    return box;
}

std::vector<std::pair<std::string, const json*>> section_members(const json& section, const Place& place) {
    std::vector<std::pair<std::string, const json*>> members;
    if (section.is_object()) {
        for (const auto& [key, value] : section.items()) {
            members.emplace_back(key, &value);
        }
    } else if (section.is_array()) {
        for (std::size_t i = 0; i < section.size(); ++i) {
            members.emplace_back(std::to_string(i), &section[i]);
        }
    } else if (!section.is_null()) {
        fail_at(place, "", std::string("a section must be an object of components, found ") + section.type_name());
    }
    return members;
}

Component read_component(const std::string& key, const json& value, const Place& section_place) {
    Component c;
    c.key = key;
    c.object = &value;
    c.place = section_place;
    c.place.component = key;
    const Place& at = c.place;
    if (!value.is_object()) {
        fail_at(at, "", std::string("a component must be an object, found ") + value.type_name());
    }
    c.x = checked_px(read_float(value, "location_x", at) * cm_to_px, "location_x", at);
    c.y = checked_px(read_float(value, "location_y", at) * cm_to_px, "location_y", at);
    c.call_name = optional_string(value, "call_name", at);
    c.rotation = value.contains("rotation") ? read_whole_number(value, "rotation", at) : 0;
    c.drill_diameter = diameter_px(value, "drill_diameter", at);
    c.visible_diameter = diameter_px(value, "visible_diameter", at);
    // Absent rectangle sizes fall back through the drill diameter.
    c.drill_width = rectangle_px(value, "drill_width", at, c.drill_diameter / cm_to_px * cm_to_px);
    c.drill_height = rectangle_px(value, "drill_height", at, c.drill_diameter / cm_to_px * cm_to_px);
    c.visible_width = rectangle_px(value, "visible_width", at, c.drill_width / cm_to_px * cm_to_px);
    c.visible_height = rectangle_px(value, "visible_height", at, c.drill_height / cm_to_px * cm_to_px);
    c.part_holes = resolved_part_holes(value);
    read_label_place(value, c);
    return c;
}
