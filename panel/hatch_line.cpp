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

// Most texts here are a few bytes long. Copied in whole 16-byte blocks they
// take no call into the C library; the caller guarantees the room on both
// sides (the blocks may take up to 15 bytes beyond `length`, which the next
// text overwrites).
constexpr std::size_t block = 16;

char* copy_blocks(char* to, const char* from, std::size_t length) {
    for (std::size_t done = 0; done < length; done += block) {
        std::memcpy(to + done, from + done, block);
    }
    return to + length;
}

char* put_number(char* at, float value) {
    if (!std::isfinite(value)) {
        throw UnwritableNumber();
    }
    return put_two_decimals(at, value);
}

}  // namespace

HatchLineWriter::HatchLineWriter(const std::string& paint, const std::string& transform)
    : tail_(paint + transform + "/>\n"), tail_length_(tail_.size()) {
    tail_.append(block, '\0');
}

// Compared by bits: 0 and -0 are written differently.
char* HatchLineWriter::put_x(char* at, float x) {
    const auto bits = std::bit_cast<std::uint32_t>(x);
    for (const Remembered& r : remembered_) {
        if (r.valid && r.bits == bits) {
            return copy_blocks(at, r.text, r.length);
        }
    }
    char* end = put_number(at, x);
    Remembered& slot = remembered_[next_];
    next_ ^= 1;
    slot.bits = bits;
    slot.length = static_cast<std::size_t>(end - at);
    slot.valid = slot.length + block <= sizeof slot.text;  // a huge number is formatted anew each time
    if (slot.valid) {
        copy_blocks(slot.text, at, slot.length);
    }
    return end;
}

void HatchLineWriter::append(std::string& svg, float x1, float x2, float y) {
    // Four numbers and the text between them, room for the blocks beyond the
    // last of them; the tail joins them when it fits.
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
    // The second y lies at least 16 bytes after the first, so the blocks
    // never overlap.
    at = copy_blocks(at, y_text, y_length);
    *at++ = '"';
    if (tail_length_ + block <= static_cast<std::size_t>(line + sizeof line - at)) {
        at = copy_blocks(at, tail_.data(), tail_length_);
        svg.append(line, at);
    } else {
        svg.append(line, at);
        svg.append(tail_, 0, tail_length_);
    }
}
