#include "sheets/exact_search.hpp"

#include <algorithm>
#include <utility>

namespace {

struct Corner {
    Length x;
    Length y;
};

class CornerSearch {
public:
    CornerSearch(const std::vector<Extent>& panels, Extent sheet, std::size_t& steps_left)
        : panels_(panels),
          sheet_(sheet),
          steps_left_(steps_left),
          placed_(panels.size(), false),
          layout_(panels.size()) {
        for (const Extent& p : panels) remaining_area_ += p.width * p.height;
    }

    bool run() { return search(0); }
    bool stopped() const { return stopped_; }
    const std::vector<Rect>& layout() const { return layout_; }

private:
    // The inner corners of the staircase that the placed panels' far edges
    // make, and the area under it, which no later panel can use.
    std::vector<Corner> corners(Length& shadow) const {
        std::vector<std::pair<Length, Length>> ends;  // far x, far y of each placed panel
        for (std::size_t i = 0; i < panels_.size(); ++i) {
            if (placed_[i]) ends.emplace_back(layout_[i].x + layout_[i].width, layout_[i].y + layout_[i].height);
        }
        std::sort(ends.begin(), ends.end(), std::greater<>());
        std::vector<std::pair<Length, Length>> steps;  // far x descending, far y ascending
        Length highest = 0;
        for (const auto& end : ends) {
            if (end.second > highest) {
                steps.push_back(end);
                highest = end.second;
            }
        }
        std::reverse(steps.begin(), steps.end());  // far x ascending, far y descending
        std::vector<Corner> found;
        shadow = 0;
        Length x = 0;
        for (const auto& [far_x, far_y] : steps) {
            found.push_back({x, far_y});
            shadow += (far_x - x) * far_y;
            x = far_x;
        }
        found.push_back({x, 0});
        return found;
    }

    bool search(std::size_t count) {
        if (count == panels_.size()) return true;
        if (steps_left_ == 0) {
            stopped_ = true;
            return false;
        }
        --steps_left_;
        Length shadow = 0;
        const std::vector<Corner> spots = corners(shadow);
        if (shadow + remaining_area_ > sheet_.width * sheet_.height) return false;
        for (std::size_t i = 0; i < panels_.size(); ++i) {
            if (placed_[i] || same_as_earlier_unplaced(i)) continue;
            const Extent p = panels_[i];
            for (int turn = 0; turn < (p.width == p.height ? 1 : 2); ++turn) {
                const Length w = turn == 0 ? p.width : p.height;
                const Length h = turn == 0 ? p.height : p.width;
                for (const Corner& c : spots) {
                    if (c.x + w > sheet_.width || c.y + h > sheet_.height) continue;
                    placed_[i] = true;
                    layout_[i] = {c.x, c.y, w, h};
                    remaining_area_ -= w * h;
                    const bool done = search(count + 1);
                    remaining_area_ += w * h;
                    if (done) return true;
                    placed_[i] = false;
                    if (stopped_) return false;
                }
            }
        }
        return false;
    }

    // Two unplaced panels of one size lead to the same packings; only the
    // first is tried.
    bool same_as_earlier_unplaced(std::size_t i) const {
        for (std::size_t j = 0; j < i; ++j) {
            if (!placed_[j] && panels_[j].width == panels_[i].width && panels_[j].height == panels_[i].height) {
                return true;
            }
        }
        return false;
    }

    const std::vector<Extent>& panels_;
    Extent sheet_;
    std::size_t& steps_left_;
    std::vector<bool> placed_;
    std::vector<Rect> layout_;
    Length remaining_area_ = 0;
    bool stopped_ = false;
};

}  // namespace

bool fits_one_sheet(const std::vector<Extent>& panels, Extent sheet, std::size_t& steps_left, bool& stopped,
                    std::vector<Rect>& layout) {
    CornerSearch search(panels, sheet, steps_left);
    const bool fits = search.run();
    stopped = stopped || search.stopped();
    if (fits) layout = search.layout();
    return fits;
}
