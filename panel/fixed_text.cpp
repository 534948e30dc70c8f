#include "panel/fixed_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Above this the hundredths no longer fit in 63 bits.
constexpr double fast_limit = 9.0e16;

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint64_t powers_of_ten[] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                                           10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                                           100000000000ull, 1000000000000ull, 10000000000000ull,
                                           100000000000000ull, 1000000000000000ull, 10000000000000000ull,
                                           100000000000000000ull, 1000000000000000000ull};

// Writes n / 100 with its two last digits after the point, two digits at a
// time; in 32 bits where it fits, which is every coordinate of a panel.
template <typename Unsigned>
char* put_hundredths(char* at, Unsigned n) {
    Unsigned whole = n / 100;
    const auto cents = static_cast<unsigned>(n % 100);
    int digits = 1;
    while (digits < 19 && static_cast<std::uint64_t>(whole) >= powers_of_ten[digits]) {
        ++digits;
    }
    char* const point = at + digits;
    char* p = point;
    while (whole >= 100) {
        const auto pair = static_cast<unsigned>(whole % 100);
        whole /= 100;
        p -= 2;
        std::memcpy(p, digit_pairs + 2 * pair, 2);
    }
    if (whole >= 10) {
        std::memcpy(p - 2, digit_pairs + 2 * whole, 2);
    } else {
        p[-1] = static_cast<char>('0' + whole);
    }
    point[0] = '.';
    std::memcpy(point + 1, digit_pairs + 2 * cents, 2);
    return point + 3;
}

}  // namespace

// Every coordinate of a drawing is a single-precision number. For those, the
// product with 100 is exact in double precision (24 + 7 significant bits),
// so rounding it to a whole number, ties to even, gives exactly the digits of
// the correctly rounded two-decimal text. Other values (wider doubles, huge
// ones, infinities and NaN) take the library's general conversion.
char* put_two_decimals(char* at, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < fast_limit) || static_cast<double>(static_cast<float>(value)) != value) {
        return std::to_chars(at, at + max_two_decimals_chars, value, std::chars_format::fixed, 2).ptr;
    }
    const double hundredths = magnitude * 100.0;
    auto whole = static_cast<std::uint64_t>(hundredths);
    const double fraction = hundredths - static_cast<double>(whole);
    // Without branches: the fraction is as good as random.
    whole += static_cast<std::uint64_t>((fraction > 0.5) | ((fraction == 0.5) & ((whole & 1) != 0)));
    if (std::signbit(value)) {
        *at++ = '-';
    }
    if (whole <= 0xFFFFFFFFu) {
        return put_hundredths(at, static_cast<std::uint32_t>(whole));
    }
    return put_hundredths(at, whole);
}
