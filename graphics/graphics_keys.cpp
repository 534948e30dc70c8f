#include "graphics/graphics_keys.hpp"

#include <cmath>

#include "graphics/scale_numbers.hpp"
#include "panel/errors.hpp"
#include "panel/panel.hpp"
#include "panel/screws.hpp"

const std::vector<std::string> scale_keys = {"arc",    "from",         "label_radius", "label_size", "labels",
                                             "length", "line_width",   "marks",        "minor",      "minor_length",
                                             "radial", "radius",       "side",         "to",         "type"};
const std::vector<std::string> frame_keys = {"height", "line_width", "radius", "title", "width"};

namespace {

// Reads the members of one object ("scale" or "frame"), naming each as
// "scale.marks" in its errors.
class Reader {
public:
    Reader(const Component& c, const char* name) : c_(c), name_(name), object_(c.object->at(name)) {
        if (!object_.is_object()) {
            fail_at(c_.place, name_, std::string("expected an object, found ") + object_.type_name());
        }
    }

    bool has(const char* key) const { return object_.contains(key); }

    [[noreturn]] void fail(const char* key, const std::string& problem) const {
        fail_at(c_.place, name_ + "." + key, problem);
    }

    double number(const char* key) const {
        const json& value = object_.at(key);
        if (!value.is_number()) fail(key, std::string("expected a number, found ") + value.type_name());
        const double number = value.get<double>();
        if (!std::isfinite(number) || std::fabs(number) > 1e6) fail(key, "the number is out of range");
        return number;
    }

    // A length in cm, as px; never negative.
    double length_cm(const char* key) const {
        const double cm = number(key);
        if (cm < 0) fail(key, "a length cannot be negative");
        return cm * static_cast<double>(cm_to_px);
    }

    double width_mm(const char* key) const {
        const double mm = number(key);
        if (!(mm > 0)) fail(key, "a line width must be above 0");
        return static_cast<double>(mm_to_px(static_cast<float>(mm)));
    }

    double size_px(const char* key) const {
        const double px = number(key);
        if (!(px > 0)) fail(key, "a text size must be above 0");
        return px;
    }

    int whole(const char* key, int least, int most) const {
        const double value = number(key);
        if (value != std::floor(value)) fail(key, "expected a whole number");
        if (value < least) fail(key, "must be at least " + std::to_string(least));
        if (value > most) fail(key, "must be at most " + std::to_string(most));
        return static_cast<int>(value);
    }

    bool flag(const char* key) const {
        const json& value = object_.at(key);
        if (!value.is_boolean()) fail(key, std::string("expected true or false, found ") + value.type_name());
        return value.get<bool>();
    }

    std::string text(const char* key) const {
        const json& value = object_.at(key);
        if (!value.is_string()) fail(key, std::string("expected a string, found ") + value.type_name());
        return value.get<std::string>();
    }

    // One of `choices`, as its index.
    std::size_t choice(const char* key, const std::vector<std::string>& choices) const {
        const std::string value = text(key);
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (value == choices[i]) return i;
        }
        std::string listed;
        for (const std::string& each : choices) listed += (listed.empty() ? "\"" : ", \"") + each + "\"";
        fail(key, "expected one of " + listed + ", found \"" + value + "\"");
    }

    const json& at(const char* key) const { return object_.at(key); }

private:
    const Component& c_;
    std::string name_;
    const json& object_;
};

// Characters XML does not allow: controls, U+FFFE and U+FFFF.
void check_text(const Reader& in, const char* key, const std::string& text) {
    bool forbidden = text.find("\xEF\xBF\xBE") != std::string::npos || text.find("\xEF\xBF\xBF") != std::string::npos;
    for (unsigned char ch : text) forbidden = forbidden || ch < 0x20;
    if (forbidden) in.fail(key, "the text holds a character that an SVG file cannot carry");
}

void read_labels(const Reader& in, ScaleSettings& s) {
    const json& labels = in.at("labels");
    if (labels.is_object()) {
        if (!labels.contains("from") || !labels.contains("to")) in.fail("labels", "expected \"from\" and \"to\"");
        for (const char* end : {"from", "to"}) {
            const json& value = labels.at(end);
            if (!value.is_number() || !std::isfinite(value.get<double>()) || std::fabs(value.get<double>()) > 1e12) {
                in.fail("labels", std::string("\"") + end + "\" must be a number");
            }
        }
        s.labels = number_labels(labels.at("from").get<double>(), labels.at("to").get<double>(), s.marks);
    } else if (labels.is_array()) {
        if (static_cast<long long>(labels.size()) != s.marks) {
            in.fail("labels", std::to_string(labels.size()) + " labels for " + std::to_string(s.marks) +
                                  " marks; give one for each major mark");
        }
        for (const json& label : labels) {
            if (!label.is_string()) in.fail("labels", std::string("expected strings, found ") + label.type_name());
            s.labels.push_back(label.get<std::string>());
            check_text(in, "labels", s.labels.back());
        }
    } else {
        in.fail("labels", std::string("expected an object or an array, found ") + labels.type_name());
    }
}

}  // namespace

std::optional<ScaleSettings> read_scale(const Component& c) {
    if (!c.has("scale")) return std::nullopt;
    const Reader in(c, "scale");
    ScaleSettings s;
    if (in.has("type")) s.type = in.choice("type", {"arc", "line"}) == 0 ? ScaleSettings::Type::arc : ScaleSettings::Type::line;
    const bool arc = s.type == ScaleSettings::Type::arc;
    if (arc) {
        if (in.has("from")) s.from = in.number("from");
        if (in.has("to")) s.to = in.number("to");
        if (s.from == s.to) in.fail("to", "the scale has no sweep: \"from\" and \"to\" are the same angle");
        if (std::fabs(s.to - s.from) > 360) in.fail("to", "the sweep from \"from\" to \"to\" is more than 360 degrees");
    } else if (in.has("from") || in.has("to")) {
        if (!in.has("from") || !in.has("to")) in.fail(in.has("from") ? "to" : "from", "give both \"from\" and \"to\"");
        s.from = in.number("from") * static_cast<double>(cm_to_px);
        s.to = in.number("to") * static_cast<double>(cm_to_px);
        s.range_given = true;
        if (s.from == s.to) in.fail("to", "the scale has no length: \"from\" and \"to\" are the same");
    }
    if (in.has("marks")) s.marks = in.whole("marks", 2, max_scale_marks);
    if (in.has("minor")) s.minor = in.whole("minor", 0, max_minor_marks);
    if (in.has("radius")) s.radius = in.length_cm("radius");
    s.length = in.has("length") ? in.length_cm("length") : 0.2 * static_cast<double>(cm_to_px);
    if (in.has("minor_length")) s.minor_length = in.length_cm("minor_length");
    s.line_width = in.has("line_width") ? in.width_mm("line_width") : static_cast<double>(mm_to_px(0.3f));
    if (in.has("arc")) s.arc = in.flag("arc");
    if (in.has("labels")) read_labels(in, s);
    if (in.has("label_radius")) s.label_radius = in.length_cm("label_radius");
    if (in.has("label_size")) s.label_size = in.size_px("label_size");
    if (in.has("radial")) s.radial = in.flag("radial");
    if (in.has("side")) s.side = static_cast<ScaleSettings::Side>(in.choice("side", {"left", "right", "both"}));
    return s;
}

std::optional<FrameSettings> read_frame(const Component& c) {
    if (!c.has("frame")) return std::nullopt;
    const Reader in(c, "frame");
    FrameSettings f;
    for (const char* key : {"width", "height"}) {
        if (!in.has(key)) in.fail(key, "missing");
        const double cm = in.number(key);
        if (!(cm > 0)) in.fail(key, "a frame's size must be above 0");
        (key[0] == 'w' ? f.width : f.height) = cm * static_cast<double>(cm_to_px);
    }
    if (in.has("radius")) f.radius = in.length_cm("radius");
    f.line_width = in.has("line_width") ? in.width_mm("line_width") : static_cast<double>(mm_to_px(0.3f));
    if (in.has("title")) {
        f.title = in.text("title");
        check_text(in, "title", f.title);
    }
    return f;
}
