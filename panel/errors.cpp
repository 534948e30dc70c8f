#include "panel/errors.hpp"

[[noreturn]] void fail_at(const Place& place, const std::string& key, const std::string& problem) {
    std::string message = "project file \"" + place.file + "\"";
    if (!place.section.empty()) {
        message += ", section \"" + place.section + "\"";
    }
    if (place.component) {
        message += ", component \"" + *place.component + "\"";
    }
    if (!key.empty()) {
        message += ", key \"" + key + "\"";
    }
    throw RunError(message + ": " + problem);
}
