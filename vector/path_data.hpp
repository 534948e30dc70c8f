#pragma once

#include <string>

// Builds the text of a path's "d" attribute in absolute commands. Numbers
// carry at most three decimals (a thousandth of a pixel), trailing zeros cut.
class PathData {
public:
    void move_to(double x, double y);
    void line_to(double x, double y);
    void quad_to(double cx, double cy, double x, double y);
    void cubic_to(double c1x, double c1y, double c2x, double c2y, double x, double y);
    // An elliptical arc of radii rx, ry to (x, y).
    void arc_to(double rx, double ry, bool large_arc, bool sweep, double x, double y);
    void close();

    bool empty() const { return text_.empty(); }
    const std::string& text() const { return text_; }

private:
    void command(char letter);
    void number(double value);

    std::string text_;
};

// `value` as path data writes it: "12.5", "-0.004", "3".
std::string path_number(double value);
