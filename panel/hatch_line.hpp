#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "panel/fixed_text.hpp"

// Appends the hatch lines of one recess:
//   <line x1="" y1="" x2="" y2=""{paint}[ transform]/>\n
// Millions of them make up a finely hatched panel, so each is put together on
// the stack and appended at once, and the two x values a rectangle's lines
// alternate between are formatted only once.
class HatchLineWriter {
public:
    // `paint` is the hatch lines' paint attributes, `transform` the turn
    // every line of the recess carries, or empty.
    HatchLineWriter(const std::string& paint, const std::string& transform);

    // A line from (x1, y) to (x2, y). Throws UnwritableNumber for a value
    // that is not finite.
    void append(std::string& svg, float x1, float x2, float y);

private:
    struct Remembered {
        std::uint32_t bits = 0;
        std::size_t length = 0;
        bool valid = false;
        char text[max_two_decimals_chars] = {};
    };

    char* put_x(char* at, float x);

    Remembered remembered_[2];
    int next_ = 0;
    // The paint, the turn, if any, and the end of the element, followed by
    // padding so that it can be copied in whole blocks.
    std::string tail_;
    std::size_t tail_length_;
};
