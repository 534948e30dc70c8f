#include "vector/path_data.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

std::string path_number(double value) {
    if (!std::isfinite(value)) {
        throw std::runtime_error("a path coordinate is not a finite number");
    }
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

void PathData::command(char letter) {
    if (!text_.empty()) text_ += ' ';
    text_ += letter;
}

void PathData::number(double value) {
    text_ += ' ';
    text_ += path_number(value);
}

void PathData::move_to(double x, double y) {
    command('M');
    number(x);
    number(y);
}

void PathData::line_to(double x, double y) {
    command('L');
    number(x);
    number(y);
}

void PathData::quad_to(double cx, double cy, double x, double y) {
    command('Q');
    number(cx);
    number(cy);
    number(x);
    number(y);
}

void PathData::cubic_to(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    command('C');
    number(c1x);
    number(c1y);
    number(c2x);
    number(c2y);
    number(x);
    number(y);
}

void PathData::arc_to(double rx, double ry, bool large_arc, bool sweep, double x, double y) {
    command('A');
    number(rx);
    number(ry);
    text_ += large_arc ? " 0 1" : " 0 0";
    text_ += sweep ? " 1" : " 0";
    number(x);
    number(y);
}

void PathData::close() { command('Z'); }
