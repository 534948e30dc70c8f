// Feeds arbitrary bytes as a KiCad board through the s-expression reader and
// the board model, with limits small enough that the fuzzer reaches them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kicad/board.hpp"
#include "kicad/sexpr.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        parse_board(text);
    } catch (const BoardReadError&) {
        // A refused board is the expected end for most inputs.
    }
    SexprLimits small;
    small.max_depth = 8;
    small.max_token = 64;
    small.max_bytes = 4096;
    try {
        parse_sexpr(text, [](const std::string& head) { return head.size() % 2 == 0; }, small);
    } catch (const SexprError&) {
    }
    return 0;
}
