#include "panel/overlap_search.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <queue>

namespace {

using Point = Outline::Point;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

// More turn groups than this are left to the plain search.
constexpr std::size_t max_turn_groups = 8;

// A frame turned by `angle`: the coordinates of a point along its axes.
struct Frame {
    double cos_a = 1;
    double sin_a = 0;
    Point to_frame(Point p) const { return {p.x * cos_a + p.y * sin_a, -p.x * sin_a + p.y * cos_a}; }
};

// The shape's box in the frame, grown a little against rounding in the turn:
// the boxes only choose which pairs are compared exactly.
Bounds bounds_in(const Outline& shape, const Frame& frame) {
    Bounds b{INFINITY, INFINITY, -INFINITY, -INFINITY};
    if (shape.round) {
        const Point c = frame.to_frame(shape.centre);
        b = {c.x - shape.radius, c.y - shape.radius, c.x + shape.radius, c.y + shape.radius};
    } else {
        for (const Point& corner : shape.corners) {
            const Point p = frame.to_frame(corner);
            b = {std::min(b.left, p.x), std::min(b.top, p.y), std::max(b.right, p.x), std::max(b.bottom, p.y)};
        }
    }
    const double grow = 1e-9 * (std::fabs(b.left) + std::fabs(b.top) + std::fabs(b.right) + std::fabs(b.bottom)) + 1e-9;
    return {b.left - grow, b.top - grow, b.right + grow, b.bottom + grow};
}


// The turn of a rectangle modulo a quarter turn, in [0, pi/2).
double quarter_turn(const Outline& shape) {
    const double quarter = std::acos(-1.0) / 2;
    const double angle = std::atan2(shape.corners[1].y - shape.corners[0].y, shape.corners[1].x - shape.corners[0].x);
    const double turn = std::fmod(std::fmod(angle, quarter) + quarter, quarter);
    return std::isfinite(turn) ? turn : 0.0;
}

}  // namespace

void sweep_overlapping_boxes(std::vector<Boxed> boxes, const std::function<bool(std::size_t, std::size_t)>& meet) {
    std::sort(boxes.begin(), boxes.end(), [](const Boxed& a, const Boxed& b) { return a.bounds.left < b.bounds.left; });
    double tallest = 0;
    for (const Boxed& b : boxes) tallest = std::max(tallest, b.bounds.bottom - b.bounds.top);
    using Open = std::multimap<double, std::size_t>;
    Open open_by_top;
    using Closing = std::pair<double, Open::iterator>;
    auto later = [](const Closing& a, const Closing& b) { return a.first > b.first; };
    std::priority_queue<Closing, std::vector<Closing>, decltype(later)> closing(later);
    bool going = true;
    for (std::size_t i = 0; i < boxes.size() && going; ++i) {
        const Bounds& current = boxes[i].bounds;
        while (!closing.empty() && closing.top().first <= current.left) {
            open_by_top.erase(closing.top().second);
            closing.pop();
        }
        for (auto it = open_by_top.lower_bound(current.top - tallest);
             it != open_by_top.end() && it->first < current.bottom; ++it) {
            const Boxed& other = boxes[it->second];
            if (other.bounds.bottom > current.top && !meet(other.index, boxes[i].index)) going = false;
        }
        closing.emplace(current.right, open_by_top.emplace(current.top, i));
    }
}

std::optional<Pairs> few_overlapping_pairs(const std::vector<Outline>& shapes, std::size_t most, double slack) {
    // Rectangles grouped by their turn (to a millionth of a quarter turn),
    // circles on their own.
    std::map<long long, std::vector<std::size_t>> groups;
    std::vector<std::size_t> circles;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (shapes[i].round) {
            circles.push_back(i);
        } else {
            const double quarter = std::acos(-1.0) / 2;
            groups[std::llround(quarter_turn(shapes[i]) / quarter * 1e6) % 1000000].push_back(i);
        }
    }
    if (groups.size() > max_turn_groups) return std::nullopt;
    Pairs pairs;
    bool within = true;
    // Tests a pair whose boxes overlap; false once there are too many.
    const auto test = [&](std::size_t a, std::size_t b) {
        if (outlines_overlap(shapes[a], shapes[b], slack)) {
            pairs.emplace_back(std::min(a, b), std::max(a, b));
            if (pairs.size() > most) within = false;
        }
        return within;
    };
    const auto boxed = [&](const std::vector<std::size_t>& members, const Frame& frame) {
        std::vector<Boxed> boxes;
        for (std::size_t i : members) boxes.push_back({i, bounds_in(shapes[i], frame)});
        return boxes;
    };
    // Circles among themselves, upright.
    sweep_overlapping_boxes(boxed(circles, Frame{}), test);
    std::vector<std::pair<long long, const std::vector<std::size_t>*>> listed;
    for (const auto& [key, members] : groups) listed.emplace_back(key, &members);
    for (std::size_t g = 0; g < listed.size() && within; ++g) {
        const double angle = static_cast<double>(listed[g].first) / 1e6 * std::acos(-1.0) / 2;
        const Frame frame{std::cos(angle), std::sin(angle)};
        // A group's rectangles and the circles, in the group's frame; only
        // pairs with a rectangle of the group.
        std::vector<std::size_t> members = *listed[g].second;
        members.insert(members.end(), circles.begin(), circles.end());
        sweep_overlapping_boxes(boxed(members, frame), [&](std::size_t a, std::size_t b) {
            return shapes[a].round && shapes[b].round ? true : test(a, b);
        });
        // Rectangles of two groups, upright.
        for (std::size_t h = g + 1; h < listed.size() && within; ++h) {
            std::vector<std::size_t> both = *listed[g].second;
            both.insert(both.end(), listed[h].second->begin(), listed[h].second->end());
            sweep_overlapping_boxes(boxed(both, Frame{}), [&](std::size_t a, std::size_t b) {
                const bool a_first = std::binary_search(listed[g].second->begin(), listed[g].second->end(), a);
                const bool b_first = std::binary_search(listed[g].second->begin(), listed[g].second->end(), b);
                return a_first == b_first ? true : test(a, b);
            });
        }
    }
    if (!within) return std::nullopt;
    return pairs;
}
