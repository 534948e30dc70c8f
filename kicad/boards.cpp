#include "kicad/boards.hpp"

#include <cmath>
#include <filesystem>
#include <iterator>
#include <set>

#include "kicad/footprint_choice.hpp"
#include "panel/errors.hpp"
#include "panel/layout.hpp"
#include "settings/utf8_path.hpp"

using json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

// Names one item of "Boards" in messages.
struct BoardItem {
    std::string json_file;
    std::size_t index = 0;
    std::string board_file;  // as the project gives it

    std::string where(const std::string& key) const {
        std::string text = describe_place(Place{json_file, {}, {}}, "Boards") + ", board " + std::to_string(index + 1);
        if (!key.empty()) text += ", key " + quoted_name(key);
        return text;
    }
    [[noreturn]] void fail(const std::string& key, const std::string& problem) const {
        throw RunError(where(key) + ": " + problem);
    }
    [[noreturn]] void fail_in_board(const std::string& key, int line, const std::string& problem) const {
        throw RunError(where(key) + ": board file " + quoted_name(board_file) +
                       (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": " + problem);
    }
};

const json* member(const json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

double read_number(const BoardItem& item, const json& object, const char* key, const std::string& named) {
    const json* value = member(object, key);
    if (value == nullptr || !value->is_number() || !(std::abs(value->get<double>()) <= max_board_number)) {
        item.fail(named, std::string("expected a number between -100000 and 100000 for \"") + key + "\"");
    }
    return value->get<double>();
}

std::string read_text(const BoardItem& item, const json& object, const char* key) {
    const json* value = member(object, key);
    if (value == nullptr || !value->is_string()) item.fail(key, "expected a text");
    return value->get<std::string>();
}

fs::path board_path(const std::string& json_file, const std::string& file) {
    const fs::path given = utf8_path(file);
    return given.is_absolute() ? given : utf8_path(json_file).parent_path() / given;
}

Mapping read_pattern_target(const BoardItem& item, const std::string& pattern, const json& value) {
    const std::string key = "map";
    Mapping m;
    if (value.is_string()) {
        m.part = value.get<std::string>();
        return m;
    }
    if (!value.is_object() || member(value, "part") == nullptr || !value["part"].is_string()) {
        item.fail(key, "pattern " + quoted_name(pattern) +
                           ": expected a part name, or {\"part\", \"offset\": [x, y] in mm, \"rotation\"}");
    }
    m.part = value["part"].get<std::string>();
    if (const json* offset = member(value, "offset")) {
        if (!offset->is_array() || offset->size() != 2) {
            item.fail(key, "pattern " + quoted_name(pattern) + ": \"offset\" must be [x, y] in mm");
        }
        m.offset_x = read_number(item, json{{"x", (*offset)[0]}}, "x", key);
        m.offset_y = read_number(item, json{{"y", (*offset)[1]}}, "y", key);
    }
    if (member(value, "rotation") != nullptr) m.angle = read_number(item, value, "rotation", key);
    return m;
}

PatternMap read_patterns(const BoardItem& item, const json& board) {
    PatternMap patterns;
    const json* map = member(board, "map");
    if (map == nullptr) return patterns;
    if (!map->is_object()) item.fail("map", "expected an object of patterns and parts");
    for (const auto& [pattern, value] : map->items()) {
        patterns.emplace_back(pattern, read_pattern_target(item, pattern, value));
    }
    return patterns;
}

const Footprint* find_reference(const Board& board, const std::string& reference) {
    for (const Footprint& f : board.footprints) {
        if (f.reference == reference) return &f;
    }
    return nullptr;
}

BoardFrame read_frame(const BoardItem& item, const json& entry, const Board& board) {
    BoardFrame frame;
    const json* origin = member(entry, "origin");
    if (origin == nullptr) {
        if (board.aux_origin) frame.origin = *board.aux_origin;
    } else if (!origin->is_object()) {
        item.fail("origin", "expected {\"x\", \"y\"} in mm or {\"reference\", \"at\"}");
    } else if (member(*origin, "reference") != nullptr) {
        const json& reference = (*origin)["reference"];
        if (!reference.is_string()) item.fail("origin", "\"reference\" must be a footprint's reference");
        const Footprint* f = find_reference(board, reference.get<std::string>());
        if (f == nullptr) {
            item.fail_in_board("origin", 0, "no footprint " + quoted_name(reference.get<std::string>()));
        }
        frame.origin = {f->x, f->y};
        const json* at = member(*origin, "at");
        if (at == nullptr || !at->is_object()) item.fail("origin", "\"at\" must give {\"x\", \"y\"} in cm on the panel");
        frame.panel_x = read_number(item, *at, "x", "origin");
        frame.panel_y = read_number(item, *at, "y", "origin");
    } else {
        frame.origin = {read_number(item, *origin, "x", "origin"), read_number(item, *origin, "y", "origin")};
    }
    if (member(entry, "rotation") != nullptr) {
        const double rotation = read_number(item, entry, "rotation", "rotation");
        if (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270) {
            item.fail("rotation", "expected 0, 90, 180 or 270");
        }
        frame.rotation = static_cast<int>(rotation);
    }
    if (const json* mirror = member(entry, "mirror")) {
        if (!mirror->is_boolean()) item.fail("mirror", "expected true or false");
        frame.mirror = mirror->get<bool>();
    }
    return frame;
}

bool read_back_side(const BoardItem& item, const json& entry) {
    if (member(entry, "side") == nullptr) return false;
    const json& side = entry["side"];
    if (side != "front" && side != "back") item.fail("side", "expected \"front\" or \"back\"");
    return side == "back";
}

json& target_section(const BoardItem& item, json& project, const std::string& key) {
    if (!is_section_key(key)) item.fail("section", quoted_name(key) + " is no section: a section's key holds \"_\"");
    json& section = project[key];
    if (section.is_null()) section = json::object();
    if (!section.is_object()) {
        item.fail("section", "section " + quoted_name(key) + " must be an object to take a board's components");
    }
    return section;
}

json board_component(const Footprint& f, const Mapping& m, const BoardFrame& frame) {
    const PanelPlace place = place_on_panel(f, m, frame);
    json component = {{"location_x", place.x}, {"location_y", place.y}, {"rotation", place.rotation},
                      {"part", m.part}};
    if (auto label = f.properties.find("Label"); label != f.properties.end()) component["call_name"] = label->second;
    return component;
}

// The section's own component wins key by key.
void merge_component(json& section, const std::string& reference, json component) {
    const auto own = section.find(reference);
    if (own != section.end() && own->is_object()) {
        const json* skip = member(*own, "skip");
        if (skip != nullptr && *skip == true) {
            section.erase(own);
            return;
        }
        for (const auto& [key, value] : own->items()) component[key] = value;
    }
    section[reference] = std::move(component);
}

void add_board(json& project, const BoardItem& base, const json& entry, const FootprintMap* shipped,
               std::ostream& out) {
    BoardItem item = base;
    if (!entry.is_object()) item.fail("", "expected an object with \"file\" and \"section\"");
    item.board_file = read_text(item, entry, "file");
    const std::string section_key = read_text(item, entry, "section");
    const PatternMap patterns = read_patterns(item, entry);
    const bool back = read_back_side(item, entry);
    const fs::path path = board_path(item.json_file, item.board_file);
    const std::u8string path_text = path.u8string();
    Board board;
    try {
        board = read_board(std::string(path_text.begin(), path_text.end()));
    } catch (const BoardReadError& e) {
        item.fail_in_board("file", e.line(), e.what());
    }
    const BoardFrame frame = read_frame(item, entry, board);
    json& section = target_section(item, project, section_key);

    std::set<std::string> placed;
    for (const Footprint& f : board.footprints) {
        if (f.back != back) continue;
        std::optional<Mapping> mapping;
        try {
            mapping = choose_mapping(f, patterns, shipped);
        } catch (const BoardReadError& e) {
            item.fail_in_board("file", e.line(), e.what());
        }
        if (!mapping) {
            if (f.through_hole) {
                out << "Board " << item.board_file << ": not placed: " << f.reference << " (" << f.lib_id
                    << "), no part for this footprint" << std::endl;
            }
            continue;
        }
        if (!placed.insert(f.reference).second) {
            item.fail_in_board("file", f.line, "a second footprint " + quoted_name(f.reference) +
                                                   "; every placed footprint needs a reference of its own");
        }
        merge_component(section, f.reference, board_component(f, *mapping, frame));
    }
    // A skipped key whose footprint is not placed (renamed, unmapped) would
    // otherwise be read as a component without a place.
    for (auto it = section.begin(); it != section.end();) {
        const json* skip = it->is_object() ? member(*it, "skip") : nullptr;
        it = skip != nullptr && *skip == true ? section.erase(it) : std::next(it);
    }
    if (placed.empty()) {
        item.fail_in_board("file", 0, std::string("no footprint on the ") + (back ? "back" : "front") +
                                          " side maps to a part (see --list-board)");
    }
}

}  // namespace

void add_boards(json& project, const std::string& json_file, const FootprintMap* shipped, std::ostream& out) {
    if (!project.is_object()) return;
    const auto boards = project.find("Boards");
    if (boards == project.end()) return;
    const json list = *boards;  // the sections change below
    if (!list.is_array()) {
        fail_at(Place{json_file, {}, {}}, "Boards", "expected an array of boards, each {\"file\", \"section\", …}");
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        add_board(project, BoardItem{json_file, i, {}}, list[i], shipped, out);
    }
}
