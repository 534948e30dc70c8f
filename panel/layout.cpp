#include "panel/layout.hpp"

bool is_section_key(const std::string& key) { return key.find('_') != std::string::npos; }

bool contains(const std::string& key, const char* marker) { return key.find(marker) != std::string::npos; }

SectionKind section_kind(const std::string& key) {
    if (contains(key, "_Main") || contains(key, "_Top") || contains(key, "_Bottom")) {
        return SectionKind::face;
    }
    if (contains(key, "_Back") || contains(key, "_Front")) {
        return SectionKind::end;
    }
    return SectionKind::side;
}

// The outer factor enters as a number, so both sizings share one formula,
// evaluated in single precision in exactly this grouping.
PanelSize panel_size(SectionKind kind, float w, float h, float t, float bh, bool outer_sizing) {
    const float o = outer_sizing ? 1.0f : 0.0f;
    const float wall_height = ((1.0f - o) * (t + t) + (bh - (t + t) * o)) / 10.0f;
    switch (kind) {
        case SectionKind::face:
            return {w, h};
        case SectionKind::end:
            return {w - ((t + t) * o) / 10.0f, wall_height};
        case SectionKind::side:
            break;
    }
    return {wall_height, ((1.0f - o) * (t + t)) / 10.0f + h};
}

std::optional<std::string> layer_suffix(bool separate_files, bool text, bool components, bool outline, bool recess,
                                        float screw_size_top, float screw_size_bottom, float screw_head_diameter) {
    if (!separate_files) return std::string();
    if (text) return "_text";
    if (components) return "_components";
    if (recess) return "_recess";
    if (outline) return "_outline";
    if (screw_size_bottom > 0 || screw_size_top > 0) return "_screws";
    if (screw_head_diameter > 0) return "_screw_recess";
    return std::nullopt;
}

std::optional<std::string> unsafe_file_name_reason(const std::string& key) {
    if (key == "." || key == "..") {
        return "a section name cannot be \".\" or \"..\"";
    }
    for (char c : key) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0') {
            return "a section name becomes a file name and cannot hold '/', '\\', ':' or a NUL character";
        }
#ifdef _WIN32
        // Refused here rather than by the file system halfway through a run.
        if (std::string("<>\"|?*").find(c) != std::string::npos || static_cast<unsigned char>(c) < 0x20) {
            return "a section name becomes a file name and cannot hold <, >, \", |, ?, * or a control character";
        }
#endif
    }
    return std::nullopt;
}
