#include "sheets/packer.hpp"

#include <algorithm>
#include <numeric>

#include "sheets/exact_search.hpp"
#include "sheets/free_space.hpp"

namespace {

// The gap is kept by growing every panel by one gap to the right and below
// and taking one gap off the sheet at its right and bottom edges; the
// result moves one gap away from the top and left edges.
struct Grown {
    std::vector<Extent> panels;
    Extent sheet;
};

Grown grow(const std::vector<Extent>& panels, Extent sheet, Length gap) {
    Grown grown{panels, {sheet.width - gap, sheet.height - gap}};
    for (Extent& p : grown.panels) {
        p.width += gap;
        p.height += gap;
    }
    return grown;
}

Length area(Extent e) { return e.width * e.height; }

// One sheet of a packing being built: which panels it holds, where.
struct Sheet {
    std::vector<std::size_t> panels;
    std::vector<Rect> rects;
    Length used = 0;
};

std::vector<std::size_t> offer_order(const std::vector<Extent>& panels, PanelOrder order) {
    std::vector<std::size_t> index(panels.size());
    std::iota(index.begin(), index.end(), std::size_t{0});
    const auto key = [&](std::size_t i) -> Length {
        const Extent p = panels[i];
        switch (order) {
            case PanelOrder::long_side:
                return std::max(p.width, p.height);
            case PanelOrder::perimeter:
                return p.width + p.height;
            case PanelOrder::short_side:
                return std::min(p.width, p.height);
            default:
                return area(p);
        }
    };
    std::stable_sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) { return key(a) > key(b); });
    return index;
}

void put(Sheet& sheet, FreeSpace& space, std::size_t panel, const Spot& spot) {
    space.place(spot.rect);
    sheet.panels.push_back(panel);
    sheet.rects.push_back(spot.rect);
    sheet.used += spot.rect.width * spot.rect.height;
}

// Offers the panels in order; each takes the best spot of the first sheet
// that has room, or starts a new sheet.
std::vector<Sheet> first_fit(const std::vector<Extent>& panels, const std::vector<std::size_t>& order, Extent bin,
                             FitRule rule) {
    std::vector<Sheet> sheets;
    std::vector<FreeSpace> spaces;
    for (std::size_t i : order) {
        bool placed = false;
        for (std::size_t s = 0; s < sheets.size() && !placed; ++s) {
            const Spot spot = spaces[s].best_spot(panels[i], rule);
            if (spot.found) {
                put(sheets[s], spaces[s], i, spot);
                placed = true;
            }
        }
        if (!placed) {
            sheets.emplace_back();
            spaces.emplace_back(bin.width, bin.height);
            const Spot spot = spaces.back().best_spot(panels[i], rule);
            if (spot.found) put(sheets.back(), spaces.back(), i, spot);
        }
    }
    return sheets;
}

// Fills one sheet after the other; every step takes, of all panels left,
// the one whose best spot scores best.
std::vector<Sheet> best_first(const std::vector<Extent>& panels, const std::vector<std::size_t>& order, Extent bin,
                              FitRule rule) {
    std::vector<Sheet> sheets;
    std::vector<std::size_t> left = order;
    while (!left.empty()) {
        sheets.emplace_back();
        FreeSpace space(bin.width, bin.height);
        const std::size_t before = left.size();
        while (!left.empty()) {
            Spot best;
            std::size_t taken = left.size();
            for (std::size_t k = 0; k < left.size(); ++k) {
                const Spot spot = space.best_spot(panels[left[k]], rule);
                if (better(spot, best)) {
                    best = spot;
                    taken = k;
                }
            }
            if (taken == left.size()) break;
            put(sheets.back(), space, left[taken], best);
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(taken));
        }
        // A panel larger than an empty sheet would keep this loop going.
        if (left.size() == before) break;
    }
    return sheets;
}

std::vector<Sheet> heuristic(const std::vector<Extent>& panels, Extent bin, FitRule rule, PanelOrder order) {
    if (order == PanelOrder::best_first) return best_first(panels, offer_order(panels, PanelOrder::area), bin, rule);
    return first_fit(panels, offer_order(panels, order), bin, rule);
}

// Fewer sheets first; of as many, the one with its material used most
// unevenly, so that the last sheets are the emptiest.
bool fewer_or_fuller(const std::vector<Sheet>& a, const std::vector<Sheet>& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    const auto spread = [](const std::vector<Sheet>& sheets) {
        double sum = 0;
        for (const Sheet& s : sheets) sum += static_cast<double>(s.used) * static_cast<double>(s.used);
        return sum;
    };
    return spread(a) > spread(b);
}

std::vector<Sheet> best_heuristic(const std::vector<Extent>& panels, Extent bin) {
    std::vector<Sheet> best;
    bool have = false;
    for (FitRule rule : all_fit_rules) {
        for (PanelOrder order : all_panel_orders) {
            std::vector<Sheet> sheets = heuristic(panels, bin, rule, order);
            if (!have || fewer_or_fuller(sheets, best)) {
                best = std::move(sheets);
                have = true;
            }
        }
    }
    return best;
}

Length largest_offcut(const std::vector<Rect>& rects, Extent bin) {
    FreeSpace space(bin.width, bin.height);
    for (const Rect& r : rects) space.place(r);
    return space.largest_free_area();
}

// Lays one sheet's panels out again, by every heuristic that keeps them on
// one sheet, and keeps the layout that leaves the largest offcut in one piece.
void compact(Sheet& sheet, const std::vector<Extent>& panels, Extent bin) {
    std::vector<Extent> own;
    for (std::size_t i : sheet.panels) own.push_back(panels[i]);
    Length best = largest_offcut(sheet.rects, bin);
    for (FitRule rule : all_fit_rules) {
        for (PanelOrder order : all_panel_orders) {
            const std::vector<Sheet> trial = heuristic(own, bin, rule, order);
            if (trial.size() != 1 || trial[0].panels.size() != own.size()) continue;
            const Length offcut = largest_offcut(trial[0].rects, bin);
            if (offcut <= best) continue;
            best = offcut;
            for (std::size_t k = 0; k < own.size(); ++k) {
                sheet.rects[k] = trial[0].rects[static_cast<std::size_t>(
                    std::find(trial[0].panels.begin(), trial[0].panels.end(), k) - trial[0].panels.begin())];
            }
        }
    }
}

// The fewest sheets for a few panels: which sets of panels fit one sheet
// (a set fits only if every set with one panel less fits; the heuristics
// settle most, the corner-point search the rest), then the fewest such sets
// that together hold every panel.
struct Exact {
    std::vector<Sheet> sheets;
    bool stopped = false;
};

Exact fewest_sheets(const std::vector<Extent>& panels, Extent bin, std::size_t steps_left) {
    const std::size_t n = panels.size();
    const std::size_t sets = std::size_t{1} << n;
    std::vector<char> fits(sets, 0);
    std::vector<std::vector<Rect>> layouts(sets);
    std::vector<Length> set_area(sets, 0);
    Exact result;
    fits[0] = 1;
    for (std::size_t set = 1; set < sets; ++set) {
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < n; ++i) {
            if (set & (std::size_t{1} << i)) members.push_back(i);
        }
        set_area[set] = set_area[set & (set - 1)] + area(panels[members.front()]);
        if (set_area[set] > area(bin)) continue;
        bool smaller_fit = true;
        for (std::size_t i : members) smaller_fit = smaller_fit && fits[set & ~(std::size_t{1} << i)];
        if (!smaller_fit) continue;
        std::vector<Extent> own;
        for (std::size_t i : members) own.push_back(panels[i]);
        for (FitRule rule : all_fit_rules) {
            const std::vector<Sheet> trial = heuristic(own, bin, rule, PanelOrder::area);
            if (trial.size() == 1) {
                std::vector<Rect> layout(own.size());
                for (std::size_t k = 0; k < own.size(); ++k) layout[trial[0].panels[k]] = trial[0].rects[k];
                layouts[set] = std::move(layout);
                fits[set] = 1;
                break;
            }
        }
        if (!fits[set] && fits_one_sheet(own, bin, steps_left, result.stopped, layouts[set])) fits[set] = 1;
    }
    // fewest[set]: the fewest sheets that hold `set`, and the sheet holding
    // its lowest panel in such a packing.
    std::vector<std::size_t> fewest(sets, n + 1), first_sheet(sets, 0);
    fewest[0] = 0;
    for (std::size_t set = 1; set < sets; ++set) {
        const std::size_t low = set & (~set + 1);
        const std::size_t rest = set & ~low;
        // Every sub-set of `rest`, with the lowest panel added.
        for (std::size_t sub = rest;; sub = (sub - 1) & rest) {
            const std::size_t sheet = sub | low;
            if (fits[sheet] && fewest[set & ~sheet] + 1 < fewest[set]) {
                fewest[set] = fewest[set & ~sheet] + 1;
                first_sheet[set] = sheet;
            }
            if (sub == 0) break;
        }
    }
    for (std::size_t set = sets - 1; set != 0; set &= ~first_sheet[set]) {
        Sheet sheet;
        std::size_t k = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!(first_sheet[set] & (std::size_t{1} << i))) continue;
            sheet.panels.push_back(i);
            sheet.rects.push_back(layouts[first_sheet[set]][k++]);
            sheet.used += area(panels[i]);
        }
        result.sheets.push_back(std::move(sheet));
    }
    return result;
}

Length lower_bound_sheets(const std::vector<Extent>& panels, Extent bin) {
    Length total = 0;
    for (const Extent& p : panels) total += area(p);
    return (total + area(bin) - 1) / area(bin);
}

Packing to_packing(std::vector<Sheet> sheets, const std::vector<Extent>& panels, Length gap) {
    std::stable_sort(sheets.begin(), sheets.end(), [](const Sheet& a, const Sheet& b) { return a.used > b.used; });
    Packing packing;
    packing.placements.resize(panels.size());
    packing.sheets = sheets.size();
    for (std::size_t s = 0; s < sheets.size(); ++s) {
        for (std::size_t k = 0; k < sheets[s].panels.size(); ++k) {
            const std::size_t i = sheets[s].panels[k];
            const Rect& r = sheets[s].rects[k];
            packing.placements[i] = {s, r.x + gap, r.y + gap, r.width != panels[i].width};
        }
    }
    return packing;
}

}  // namespace

std::string rule_name(FitRule rule) {
    switch (rule) {
        case FitRule::best_short_side:
            return "best short side fit";
        case FitRule::best_long_side:
            return "best long side fit";
        case FitRule::best_area:
            return "best area fit";
        case FitRule::bottom_left:
            return "bottom-left";
        case FitRule::contact_point:
            return "contact point";
    }
    return "";
}

std::string order_name(PanelOrder order) {
    switch (order) {
        case PanelOrder::area:
            return "by area";
        case PanelOrder::long_side:
            return "by long side";
        case PanelOrder::perimeter:
            return "by perimeter";
        case PanelOrder::short_side:
            return "by short side";
        case PanelOrder::best_first:
            return "best panel first";
    }
    return "";
}

bool fits_sheet(Extent panel, Extent sheet, Length gap) {
    const Length w = sheet.width - 2 * gap;
    const Length h = sheet.height - 2 * gap;
    return (panel.width <= w && panel.height <= h) || (panel.height <= w && panel.width <= h);
}

Packing pack_with(const std::vector<Extent>& panels, Extent sheet, Length gap, FitRule rule, PanelOrder order) {
    const Grown grown = grow(panels, sheet, gap);
    return to_packing(heuristic(grown.panels, grown.sheet, rule, order), grown.panels, gap);
}

Packing pack_panels(const std::vector<Extent>& panels, Extent sheet, Length gap, std::size_t search_steps) {
    if (panels.empty()) return {};
    const Grown grown = grow(panels, sheet, gap);
    std::vector<Sheet> sheets = best_heuristic(grown.panels, grown.sheet);
    bool stopped = false;
    if (panels.size() <= exact_search_panels &&
        static_cast<Length>(sheets.size()) > lower_bound_sheets(grown.panels, grown.sheet)) {
        Exact exact = fewest_sheets(grown.panels, grown.sheet, search_steps);
        stopped = exact.stopped;
        if (!exact.sheets.empty() && fewer_or_fuller(exact.sheets, sheets)) sheets = std::move(exact.sheets);
    }
    for (Sheet& s : sheets) compact(s, grown.panels, grown.sheet);
    Packing packing = to_packing(std::move(sheets), grown.panels, gap);
    packing.search_stopped = stopped;
    return packing;
}
