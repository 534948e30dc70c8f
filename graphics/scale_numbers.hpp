#pragma once

#include <string>
#include <vector>

// The labels of `count` majors numbered evenly from `from` to `to`, all with
// the fewest decimals (up to 6) that show every value exactly, or else every
// step apart: 0 to 1 over 5 marks gives 0.00, 0.25, 0.50, 0.75, 1.00.
std::vector<std::string> number_labels(double from, double to, int count);
