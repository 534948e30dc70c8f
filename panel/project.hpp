#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "panel/box_places.hpp"
#include "panel/errors.hpp"
#include "panel/part_hole.hpp"

using json = nlohmann::json;

// Reads the whole project file. Text after the top-level value is ignored.
json load_project(const std::string& path);

struct BoxSize {
    float width;   // cm
    float height;  // cm
    // The places the project's sections close; the finger joints leave an
    // edge that would meet an open place straight.
    FilledPlaces places = FilledPlaces{};
};
BoxSize read_box_size(const json& project, const std::string& path);

// A component's values, converted to pixels, as every drawing layer uses them.
struct Component {
    std::string key;
    const json* object = nullptr;  // the component's own members, for presence tests
    Place place;                   // names the component in error messages
    long long label_number = 0;
    float x = 0;
    float y = 0;
    std::string call_name;
    int rotation = 0;
    float drill_diameter = 0;
    float visible_diameter = 0;
    float drill_width = 0;
    float drill_height = 0;
    float visible_width = 0;
    float visible_height = 0;
    std::vector<PartHole> part_holes;  // a named part's extra holes, mm from the centre
    float label_size = 0;              // px; 0: the run's font size
    float label_offset_x = 0;          // px the label moves by on the page
    float label_offset_y = 0;

    bool has(const char* member) const { return object->contains(member); }
};

Component read_component(const std::string& key, const json& value, const Place& section_place);

// A section's members in drawing order: objects by ascending key, arrays by
// index (the index is the key), null as no members.
std::vector<std::pair<std::string, const json*>> section_members(const json& section, const Place& place);

// Reads a whole number (a fraction is cut toward zero). Throws RunError
// for a missing member, a value that is not a number or one outside int.
int read_whole_number(const json& object, const char* key, const Place& place);
