#include "graphics/scale_numbers.hpp"

#include <cmath>
#include <set>

#include "panel/frame.hpp"

namespace {

constexpr int max_decimals = 6;

double value_at(double from, double to, int count, int i) {
    // The last is `to` itself, not the sum of the steps before it.
    return i == count - 1 ? to : from + (to - from) * i / (count - 1);
}

// Whether every value is written exactly with `decimals` (to a part in a
// million of a step, so that 0.1 + 0.2 counts as 0.3).
bool exact_with(const std::vector<double>& values, int decimals, double tolerance) {
    const double scale = std::pow(10.0, decimals);
    for (double v : values) {
        if (std::fabs(std::round(v * scale) / scale - v) > tolerance) return false;
    }
    return true;
}

std::string written(double value, int decimals) {
    std::string text = format_float_as_str(value, decimals);
    // A value that rounds to zero is written without a sign.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

}  // namespace

std::vector<std::string> number_labels(double from, double to, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) values.push_back(value_at(from, to, count, i));
    const double step = count > 1 ? std::fabs(to - from) / (count - 1) : 0;
    const double tolerance = std::max(step, std::fabs(from) + std::fabs(to)) * 1e-9;
    int decimals = 0;
    while (decimals < max_decimals && !exact_with(values, decimals, tolerance)) ++decimals;
    if (!exact_with(values, decimals, tolerance)) {
        // No exact form: the fewest decimals that tell every value apart.
        for (decimals = 0; decimals < max_decimals; ++decimals) {
            std::set<std::string> seen;
            for (double v : values) seen.insert(written(v, decimals));
            if (seen.size() == values.size()) break;
        }
    }
    std::vector<std::string> labels;
    for (double v : values) labels.push_back(written(v, decimals));
    return labels;
}
