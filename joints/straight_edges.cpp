#include "joints/straight_edges.hpp"

#include <string>
#include <vector>

#include "joints/finger_edges.hpp"
#include "panel/errors.hpp"
#include "panel/layout.hpp"

namespace {

struct NamedKind {
    SectionKind kind;
    const char* name;
};

constexpr NamedKind kinds[] = {{SectionKind::face, "face"}, {SectionKind::end, "end"}, {SectionKind::side, "side"}};

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

// "a, b, c".
std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string why_open(const json& project, const NamedKind& kind, const BoxSize& box) {
    std::vector<std::string> names;
    for (const auto& [key, section] : project.items()) {
        if (is_section_key(key) && section_kind(key) == kind.kind) names.push_back(key);
    }
    if (names.empty()) return std::string("the project has no ") + kind.name + " section";
    const auto [first, second] = places_of(kind.kind);
    return std::string("the project's one ") + kind.name + " section, " + quoted_name(names.front()) +
           ", closes the " + box_place_name(box.places.has(first) ? first : second);
}

}  // namespace

void note_straight_edges(const json& project, const BoxSize& box, const Arguments& args, std::ostream& out) {
    if (!args.finger_joints || !project.is_object()) return;
    for (const NamedKind& kind : kinds) {
        std::vector<BoxPlace> open;
        for (BoxPlace place : places_of(kind.kind)) {
            if (!box.places.has(place)) open.push_back(place);
        }
        if (open.empty()) continue;
        std::vector<std::string> edges;
        for (const auto& [key, section] : project.items()) {
            if (!is_section_key(key)) continue;
            std::vector<std::string> sides;
            for (EdgeSide side : {EdgeSide::top, EdgeSide::bottom, EdgeSide::left, EdgeSide::right}) {
                const BoxPlace partner = partner_place(section_kind(key), side);
                if (partner == open.front() || partner == open.back()) sides.push_back(edge_name(side));
            }
            if (!sides.empty()) edges.push_back(quoted_name(key) + " " + listed(sides));
        }
        if (edges.empty()) continue;
        std::string places = box_place_name(open.front());
        if (open.size() > 1) places += std::string(" or the ") + box_place_name(open.back());
        out << "Note: no panel closes the " << places << " of the box (" << why_open(project, kind, box)
            << "), so these edges stay straight: " << joined(edges) << std::endl;
    }
}
