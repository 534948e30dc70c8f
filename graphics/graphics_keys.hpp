#pragma once

#include <optional>
#include <string>
#include <vector>

#include "panel/project.hpp"

// What a component's "scale" asks for, in px and degrees, checked.
struct ScaleSettings {
    enum class Type { arc, line };
    enum class Side { left, right, both };

    Type type = Type::arc;
    // Arc: degrees, 0 at twelve o'clock, clockwise. Line: px along the
    // travel from the centre, only when given.
    double from = -150;
    double to = 150;
    bool range_given = false;
    int marks = 11;
    int minor = 0;
    std::optional<double> radius;  // px: inner end of the marks (arc), or their distance from the axis (line)
    double length = 0;             // px, major marks
    std::optional<double> minor_length;
    double line_width = 0;  // px
    bool arc = false;
    std::vector<std::string> labels;  // one per major mark, or none
    std::optional<double> label_radius;
    std::optional<double> label_size;  // px
    bool radial = false;
    Side side = Side::left;
};

// What a component's "frame" asks for, in px.
struct FrameSettings {
    double width = 0;
    double height = 0;
    double radius = 0;
    double line_width = 0;
    std::string title;
};

// Nothing when the component has no such key. Throws RunError naming the
// component and the key ("scale.marks") for a value that cannot be drawn.
std::optional<ScaleSettings> read_scale(const Component& c);
std::optional<FrameSettings> read_frame(const Component& c);

// The keys each object knows; the design warnings name the others.
extern const std::vector<std::string> scale_keys;
extern const std::vector<std::string> frame_keys;

// Most major marks and minor marks between two majors: a scale stays a
// drawing and not a fill.
constexpr int max_scale_marks = 1000;
constexpr int max_minor_marks = 100;
