#include "kicad/board.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "kicad/sexpr.hpp"
#include "settings/utf8_path.hpp"

namespace {

bool is_footprint(const std::string& head) { return head == "footprint" || head == "module"; }

[[noreturn]] void fail(const SexprNode& node, const std::string& problem) {
    throw BoardReadError(node.line, problem);
}

double number(const SexprNode& list, std::size_t index, const char* what) {
    if (index >= list.items.size() || list.items[index].is_list) {
        fail(list, std::string("(") + list.head() + " …) has no " + what);
    }
    const std::string& text = list.items[index].atom;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !(std::abs(value) <= max_board_number)) {
        fail(list.items[index], std::string("(") + list.head() + " …): " + what + " \"" + text +
                                     "\" is no number between -100000 and 100000");
    }
    return value;
}

const std::string& atom_at(const SexprNode& list, std::size_t index, const char* what) {
    if (index >= list.items.size() || list.items[index].is_list) {
        fail(list, std::string("(") + list.head() + " …) has no " + what);
    }
    return list.items[index].atom;
}

// KiCad 5 to 7 give the reference and the value as (fp_text reference "R1"),
// KiCad 8 as (property "Reference" "R1"); user fields are properties from 6 on.
void read_texts(const SexprNode& list, Footprint& f) {
    for (const SexprNode& item : list.items) {
        if (!item.is_list) continue;
        if (item.head() == "fp_text" && item.items.size() >= 3) {
            const std::string& kind = atom_at(item, 1, "kind");
            if (kind == "reference") f.reference = atom_at(item, 2, "text");
            if (kind == "value") f.value = atom_at(item, 2, "text");
        } else if (item.head() == "property" && item.items.size() >= 3) {
            const std::string& name = atom_at(item, 1, "name");
            const std::string& text = atom_at(item, 2, "text");
            if (name == "Reference") {
                f.reference = text;
            } else if (name == "Value") {
                f.value = text;
            } else {
                f.properties[name] = text;
            }
        } else if (item.head() == "pad" && item.items.size() >= 3) {
            const std::string& kind = atom_at(item, 2, "type");
            if (kind == "thru_hole" || kind == "np_thru_hole") f.through_hole = true;
        }
    }
}

Footprint read_footprint(const SexprNode& list) {
    Footprint f;
    f.line = list.line;
    f.lib_id = atom_at(list, 1, "library ID");
    const SexprNode* at = list.child("at");
    if (at == nullptr) fail(list, "a footprint without a position (at …)");
    f.x = number(*at, 1, "x");
    f.y = number(*at, 2, "y");
    f.angle = at->items.size() > 3 ? number(*at, 3, "angle") : 0.0;
    if (const SexprNode* layer = list.child("layer")) {
        f.back = atom_at(*layer, 1, "layer name") == "B.Cu";
    }
    read_texts(list, f);
    if (f.reference.empty()) fail(list, "footprint \"" + f.lib_id + "\" has no reference");
    return f;
}

std::optional<BoardPoint> read_aux_origin(const SexprNode& root) {
    const SexprNode* setup = root.child("setup");
    const SexprNode* origin = setup != nullptr ? setup->child("aux_axis_origin") : nullptr;
    if (origin == nullptr) return std::nullopt;
    const BoardPoint point{number(*origin, 1, "x"), number(*origin, 2, "y")};
    // KiCad writes (aux_axis_origin 0 0) for a board that never set it.
    if (point.x == 0 && point.y == 0) return std::nullopt;
    return point;
}

}  // namespace

std::string_view footprint_name(std::string_view lib_id) {
    const std::size_t colon = lib_id.find(':');
    return colon == std::string_view::npos ? lib_id : lib_id.substr(colon + 1);
}

Board parse_board(std::string_view text) {
    SexprNode root;
    try {
        root = parse_sexpr(text, [](const std::string& head) { return is_footprint(head) || head == "setup"; });
    } catch (const SexprError& e) {
        throw BoardReadError(e.line(), e.what());
    }
    if (root.head() != "kicad_pcb") {
        fail(root, "not a KiCad board: the file starts with (" + root.head() + " …), not (kicad_pcb …)");
    }
    Board board;
    for (const SexprNode& item : root.items) {
        if (is_footprint(item.head())) board.footprints.push_back(read_footprint(item));
    }
    board.aux_origin = read_aux_origin(root);
    return board;
}

Board read_board(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(utf8_path(path), ec)) throw BoardReadError(0, "this is a folder, not a file");
    std::ifstream file(utf8_path(path), std::ios::binary);
    if (!file) throw BoardReadError(0, std::string("cannot open the file: ") + std::strerror(errno));
    const std::size_t limit = SexprLimits{}.max_bytes;
    std::string content;
    char buffer[1 << 16];
    // Read one byte past the limit at most, so that a device never ends.
    while (content.size() <= limit && (file.read(buffer, sizeof buffer) || file.gcount() > 0)) {
        content.append(buffer, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) throw BoardReadError(0, "cannot read the file");
    return parse_board(content);
}
