#include "sheets/free_space.hpp"

#include <algorithm>

namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool contains(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// How long two edges lying on one line share.
Length shared(Length a_start, Length a_end, Length b_start, Length b_end) {
    return std::max<Length>(0, std::min(a_end, b_end) - std::max(a_start, b_start));
}

}  // namespace

bool better(const Spot& a, const Spot& b) {
    if (!b.found) return a.found;
    if (!a.found) return false;
    return a.first != b.first ? a.first < b.first : a.second < b.second;
}

FreeSpace::FreeSpace(Length width, Length height) : width_(width), height_(height), free_{{0, 0, width, height}} {}

Length FreeSpace::contact(Length x, Length y, Length width, Length height) const {
    Length touching = 0;
    if (x == 0 || x + width == width_) touching += height;
    if (y == 0 || y + height == height_) touching += width;
    for (const Rect& u : used_) {
        if (u.x == x + width || u.x + u.width == x) touching += shared(u.y, u.y + u.height, y, y + height);
        if (u.y == y + height || u.y + u.height == y) touching += shared(u.x, u.x + u.width, x, x + width);
    }
    return touching;
}

Spot FreeSpace::score(const Rect& f, Length width, Length height, FitRule rule) const {
    Spot spot;
    if (width > f.width || height > f.height) return spot;
    spot.found = true;
    spot.rect = {f.x, f.y, width, height};
    const Length left_w = f.width - width;
    const Length left_h = f.height - height;
    switch (rule) {
        case FitRule::best_short_side:
            spot.first = std::min(left_w, left_h);
            spot.second = std::max(left_w, left_h);
            break;
        case FitRule::best_long_side:
            spot.first = std::max(left_w, left_h);
            spot.second = std::min(left_w, left_h);
            break;
        case FitRule::best_area:
            spot.first = f.width * f.height - width * height;
            spot.second = std::min(left_w, left_h);
            break;
        case FitRule::bottom_left:
            // Towards the sheet's origin corner: the lowest far edge, then leftmost.
            spot.first = f.y + height;
            spot.second = f.x;
            break;
        case FitRule::contact_point:
            spot.first = -contact(f.x, f.y, width, height);
            spot.second = f.y + f.x;
            break;
    }
    return spot;
}

Spot FreeSpace::best_spot(Extent panel, FitRule rule) const {
    Spot best;
    for (const Rect& f : free_) {
        Spot plain = score(f, panel.width, panel.height, rule);
        if (better(plain, best)) best = plain;
        if (panel.width != panel.height) {
            Spot turned = score(f, panel.height, panel.width, rule);
            turned.turned = true;
            if (better(turned, best)) best = turned;
        }
    }
    return best;
}

void FreeSpace::place(const Rect& r) {
    std::vector<Rect> next;
    next.reserve(free_.size() + 4);
    for (const Rect& f : free_) {
        if (!overlaps(f, r)) {
            next.push_back(f);
            continue;
        }
        if (r.x > f.x) next.push_back({f.x, f.y, r.x - f.x, f.height});
        if (r.x + r.width < f.x + f.width)
            next.push_back({r.x + r.width, f.y, f.x + f.width - r.x - r.width, f.height});
        if (r.y > f.y) next.push_back({f.x, f.y, f.width, r.y - f.y});
        if (r.y + r.height < f.y + f.height)
            next.push_back({f.x, r.y + r.height, f.width, f.y + f.height - r.y - r.height});
    }
    free_ = std::move(next);
    used_.push_back(r);
    prune();
}

// Drops every free rectangle that lies inside another (of two equal ones,
// the later).
void FreeSpace::prune() {
    std::vector<bool> gone(free_.size(), false);
    for (std::size_t i = 0; i < free_.size(); ++i) {
        for (std::size_t j = 0; j < free_.size() && !gone[i]; ++j) {
            if (i == j || gone[j] || !contains(free_[j], free_[i])) continue;
            if (!contains(free_[i], free_[j]) || j < i) gone[i] = true;
        }
    }
    std::vector<Rect> kept;
    for (std::size_t i = 0; i < free_.size(); ++i) {
        if (!gone[i]) kept.push_back(free_[i]);
    }
    free_ = std::move(kept);
}

Length FreeSpace::largest_free_area() const {
    Length largest = 0;
    for (const Rect& f : free_) largest = std::max(largest, f.width * f.height);
    return largest;
}
