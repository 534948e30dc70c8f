#include "kicad/board_listing.hpp"

#include "kicad/footprint_choice.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"

namespace {

std::string mm(double value) { return format_float_as_str(value, 2); }

}  // namespace

void print_board_list(const std::string& path, const FootprintMap* shipped, std::ostream& out) {
    Board board;
    try {
        board = read_board(path);
    } catch (const BoardReadError& e) {
        throw RunError("board file " + quoted_name(path) + (e.line() > 0 ? ", line " + std::to_string(e.line()) : "") +
                       ": " + e.what());
    }
    out << "Board " << path << ": " << board.footprints.size()
        << " footprints (mm, y downwards; rotation counter-clockwise, as KiCad shows it)" << std::endl;
    if (board.aux_origin) {
        out << "Drill/place origin: (" << mm(board.aux_origin->x) << ", " << mm(board.aux_origin->y) << ")"
            << std::endl;
    }
    for (const Footprint& f : board.footprints) {
        std::string part = "not placed";
        try {
            if (auto mapping = choose_mapping(f, {}, shipped)) part = mapping->part;
        } catch (const BoardReadError& e) {
            part = std::string("not placed: ") + e.what();
        }
        out << f.reference << "  " << f.lib_id << "  " << quoted_name(f.value) << "  (" << mm(f.x) << ", " << mm(f.y)
            << ")  " << mm(f.angle) << "  " << (f.back ? "back" : "front") << "  " << part << std::endl;
    }
}
