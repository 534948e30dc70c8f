#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One footprint of a board, as the board file places it: millimetres, y
// downwards, the angle counter-clockwise as KiCad shows it.
struct Footprint {
    std::string reference;
    std::string lib_id;  // "Library:Name"
    std::string value;
    double x = 0;
    double y = 0;
    double angle = 0;
    bool back = false;              // on the bottom side (B.Cu)
    bool through_hole = false;      // has a pad with a drilled hole
    std::map<std::string, std::string> properties;  // the footprint's own fields
    int line = 0;                   // where it starts in the board file
};

// No board is larger than KiCad's own limit of about two metres; a number
// far beyond it (mm or degrees) is a broken file.
constexpr double max_board_number = 100'000;

struct BoardPoint {
    double x = 0;
    double y = 0;
};

struct Board {
    std::vector<Footprint> footprints;  // in file order
    std::optional<BoardPoint> aux_origin;  // the drill/place origin, when set
};

class BoardReadError : public std::runtime_error {
public:
    BoardReadError(int line, const std::string& problem) : std::runtime_error(problem), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Reads a KiCad 5 to 8 board (.kicad_pcb) from its text. Throws
// BoardReadError.
Board parse_board(std::string_view text);

// Reads the board file at `path`; `path` names it in the message of the
// BoardReadError it throws (line 0: the file itself cannot be read).
Board read_board(const std::string& path);

// The part of a library ID after the library's name: "Name" of "Lib:Name".
std::string_view footprint_name(std::string_view lib_id);
