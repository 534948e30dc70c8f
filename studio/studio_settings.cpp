#include "studio/studio_settings.hpp"

#include <algorithm>
#include <cmath>

#include "settings/command_line.hpp"
#include "settings/options.hpp"

using nlohmann::json;

const char* const studio_key = "Studio";

namespace {

enum class Kind { number, boolean, text };

struct Setting {
    const char* name;
    Kind kind;
};

// The options that shape what a run draws and writes, in the order of the
// help text. Paths, Inkscape and the run's mode stay with the command line.
const Setting settings_table[] = {
    {"material-thickness", Kind::number},  {"box-height-3d", Kind::number},
    {"text", Kind::boolean},               {"font-size", Kind::number},
    {"components", Kind::boolean},         {"outline", Kind::boolean},
    {"recess", Kind::boolean},             {"recess-lines-per-mm", Kind::number},
    {"vectorize", Kind::boolean},          {"separate-files", Kind::boolean},
    {"keep-files", Kind::boolean},         {"outer-sizing", Kind::boolean},
    {"screw-size-top", Kind::number},      {"screw-size-bottom", Kind::number},
    {"screw-head-diameter", Kind::number}, {"screw-extra-margin", Kind::number},
    {"physical-size", Kind::boolean},      {"cut-color", Kind::text},
    {"engrave-color", Kind::text},         {"kerf", Kind::number},
    {"vectorizer", Kind::text},            {"whole-label-numbers", Kind::boolean},
    {"finger-joints", Kind::boolean},      {"finger-width", Kind::number},
    {"finger-play", Kind::number},         {"dxf", Kind::boolean},
    {"sheet", Kind::text},                 {"sheet-gap", Kind::number},
    {"lightburn", Kind::boolean},           {"kerf-x", Kind::number},
    {"kerf-y", Kind::number},
};

// Options given once at start and passed to every run unchanged.
const char* const fixed_option_names[] = {"inkscape-path", "font-file", "parts"};

const std::string default_output_directory = "out";

// Where neither the command line nor the project sets them.
json studio_defaults() { return json{{"material-thickness", 3}, {"box-height-3d", 50}}; }

const Setting* find_setting(const std::string& name) {
    for (const Setting& s : settings_table) {
        if (name == s.name) return &s;
    }
    return nullptr;
}

const char* kind_name(Kind kind) {
    return kind == Kind::number ? "number" : kind == Kind::boolean ? "bool" : "string";
}

bool has_kind(const json& value, Kind kind) {
    switch (kind) {
        case Kind::number: return value.is_number();
        case Kind::boolean: return value.is_boolean();
        case Kind::text: return value.is_string();
    }
    return false;
}

// A typed value from the text the command line gave.
json typed_value(const std::string& text, Kind kind) {
    if (kind == Kind::boolean) return text.empty() || text == "true" || text == "1" || text == "yes";
    if (kind == Kind::text) return text;
    std::size_t used = 0;
    const double number = std::stod(text, &used);
    return number;
}

std::string value_word(const json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // Whole numbers as the maker types them: 3, not 3.0.
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15) {
            return std::to_string(static_cast<long long>(number));
        }
    }
    return value.dump();
}

cxxopts::Options option_table() { return make_options("svggenerator", 2024); }

// The option's default as the help text gives it, in the setting's type.
json option_default(const cxxopts::HelpOptionDetails& option, Kind kind) {
    const json studio = studio_defaults();
    if (studio.contains(option.l.front())) return studio[option.l.front()];
    if (!option.has_default) return kind == Kind::text ? json("") : json(nullptr);
    return typed_value(option.default_value, kind);
}

const cxxopts::HelpOptionDetails* find_option(const std::vector<cxxopts::HelpOptionDetails>& options,
                                              const std::string& name) {
    for (const auto& option : options) {
        if (!option.l.empty() && option.l.front() == name) return &option;
    }
    return nullptr;
}

}  // namespace

StudioStart read_studio_start(const cxxopts::ParseResult& result) {
    StudioStart start;
    start.json_file = result["json-file"].as<std::string>();
    start.output_directory = result.count("output-directory") > 0 ? result["output-directory"].as<std::string>()
                                                                    : default_output_directory;
    for (const auto& given : result.arguments()) {
        const std::string& name = given.key();
        if (std::find(std::begin(fixed_option_names), std::end(fixed_option_names), name) !=
            std::end(fixed_option_names)) {
            start.fixed_options.push_back("--" + name + "=" + given.value());
        } else if (const Setting* setting = find_setting(name)) {
            try {
                start.settings[name] = typed_value(given.value(), setting->kind);
            } catch (const std::logic_error&) {
                throw cxxopts::exceptions::parsing("Argument " + quoted_option(given.value()) + " of option " +
                                                   quoted_option(name) + " failed to parse");
            }
        }
    }
    return start;
}

json merged_settings(const StudioStart& start, const json* saved) {
    json settings = studio_defaults();
    settings.update(start.settings);
    if (saved == nullptr) return settings;
    if (!saved->is_object()) {
        throw SettingError(std::string("\"") + studio_key + "\" must be an object of settings, found " +
                           saved->type_name());
    }
    for (const auto& [name, value] : saved->items()) {
        if (name == "output-directory") {
            if (value != json(start.output_directory)) {
                throw SettingError("setting \"output-directory\": the output folder is set on the command line "
                                   "only (-o), and is \"" + start.output_directory + "\"");
            }
            continue;
        }
        const Setting* setting = find_setting(name);
        if (setting == nullptr) {
            throw SettingError("the studio has no setting \"" + name + "\"");
        }
        // An option without a default (the kerf per axis) is left out as null.
        if (value.is_null() && setting->kind == Kind::number) continue;
        if (!has_kind(value, setting->kind)) {
            throw SettingError("setting \"" + name + "\" must be a " + kind_name(setting->kind) + ", found " +
                               value.type_name());
        }
        settings[name] = value;
    }
    return settings;
}

json filled_settings(const StudioStart&, const json& settings) {
    json filled = json::object();
    for (const json& listed : settings_listing()) {
        const std::string name = listed["name"];
        filled[name] = settings.contains(name) ? settings[name] : listed["default"];
    }
    return filled;
}

std::vector<std::string> run_words(const StudioStart& start, const json& settings) {
    std::vector<std::string> words{"-j", start.json_file, "-o", start.output_directory};
    words.insert(words.end(), start.fixed_options.begin(), start.fixed_options.end());
    const cxxopts::Options options = option_table();
    const auto help = options.group_help("").options;
    for (const Setting& setting : settings_table) {
        const auto found = settings.find(setting.name);
        if (found == settings.end() || found->is_null()) continue;
        const std::string name = setting.name;
        if (name == "material-thickness" || name == "box-height-3d") {
            words.push_back(name == "material-thickness" ? "-m" : "-b");
            words.push_back(value_word(*found));
            continue;
        }
        // An empty colour or sheet is the option left out.
        if (found->is_string() && found->get<std::string>().empty()) continue;
        const cxxopts::HelpOptionDetails* option = find_option(help, name);
        if (option != nullptr && option->has_default && value_word(*found) == value_word(option_default(*option,
                                                                                                         setting.kind))) {
            continue;
        }
        words.push_back("--" + name + "=" + value_word(*found));
    }
    return words;
}

Arguments studio_arguments(const StudioStart& start, const json& settings) {
    std::vector<std::string> words = run_words(start, settings);
    words.insert(words.begin(), start.program_name);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    cxxopts::Options options = option_table();
    try {
        const cxxopts::ParseResult result = parse_command_line(options, static_cast<int>(argv.size()), argv.data());
        return read_arguments(result);
    } catch (const cxxopts::exceptions::exception& e) {
        throw SettingError(e.what());
    }
}

std::string command_line_text(const std::string& program, const std::vector<std::string>& words) {
    std::string text = program;
    for (const std::string& word : words) {
        const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char ch) {
            return std::isalnum(ch) || std::string_view("-_./=:,+#@%").find(static_cast<char>(ch)) !=
                                           std::string_view::npos;
        });
        text += ' ';
        if (plain && word.front() != '#') {
            text += word;
            continue;
        }
        text += '\'';
        for (char ch : word) text += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        text += '\'';
    }
    return text;
}

json settings_listing() {
    const cxxopts::Options options = option_table();
    const auto help = options.group_help("").options;
    json listing = json::array();
    for (const Setting& setting : settings_table) {
        const cxxopts::HelpOptionDetails* option = find_option(help, setting.name);
        if (option == nullptr) continue;
        listing.push_back({{"name", setting.name},
                           {"type", kind_name(setting.kind)},
                           {"default", option_default(*option, setting.kind)},
                           {"description", option->desc}});
    }
    return listing;
}
