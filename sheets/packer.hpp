#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Lays rectangles (panels) out on as few equal sheets as it can. Lengths are
// whole numbers of one unit (the sheet writer uses hundredths of a pixel), so
// that sums are exact and a gap once kept stays kept when written.
using Length = std::int64_t;

struct Extent {
    Length width = 0;
    Length height = 0;
};

// Where one panel goes: its sheet (from 0), the top-left corner of its
// footprint on that sheet, and whether it is turned by a quarter.
struct Placement {
    std::size_t sheet = 0;
    Length x = 0;
    Length y = 0;
    bool turned = false;
};

struct Packing {
    std::vector<Placement> placements;  // one per panel, in the panels' order
    std::size_t sheets = 0;
    // The exact search ran out of steps; the result is the best found, at
    // worst the heuristic's.
    bool search_stopped = false;
};

// The MaxRects placement rules: which free spot a panel takes.
enum class FitRule { best_short_side, best_long_side, best_area, bottom_left, contact_point };
// The order the panels are offered in; `best_first` lets every step take the
// panel that fits best, filling one sheet after the other.
enum class PanelOrder { area, long_side, perimeter, short_side, best_first };

inline constexpr FitRule all_fit_rules[] = {FitRule::best_short_side, FitRule::best_long_side, FitRule::best_area,
                                            FitRule::bottom_left, FitRule::contact_point};
inline constexpr PanelOrder all_panel_orders[] = {PanelOrder::area, PanelOrder::long_side, PanelOrder::perimeter,
                                                  PanelOrder::short_side, PanelOrder::best_first};

std::string rule_name(FitRule rule);
std::string order_name(PanelOrder order);

// True when the panel fits the sheet, turned or not, with `gap` to each edge.
bool fits_sheet(Extent panel, Extent sheet, Length gap);

// At most this many panels get the exact search for the fewest sheets.
constexpr std::size_t exact_search_panels = 12;
// The steps the exact search may take in all, so that its time stays bounded.
constexpr std::size_t exact_search_steps = 100000;

// Packs every panel (each must fit: see fits_sheet) with at least `gap`
// between panels and between a panel and the sheet's edge. Up to
// exact_search_panels panels it finds the fewest sheets there are (unless the
// search runs out of steps); for more, the best of the MaxRects heuristics.
// Each sheet's panels lie towards its top-left corner; fuller sheets first.
// `search_steps` bounds the exact search.
Packing pack_panels(const std::vector<Extent>& panels, Extent sheet, Length gap,
                    std::size_t search_steps = exact_search_steps);

// One MaxRects heuristic alone (first fit over the open sheets), for
// comparing them.
Packing pack_with(const std::vector<Extent>& panels, Extent sheet, Length gap, FitRule rule, PanelOrder order);
