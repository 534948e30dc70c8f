#pragma once

#include <string_view>

// An affine map of the plane as SVG writes it: (x, y) goes to
// (a x + c y + e, b x + d y + f).
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    double x_of(double x, double y) const { return a * x + c * y + e; }
    double y_of(double x, double y) const { return b * x + d * y + f; }
    // How much the map stretches lengths; std::runtime_error when it stretches
    // some directions more than others, which would turn a circle into an ellipse.
    double uniform_scale() const;
};

// `outer` after `inner`: the map of an element inside a group.
Affine then(const Affine& inner, const Affine& outer);

// The map of an SVG transform attribute: translate, rotate, scale and matrix
// in any sequence. Throws std::runtime_error on anything else.
Affine parse_transform(std::string_view text);
