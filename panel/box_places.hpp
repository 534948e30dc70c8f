#pragma once

#include <array>
#include <nlohmann/json.hpp>

#include "panel/layout.hpp"

// The six places of a box as it stands, seen from the front: a face section
// closes the top or the bottom, an end section the front or the back, a side
// section the left or the right.
enum class BoxPlace { top, bottom, front, back, left, right };
constexpr std::array<BoxPlace, 6> box_places = {BoxPlace::top,   BoxPlace::bottom, BoxPlace::front,
                                                BoxPlace::back,  BoxPlace::left,   BoxPlace::right};
const char* box_place_name(BoxPlace place);

// Which places the project's sections close. A box that leaves one open (an
// open box, a shelf) has no panel there for the others' joints to meet.
struct FilledPlaces {
    std::array<bool, 6> filled{true, true, true, true, true, true};

    bool has(BoxPlace place) const { return filled[static_cast<std::size_t>(place)]; }
};

// The two places a section of `kind` can close: top and bottom, front and
// back, left and right.
std::array<BoxPlace, 2> places_of(SectionKind kind);

// Two or more sections of a kind close both of its places, none leaves both
// open. A single section closes the place its key names: a face the bottom
// with "_Bottom" in its key, else the top; an end the front with "_Front",
// else the back; a side the right with "_Right", else the left.
FilledPlaces filled_places(const nlohmann::json& project);
