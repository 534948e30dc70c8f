#include "panel/design_warning.hpp"

void write_design_warning(std::ostream& err, const Place& place, const std::string& key, const std::string& problem) {
    const std::string line = "Warning: " + describe_place(place, key) + ": " + problem;
    if (auto* list = dynamic_cast<DesignWarningList*>(&err)) {
        list->warnings.push_back({place.section, place.component.value_or(""), key, line});
        return;
    }
    err << line << std::endl;
}
