#pragma once

#include <cstddef>

// Room put_two_decimals may need: the largest double has 309 integer digits,
// plus sign, point and two decimals.
constexpr std::size_t max_two_decimals_chars = 320;

// Writes `value` in fixed notation with two decimals, exactly as a stream in
// fixed mode with precision 2 writes it (ties to even, "-0.00" for negatives
// that round to zero, "inf"/"nan" as the library spells them), and returns
// the end of the text. `at` must have room for max_two_decimals_chars.
char* put_two_decimals(char* at, double value);
