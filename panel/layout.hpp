#pragma once

#include <optional>
#include <string>

// Keys are classified by plain, case-sensitive substrings ("_Main", "pot").
bool contains(const std::string& key, const char* marker);

enum class SectionKind { face, end, side };

// Every top-level key with an underscore names a panel.
bool is_section_key(const std::string& key);
SectionKind section_kind(const std::string& key);

struct PanelSize {
    float width;   // cm
    float height;  // cm
};

// The panel of a section kind, from the box width and height (cm), the
// material thickness and the 3D box height (mm); with outer sizing the box
// sizes are outside measures.
PanelSize panel_size(SectionKind kind, float box_width, float box_height, float material_thickness,
                     float box_height_3d, bool outer_sizing);

// The file-name suffix of a separate-files pass, chosen by the first layer
// the pass selects; nothing when the pass selects no layer (its sections are
// skipped).
std::optional<std::string> layer_suffix(bool separate_files, bool text, bool components, bool outline, bool recess,
                                        float screw_size_top, float screw_size_bottom, float screw_head_diameter);

// A section key becomes a file name: it must not climb out of the output
// folder or name a folder on any platform. Returns the reason it cannot, or
// nothing when it can.
std::optional<std::string> unsafe_file_name_reason(const std::string& key);
