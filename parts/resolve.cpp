#include "parts/resolve.hpp"

#include "panel/layout.hpp"

using json = nlohmann::json;

namespace {

void take(json& component, const char* key, const std::optional<double>& mm) {
    if (mm && !component.contains(key)) {
        component[key] = *mm / 10.0;  // the library is in mm, the project in cm
    }
}

void take_area(json& component, const char* diameter_key, const char* width_key, const char* height_key,
               const std::optional<double>& diameter, const std::optional<double>& width,
               const std::optional<double>& height) {
    const bool names_rectangle = component.contains(width_key) || component.contains(height_key);
    if (!names_rectangle) take(component, diameter_key, diameter);
    take(component, width_key, width);
    take(component, height_key, height);
}

json holes_as_json(const std::vector<PartHole>& holes) {
    json list = json::array();
    for (const PartHole& h : holes) {
        list.push_back(h.round ? json{h.x, h.y, h.diameter} : json{h.x, h.y, h.width, h.height});
    }
    return list;
}

void resolve_component(json& component, const PartLibrary* library, const Place& place) {
    if (!component.is_object()) return;  // refused when the component is read
    auto it = component.find("part");
    if (it == component.end()) return;
    if (!it->is_string()) {
        fail_at(place, "part", std::string("expected the name of a part, found ") + it->type_name());
    }
    const std::string name = it->get<std::string>();
    const Part* part = nullptr;
    if (library != nullptr) {
        if (auto found = library->parts.find(name); found != library->parts.end()) part = &found->second;
    }
    if (part == nullptr) {
        const std::string nearest = library != nullptr ? nearest_part_name(*library, name) : std::string();
        fail_at(place, "part",
                "unknown part " + quoted_name(name) +
                    (nearest.empty() ? std::string("; no parts library was found (see --list-parts)")
                                     : "; did you mean " + quoted_name(nearest) + "? (see --list-parts)"));
    }
    take_area(component, "drill_diameter", "drill_width", "drill_height", part->drill_diameter, part->drill_width,
              part->drill_height);
    take_area(component, "visible_diameter", "visible_width", "visible_height", part->visible_diameter,
              part->visible_width, part->visible_height);
    // The name was a text; what stands here now can only come from here.
    *it = json{{"name", name}, {"holes", holes_as_json(part->holes)}};
}

void resolve_section(json& section, const PartLibrary* library, const Place& section_place) {
    Place place = section_place;
    if (section.is_object()) {
        for (auto it = section.begin(); it != section.end(); ++it) {
            place.component = it.key();
            resolve_component(it.value(), library, place);
        }
    } else if (section.is_array()) {
        for (std::size_t i = 0; i < section.size(); ++i) {
            place.component = std::to_string(i);
            resolve_component(section[i], library, place);
        }
    }
}

}  // namespace

void resolve_parts(json& project, const PartLibrary* library, const std::string& json_file) {
    if (!project.is_object()) return;
    for (auto it = project.begin(); it != project.end(); ++it) {
        if (is_section_key(it.key())) {
            resolve_section(it.value(), library, Place{json_file, it.key(), {}});
        }
    }
}
