#include "kicad/footprint_map.hpp"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "kicad/board.hpp"
#include "panel/errors.hpp"

using json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& path, const std::string& entry, const std::string& problem) {
    throw RunError("footprint map " + quoted_name(path) + (entry.empty() ? "" : ", entry " + quoted_name(entry)) +
                   ": " + problem);
}

Mapping read_entry(const std::string& path, const std::string& name, const json& value) {
    if (!value.is_object()) fail(path, name, "expected an object");
    const auto part = value.find("part");
    const auto offset = value.find("offset");
    const auto angle = value.find("angle");
    const auto source = value.find("source");
    if (part == value.end() || !part->is_string()) fail(path, name, "\"part\" must name a part");
    if (source == value.end() || !source->is_string()) fail(path, name, "\"source\" must say where the offset comes from");
    if (offset == value.end() || !offset->is_array() || offset->size() != 2 || !(*offset)[0].is_number() ||
        !(*offset)[1].is_number()) {
        fail(path, name, "\"offset\" must be [x, y] in mm");
    }
    if (angle != value.end() && !angle->is_number()) fail(path, name, "\"angle\" must be a number of degrees");
    Mapping m;
    m.part = part->get<std::string>();
    m.offset_x = (*offset)[0].get<double>();
    m.offset_y = (*offset)[1].get<double>();
    m.angle = angle != value.end() ? angle->get<double>() : 0.0;
    return m;
}

}  // namespace

FootprintMap parse_footprint_map(const std::string& text, const std::string& path) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception& e) {
        fail(path, "", std::string("not valid JSON: ") + e.what());
    }
    const auto footprints = document.is_object() ? document.find("footprints") : document.end();
    if (!document.is_object() || footprints == document.end() || !footprints->is_object()) {
        fail(path, "", "expected {\"footprints\": {…}}");
    }
    FootprintMap map;
    map.file = path;
    for (const auto& [lib_id, value] : footprints->items()) {
        map.by_name[std::string(footprint_name(lib_id))] = read_entry(path, lib_id, value);
    }
    return map;
}

FootprintMap load_shipped_footprint_map(const fs::path& program) {
    const fs::path folder = program.parent_path();
    for (const fs::path& place : {folder / "footprint_map.json",
                                  folder / ".." / "share" / "svggenerator" / "footprint_map.json"}) {
        std::error_code ec;
        if (!fs::is_regular_file(place, ec)) continue;
        const std::u8string name = place.lexically_normal().u8string();
        const std::string path(name.begin(), name.end());
        std::ifstream file(place, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        if (!file) fail(path, "", "cannot read the file");
        return parse_footprint_map(text.str(), path);
    }
    return {};
}
