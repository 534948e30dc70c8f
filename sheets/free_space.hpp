#pragma once

#include <vector>

#include "sheets/packer.hpp"

struct Rect {
    Length x = 0;
    Length y = 0;
    Length width = 0;
    Length height = 0;
};

// A spot a panel may take, with its score under a rule: lower is better,
// `second` breaks ties.
struct Spot {
    bool found = false;
    Rect rect;
    bool turned = false;
    Length first = 0;
    Length second = 0;
};

bool better(const Spot& a, const Spot& b);

// The free space of one sheet as MaxRects keeps it: every maximal empty
// rectangle, overlapping one another.
class FreeSpace {
public:
    FreeSpace(Length width, Length height);

    // The best spot for a panel of this size, unturned or turned.
    Spot best_spot(Extent panel, FitRule rule) const;
    void place(const Rect& rect);
    // The largest piece of material still in one rectangle.
    Length largest_free_area() const;

private:
    Spot score(const Rect& free, Length width, Length height, FitRule rule) const;
    Length contact(Length x, Length y, Length width, Length height) const;
    void prune();

    Length width_;
    Length height_;
    std::vector<Rect> free_;
    std::vector<Rect> used_;
};
