#include "parts/library.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <vector>
#include <nlohmann/json.hpp>

#include "panel/edit_distance.hpp"
#include "panel/errors.hpp"
#include "settings/utf8_path.hpp"

using json = nlohmann::json;

namespace {

// Far beyond any panel part; a size past it is a typo (metres for mm).
constexpr double largest_mm = 2000;
// A parts file is a few kilobytes; a device or a wrong file must not fill memory.
constexpr std::size_t largest_file_bytes = std::size_t{4} << 20;

struct Where {
    const std::string& file;
    std::string part;
};

[[noreturn]] void fail(const Where& where, const std::string& key, const std::string& problem) {
    std::string text = "parts file " + quoted_name(where.file);
    if (!where.part.empty()) text += ", part " + quoted_name(where.part);
    if (!key.empty()) text += ", key " + quoted_name(key);
    throw RunError(text + ": " + problem);
}

double read_mm(const json& value, const Where& where, const std::string& key, bool zero_allowed) {
    if (!value.is_number()) {
        fail(where, key, std::string("expected a number, found ") + value.type_name());
    }
    const double mm = value.get<double>();
    if (!(std::fabs(mm) <= largest_mm)) {
        fail(where, key, "the size is out of range (the library is in millimetres)");
    }
    if (mm < 0 || (mm == 0 && !zero_allowed)) {
        fail(where, key, zero_allowed ? "a size cannot be negative" : "a size must be greater than 0");
    }
    return mm;
}

std::optional<double> optional_mm(const json& part, const Where& where, const char* key, bool zero_allowed) {
    auto it = part.find(key);
    if (it == part.end()) return std::nullopt;
    return read_mm(*it, where, key, zero_allowed);
}

std::string read_text(const json& part, const Where& where, const char* key) {
    auto it = part.find(key);
    if (it == part.end()) fail(where, key, "missing");
    if (!it->is_string() || it->get_ref<const std::string&>().empty()) {
        fail(where, key, "expected a text that is not empty");
    }
    return it->get<std::string>();
}

double read_offset(const json& hole, const Where& where, const std::string& key, const char* axis) {
    auto it = hole.find(axis);
    if (it == hole.end()) fail(where, key + "." + axis, "missing");
    if (!it->is_number()) fail(where, key + "." + axis, std::string("expected a number, found ") + it->type_name());
    const double mm = it->get<double>();
    if (!(std::fabs(mm) <= largest_mm)) fail(where, key + "." + axis, "the offset is out of range");
    return mm;
}

PartHole read_hole(const json& hole, const Where& where, std::size_t index) {
    const std::string key = "holes[" + std::to_string(index) + "]";
    if (!hole.is_object()) fail(where, key, std::string("a hole must be an object, found ") + hole.type_name());
    for (const auto& member : hole.items()) {
        static const char* const known[] = {"x", "y", "diameter", "width", "height"};
        if (std::find(std::begin(known), std::end(known), member.key()) == std::end(known)) {
            fail(where, key + "." + member.key(), "not a key of a hole (x, y, diameter, width, height)");
        }
    }
    PartHole h;
    h.x = read_offset(hole, where, key, "x");
    h.y = read_offset(hole, where, key, "y");
    const bool round = hole.contains("diameter");
    const bool rectangle = hole.contains("width") || hole.contains("height");
    if (round == rectangle) {
        fail(where, key, "a hole needs either a diameter or a width and a height");
    }
    h.round = round;
    if (round) {
        h.diameter = read_mm(hole["diameter"], where, key + ".diameter", false);
    } else {
        if (!hole.contains("width") || !hole.contains("height")) {
            fail(where, key, "a rectangular hole needs both a width and a height");
        }
        h.width = read_mm(hole["width"], where, key + ".width", false);
        h.height = read_mm(hole["height"], where, key + ".height", false);
    }
    return h;
}

Part read_part(const std::string& name, const json& value, const std::string& file) {
    const Where where{file, name};
    if (!value.is_object()) fail(where, "", std::string("a part must be an object, found ") + value.type_name());
    static const char* const known[] = {"description",      "source",        "drill_diameter", "drill_width",
                                        "drill_height",     "visible_diameter", "visible_width", "visible_height",
                                        "holes"};
    for (const auto& member : value.items()) {
        if (std::find(std::begin(known), std::end(known), member.key()) == std::end(known)) {
            fail(where, member.key(), "not a key of a part");
        }
    }
    Part part;
    part.name = name;
    part.description = read_text(value, where, "description");
    part.source = read_text(value, where, "source");
    part.drill_diameter = optional_mm(value, where, "drill_diameter", false);
    part.drill_width = optional_mm(value, where, "drill_width", false);
    part.drill_height = optional_mm(value, where, "drill_height", false);
    part.visible_diameter = optional_mm(value, where, "visible_diameter", true);
    part.visible_width = optional_mm(value, where, "visible_width", true);
    part.visible_height = optional_mm(value, where, "visible_height", true);
    if (!part.drill_diameter && !(part.drill_width && part.drill_height)) {
        fail(where, "", "a part needs a cut-out: drill_diameter, or drill_width and drill_height");
    }
    if (part.visible_width.has_value() != part.visible_height.has_value()) {
        fail(where, part.visible_width ? "visible_height" : "visible_width",
             "missing (a visible rectangle needs a width and a height)");
    }
    if (auto it = value.find("holes"); it != value.end()) {
        if (!it->is_array()) fail(where, "holes", std::string("expected an array, found ") + it->type_name());
        for (std::size_t i = 0; i < it->size(); ++i) {
            part.holes.push_back(read_hole((*it)[i], where, i));
        }
    }
    return part;
}

}  // namespace

PartLibrary parse_part_library(const std::string& text, const std::string& path) {
    const Where file{path, {}};
    json document;
    // A JSON object keeps the last of two members of one name; a part given
    // twice in one file would silently lose its first description.
    std::string top_key;
    std::vector<std::set<std::string>> keys;
    std::optional<std::string> twice;
    const json::parser_callback_t note_names = [&](int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::object_start) keys.emplace_back();
        if (event == json::parse_event_t::object_end && !keys.empty()) keys.pop_back();
        if (event == json::parse_event_t::key) {
            const std::string& key = parsed.get_ref<const std::string&>();
            if (depth == 1) top_key = key;
            if (depth == 2 && top_key == "parts" && !keys.empty() && !keys.back().insert(key).second && !twice) {
                twice = key;
            }
        }
        return true;
    };
    try {
        document = json::parse(text, note_names);
    } catch (const json::exception& e) {
        fail(file, "", std::string("not valid JSON: ") + e.what());
    }
    if (twice) fail(Where{path, *twice}, "", "the name is given to two parts in this file");
    if (!document.is_object()) {
        fail(file, "", std::string("the top level must be an object, found ") + document.type_name());
    }
    for (const auto& member : document.items()) {
        if (member.key() != "parts" && !member.key().starts_with("$")) {
            fail(file, member.key(), "not a key of a parts file (\"parts\")");
        }
    }
    auto parts = document.find("parts");
    if (parts == document.end()) fail(file, "parts", "missing");
    if (!parts->is_object()) fail(file, "parts", std::string("expected an object, found ") + parts->type_name());
    PartLibrary library;
    library.files.push_back(path);
    for (const auto& [name, value] : parts->items()) {
        if (name.empty()) fail(file, "parts", "a part's name cannot be empty");
        library.parts.emplace(name, read_part(name, value, path));
    }
    return library;
}

PartLibrary read_part_library(const std::string& path) {
    const Where file{path, {}};
    std::ifstream in(utf8_path(path), std::ios::binary);
    if (!in) fail(file, "", std::string("cannot open the file: ") + std::strerror(errno));
    std::string text;
    char buffer[1 << 14];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > largest_file_bytes) {
            fail(file, "", "the file is larger than " + std::to_string(largest_file_bytes >> 20) +
                               " MiB; no parts library is that large");
        }
    }
    if (in.bad()) fail(file, "", "cannot read the file");
    return parse_part_library(text, path);
}

void add_parts(PartLibrary& base, const PartLibrary& over) {
    for (const auto& [name, part] : over.parts) {
        base.parts.insert_or_assign(name, part);
    }
    base.files.insert(base.files.end(), over.files.begin(), over.files.end());
}

std::string nearest_part_name(const PartLibrary& library, const std::string& name) {
    // Part names are short; a long text is compared by its start, so that a
    // pasted paragraph costs no more than a name.
    const std::string start = name.substr(0, 64);
    std::string best;
    std::size_t best_distance = 0;
    for (const auto& [known, part] : library.parts) {
        const std::size_t distance = edit_distance(start, known);
        if (best.empty() || distance < best_distance) {
            best = known;
            best_distance = distance;
        }
    }
    return best;
}
