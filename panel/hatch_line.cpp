#include "panel/hatch_line.hpp"

#include <bit>
#include <cmath>
#include <cstring>

#include "panel/frame.hpp"

namespace {

template <std::size_t N>
char* put_text(char* at, const char (&text)[N]) {
    std::memcpy(at, text, N - 1);
    return at + N - 1;
}

char* put_number(char* at, float value) {
    if (!std::isfinite(value)) {
        throw UnwritableNumber();
    }
    return put_two_decimals(at, value);
}

}  // namespace

HatchLineWriter::HatchLineWriter(const std::string& paint, const std::string& transform)
    : tail_(paint + transform + "/>\n") {}

// Compared by bits: 0 and -0 are written differently.
char* HatchLineWriter::put_x(char* at, float x) {
    const auto bits = std::bit_cast<std::uint32_t>(x);
    for (const Remembered& r : remembered_) {
        if (r.valid && r.bits == bits) {
            std::memcpy(at, r.text, r.length);
            return at + r.length;
        }
    }
    char* end = put_number(at, x);
    Remembered& slot = remembered_[next_];
    next_ ^= 1;
    slot.bits = bits;
    slot.length = static_cast<std::size_t>(end - at);
    slot.valid = true;
    std::memcpy(slot.text, at, slot.length);
    return end;
}

void HatchLineWriter::append(std::string& svg, float x1, float x2, float y) {
    // Four numbers and the text between them; the tail joins them when it fits.
    char line[4 * max_two_decimals_chars + 1024];
    char* at = put_text(line, "<line x1=\"");
    at = put_x(at, x1);
    at = put_text(at, "\" y1=\"");
    char* const y_text = at;
    at = put_number(at, y);
    const auto y_length = static_cast<std::size_t>(at - y_text);
    at = put_text(at, "\" x2=\"");
    at = put_x(at, x2);
    at = put_text(at, "\" y2=\"");
    std::memcpy(at, y_text, y_length);
    at += y_length;
    *at++ = '"';
    if (tail_.size() <= static_cast<std::size_t>(line + sizeof line - at)) {
        std::memcpy(at, tail_.data(), tail_.size());
        at += tail_.size();
        svg.append(line, at);
    } else {
        svg.append(line, at);
        svg += tail_;
    }
}
