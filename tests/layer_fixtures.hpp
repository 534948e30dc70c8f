#pragma once

#include <string>

#include "panel/project.hpp"
#include "test_support.hpp"

// Keeps the parsed component alive for as long as the test uses it.
struct ParsedComponent {
    json object;
    Component component;

    ParsedComponent(const std::string& key, const std::string& text)
        : object(json::parse(text)), component(read_component(key, object, Place{"test.json", "box_Main", {}})) {}
};

// Splits a document part into its elements, one per "<...>" tag.
inline std::vector<std::string> elements_of(const std::string& svg) {
    std::vector<std::string> elements;
    for (auto at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
        elements.push_back(svg.substr(at, svg.find('>', at) - at + 1));
    }
    return elements;
}

// The elements whose text starts with `prefix`, such as "<line".
inline std::vector<std::string> elements_starting(const std::string& svg, const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& element : elements_of(svg)) {
        if (element.rfind(prefix, 0) == 0) found.push_back(element);
    }
    return found;
}
