#include "lightburn/lightburn_settings.hpp"

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "panel/errors.hpp"
#include "settings/utf8_path.hpp"

namespace {

using nlohmann::json;

struct Key {
    const char* name;    // in the settings file
    const char* value;   // in the LightBurn project
    double least;
    double most;
    bool whole;
};

constexpr Key keys[] = {
    {"speed", "speed", 0.001, 100000, false},
    {"power", "maxPower", 0, 100, false},
    {"min_power", "minPower", 0, 100, false},
    {"passes", "numPasses", 1, 1000, true},
};

constexpr const char* layer_keys[] = {"engrave", "inner_cuts", "outlines"};

[[noreturn]] void refuse(const std::string& file, const std::string& where, const std::string& problem) {
    throw RunError("LightBurn settings file " + quoted_name(file) + where + ": " + problem);
}

std::string number_text(double value) {
    std::ostringstream text;
    text.precision(9);
    text << value;
    return text.str();
}

LayerValues read_layer(const std::string& file, const std::string& layer, const json& values) {
    const std::string where = ", layer " + quoted_name(layer);
    if (!values.is_object()) refuse(file, where, "must be an object of settings");
    LayerValues out;
    for (const auto& [name, value] : values.items()) {
        const Key* key = nullptr;
        for (const Key& k : keys) {
            if (name == k.name) key = &k;
        }
        if (key == nullptr) refuse(file, where + ", key " + quoted_name(name), "unknown; use speed, power, min_power or passes");
        const double number = value.is_number() ? value.get<double>() : NAN;
        if (!(number >= key->least && number <= key->most) || (key->whole && number != std::floor(number))) {
            std::string rule = key->whole ? "a whole number from " : "a number from ";
            refuse(file, where + ", key " + quoted_name(name), "must be " + rule + number_text(key->least) + " to " + number_text(key->most));
        }
        out.emplace_back(key->value, number_text(number));
    }
    return out;
}

}  // namespace

LightBurnSettings read_lightburn_settings(const std::string& file) {
    std::ifstream in(utf8_path(file), std::ios::binary);
    if (!in) refuse(file, "", "cannot be opened");
    json root;
    try {
        root = json::parse(in);
    } catch (const json::exception& e) {
        refuse(file, "", std::string("is not valid JSON: ") + e.what());
    }
    if (!root.is_object()) refuse(file, "", "must hold an object with the layers engrave, inner_cuts and outlines");
    LightBurnSettings settings;
    for (const auto& [layer, values] : root.items()) {
        std::size_t i = 0;
        while (i < std::size(layer_keys) && layer != layer_keys[i]) ++i;
        if (i == std::size(layer_keys)) {
            refuse(file, ", layer " + quoted_name(layer), "unknown; use engrave, inner_cuts or outlines");
        }
        settings.layers[i] = read_layer(file, layer, values);
    }
    return settings;
}
