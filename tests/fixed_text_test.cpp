#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "panel/fixed_text.hpp"
#include "panel/frame.hpp"

namespace {

// The two-decimal text as the C library's printf writes it; a stream in
// fixed mode with precision 2 writes exactly this.
std::string printf_text(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string stream_text(double value) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(2) << value;
    return out.str();
}

// Compares the program's formatting with printf for every value and
// reports the first few that differ, with their bits.
class Sweep {
public:
    void check(double value) {
        ++checked_;
        const std::string expected = printf_text(value);
        const std::string got = format_float_as_str(value, 2);
        if (got != expected && ++mismatches_ <= 5) {
            ADD_FAILURE() << "value " << std::setprecision(17) << value << " (bits " << std::hex
                          << std::bit_cast<std::uint64_t>(value) << std::dec << "): wrote " << got << ", expected "
                          << expected;
        }
        // A stream is the reference the drawings are defined by; printf is
        // its fast stand-in, so tie the two together on a sample.
        if (checked_ % 97 == 0) {
            EXPECT_EQ(stream_text(value), expected);
        }
    }
    void check_float_bits(std::uint32_t bits) {
        const float f = std::bit_cast<float>(bits);
        if (std::isfinite(f)) {
            check(static_cast<double>(f));
        }
    }
    // Every float whose bits lie within `half_width` of `centre`'s, both signs.
    void check_band(float centre, std::uint32_t half_width) {
        const std::uint32_t middle = std::bit_cast<std::uint32_t>(std::fabs(centre));
        const std::uint32_t first = middle > half_width ? middle - half_width : 0;
        for (std::uint32_t bits = first; bits <= middle + half_width; ++bits) {
            check_float_bits(bits);
            check_float_bits(bits | 0x80000000u);
        }
    }
    long checked() const { return checked_; }

private:
    long checked_ = 0;
    long mismatches_ = 0;
};

}  // namespace

TEST(TwoDecimals, MatchesTheStandardFormattingOverAWideSweepOfFloats) {
    Sweep sweep;
    // Where the text turns over: zero and the subnormals ("-0.00"), the
    // half-hundredth that decides 0.00 or 0.01, an exact tie (0.125), a
    // typical coordinate, where floats become whole numbers, where the
    // hundredths outgrow 32 bits, where the fast path ends, and the largest
    // floats.
    const float centres[] = {0.0f, 0.005f, 0.125f, 377.95f, 16777216.0f, 42949672.96f, 9.0e16f, FLT_MAX};
    for (float centre : centres) {
        sweep.check_band(centre, 1u << 16);
    }
    // Every float whose hundredths end in exactly one half: odd eighths.
    for (std::uint32_t k = 1; k < (1u << 18); k += 2) {
        sweep.check(k / 8.0);
        sweep.check(-(k / 8.0));
    }
    for (std::uint32_t k = (1u << 18) + 1; k < (1u << 24); k += 2 * 997) {
        sweep.check(k / 8.0);
    }
    // A sample of the whole range, every sign and exponent.
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 4093) {
        sweep.check_float_bits(static_cast<std::uint32_t>(bits));
    }
    // Values wider than a float (label numbers, quotients) take the general
    // conversion and must still agree.
    for (std::uint64_t bits = std::bit_cast<std::uint64_t>(1e-3); bits < std::bit_cast<std::uint64_t>(1e25);
         bits += std::uint64_t{1} << 44) {
        sweep.check(std::bit_cast<double>(bits));
    }
    for (double value : {1.0 / 3, 0.1, 1234567.891, 4294967297.0, -2.675, 1e300, -DBL_MAX, DBL_MIN}) {
        sweep.check(value);
    }
    EXPECT_GT(sweep.checked(), 2500000);
}

TEST(TwoDecimals, NonFiniteValuesAreSpelledAsBeforeAndRefusedInDrawings) {
    const double values[] = {HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan("")};
    for (double value : values) {
        char expected[16];
        const auto end = std::to_chars(expected, expected + sizeof expected, value, std::chars_format::fixed, 2).ptr;
        EXPECT_EQ(format_float_as_str(value, 2), std::string(expected, end));
        std::string svg = "<rect";
        EXPECT_THROW(append_float(svg, value), UnwritableNumber);
        EXPECT_THROW(append_attribute(svg, "x", value), UnwritableNumber);
        EXPECT_EQ(svg, "<rect");
    }
}
