#include "dxf/transform.hpp"

#include <charconv>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

bool is_separator(char ch) { return ch == ' ' || ch == ',' || ch == '\t' || ch == '\n' || ch == '\r'; }

[[noreturn]] void unreadable(std::string_view text) {
    throw std::runtime_error("cannot read the transform \"" + std::string(text) + "\"");
}

// The numbers between the parentheses of one transform function.
std::vector<double> arguments(std::string_view inside, std::string_view whole) {
    std::vector<double> values;
    std::size_t at = 0;
    while (true) {
        while (at < inside.size() && is_separator(inside[at])) ++at;
        if (at >= inside.size()) return values;
        double value = 0;
        const auto result = std::from_chars(inside.data() + at, inside.data() + inside.size(), value);
        if (result.ec != std::errc() || !std::isfinite(value)) unreadable(whole);
        values.push_back(value);
        at = static_cast<std::size_t>(result.ptr - inside.data());
    }
}

Affine function(std::string_view name, const std::vector<double>& v, std::string_view whole) {
    Affine m;
    const std::size_t n = v.size();
    if (name == "translate" && (n == 1 || n == 2)) {
        m.e = v[0];
        m.f = n == 2 ? v[1] : 0;
    } else if (name == "scale" && (n == 1 || n == 2)) {
        m.a = v[0];
        m.d = n == 2 ? v[1] : v[0];
    } else if (name == "rotate" && (n == 1 || n == 3)) {
        double cos_t = std::cos(v[0] * std::numbers::pi / 180.0);
        double sin_t = std::sin(v[0] * std::numbers::pi / 180.0);
        // Quarter turns stay exact, so a turned rectangle keeps its corners.
        if (std::fmod(v[0], 90.0) == 0) {
            const double quarters = std::fmod(std::fmod(v[0] / 90.0, 4.0) + 4.0, 4.0);
            cos_t = quarters == 0 ? 1 : quarters == 2 ? -1 : 0;
            sin_t = quarters == 1 ? 1 : quarters == 3 ? -1 : 0;
        }
        m.a = cos_t;
        m.b = sin_t;
        m.c = -sin_t;
        m.d = cos_t;
        if (n == 3) {
            // About (cx, cy): move there, turn, move back.
            m.e = v[1] - cos_t * v[1] + sin_t * v[2];
            m.f = v[2] - sin_t * v[1] - cos_t * v[2];
        }
    } else if (name == "matrix" && n == 6) {
        m = Affine{v[0], v[1], v[2], v[3], v[4], v[5]};
    } else {
        unreadable(whole);
    }
    return m;
}

}  // namespace

double Affine::uniform_scale() const {
    const double sx = std::hypot(a, b);
    const double sy = std::hypot(c, d);
    const double skew = a * c + b * d;
    if (std::fabs(sx - sy) > 1e-9 * (sx + sy) || std::fabs(skew) > 1e-9 * (sx * sy + 1)) {
        throw std::runtime_error("cannot draw a circle that a transform stretches into an ellipse");
    }
    return sx;
}

Affine then(const Affine& inner, const Affine& outer) {
    return Affine{outer.a * inner.a + outer.c * inner.b,
                  outer.b * inner.a + outer.d * inner.b,
                  outer.a * inner.c + outer.c * inner.d,
                  outer.b * inner.c + outer.d * inner.d,
                  outer.a * inner.e + outer.c * inner.f + outer.e,
                  outer.b * inner.e + outer.d * inner.f + outer.f};
}

Affine parse_transform(std::string_view text) {
    // Functions apply right to left: the last one listed acts first.
    Affine total;
    std::size_t at = 0;
    while (true) {
        while (at < text.size() && is_separator(text[at])) ++at;
        if (at >= text.size()) return total;
        const std::size_t open = text.find('(', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find(')', open);
        if (close == std::string_view::npos) unreadable(text);
        std::string_view name = text.substr(at, open - at);
        while (!name.empty() && is_separator(name.back())) name.remove_suffix(1);
        const Affine step = function(name, arguments(text.substr(open + 1, close - open - 1), text), text);
        total = then(step, total);
        at = close + 1;
    }
}
