#include "panel/box_places.hpp"

const char* box_place_name(BoxPlace place) {
    switch (place) {
        case BoxPlace::top: return "top";
        case BoxPlace::bottom: return "bottom";
        case BoxPlace::front: return "front";
        case BoxPlace::back: return "back";
        case BoxPlace::left: return "left";
        case BoxPlace::right: return "right";
    }
    return "";
}

namespace {

struct KindPlaces {
    SectionKind kind;
    const char* named;  // the marker that puts a single section at `second`
    BoxPlace first;
    BoxPlace second;
};

constexpr KindPlaces kind_places[] = {
    {SectionKind::face, "_Bottom", BoxPlace::top, BoxPlace::bottom},
    {SectionKind::end, "_Front", BoxPlace::back, BoxPlace::front},
    {SectionKind::side, "_Right", BoxPlace::left, BoxPlace::right},
};

}  // namespace

std::array<BoxPlace, 2> places_of(SectionKind kind) {
    for (const KindPlaces& k : kind_places) {
        if (k.kind == kind) return {k.first, k.second};
    }
    return {};
}

FilledPlaces filled_places(const nlohmann::json& project) {
    FilledPlaces places;
    if (!project.is_object()) return places;
    for (const KindPlaces& k : kind_places) {
        int count = 0;
        bool named = false;
        for (const auto& [key, value] : project.items()) {
            if (!is_section_key(key) || section_kind(key) != k.kind) continue;
            ++count;
            named = contains(key, k.named);
        }
        if (count >= 2) continue;
        places.filled[static_cast<std::size_t>(k.first)] = count == 1 && !named;
        places.filled[static_cast<std::size_t>(k.second)] = count == 1 && named;
    }
    return places;
}
