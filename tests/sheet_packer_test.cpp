#include <gtest/gtest.h>

#include <random>

#include "sheets/packer.hpp"

namespace {

// Checks what every packing must hold: each panel on a sheet that exists,
// wholly inside it with `gap` to its edges, and `gap` apart from the others.
void expect_valid(const std::vector<Extent>& panels, Extent sheet, Length gap, const Packing& packing) {
    ASSERT_EQ(packing.placements.size(), panels.size());
    std::vector<Extent> footprints;
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const Placement& p = packing.placements[i];
        const Extent f = p.turned ? Extent{panels[i].height, panels[i].width} : panels[i];
        footprints.push_back(f);
        EXPECT_LT(p.sheet, packing.sheets) << "panel " << i;
        EXPECT_GE(p.x, gap) << "panel " << i;
        EXPECT_GE(p.y, gap) << "panel " << i;
        EXPECT_LE(p.x + f.width, sheet.width - gap) << "panel " << i;
        EXPECT_LE(p.y + f.height, sheet.height - gap) << "panel " << i;
    }
    for (std::size_t i = 0; i < panels.size(); ++i) {
        for (std::size_t j = i + 1; j < panels.size(); ++j) {
            const Placement& a = packing.placements[i];
            const Placement& b = packing.placements[j];
            if (a.sheet != b.sheet) continue;
            const bool apart = a.x + footprints[i].width + gap <= b.x || b.x + footprints[j].width + gap <= a.x ||
                               a.y + footprints[i].height + gap <= b.y || b.y + footprints[j].height + gap <= a.y;
            EXPECT_TRUE(apart) << "panels " << i << " and " << j << " are closer than the gap";
        }
    }
}

std::vector<Extent> random_panels(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<Length> side(20, 260);
    std::vector<Extent> panels;
    for (std::size_t i = 0; i < count; ++i) panels.push_back({side(random), side(random)});
    return panels;
}

}  // namespace

TEST(SheetPacker, PanelsStayInsideApartAndOnTheirSheets) {
    const Extent sheet{600, 400};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        for (std::size_t count : {1u, 5u, 12u, 40u}) {
            const auto panels = random_panels(count, seed);
            expect_valid(panels, sheet, 5, pack_panels(panels, sheet, 5));
            for (FitRule rule : all_fit_rules) {
                for (PanelOrder order : all_panel_orders) {
                    expect_valid(panels, sheet, 7, pack_with(panels, sheet, 7, rule, order));
                }
            }
        }
    }
}

TEST(SheetPacker, FindsTheFewestSheetsOfKnownPackings) {
    struct Case {
        const char* what;
        std::vector<Extent> panels;
        Extent sheet;
        Length gap;
        std::size_t sheets;
    };
    const Case cases[] = {
        {"four quarters fill the sheet", {{290, 190}, {290, 190}, {290, 190}, {290, 190}}, {600, 400}, 5, 1},
        {"quarters standing upright turn to fit", {{190, 290}, {190, 290}, {290, 190}, {190, 290}}, {600, 400}, 5, 1},
        {"one too many for a sheet", {{290, 190}, {290, 190}, {290, 190}, {290, 190}, {290, 190}}, {600, 400}, 5, 2},
        {"the gap of the edge counts", {{591, 391}}, {600, 400}, 5, 0},
        // A 3-4-5 mix that only a pinwheel holds on one sheet.
        {"pinwheel", {{40, 20}, {20, 40}, {40, 20}, {20, 40}, {20, 20}}, {60, 60}, 0, 1},
        {"halves that need turning",
         {{100, 50}, {100, 50}, {50, 100}, {100, 50}, {50, 100}, {100, 50}, {100, 50}, {100, 50}},
         {200, 100},
         0,
         2},
        // Every heuristic needs two sheets for these; 96 of 100 units fit one.
        {"only the search finds it", {{3, 2}, {7, 2}, {3, 4}, {3, 6}, {6, 3}, {4, 3}, {4, 4}}, {10, 10}, 0, 1},
        // Past the exact search: the heuristics must take a free space exactly
        // the panel's size.
        {"sixteen tile the sheet exactly", std::vector<Extent>(16, Extent{150, 100}), {600, 400}, 0, 1},
    };
    for (const Case& c : cases) {
        if (c.sheets == 0) {
            EXPECT_FALSE(fits_sheet(c.panels[0], c.sheet, c.gap)) << c.what;
            continue;
        }
        const Packing packing = pack_panels(c.panels, c.sheet, c.gap);
        EXPECT_EQ(packing.sheets, c.sheets) << c.what;
        EXPECT_FALSE(packing.search_stopped) << c.what;
        expect_valid(c.panels, c.sheet, c.gap, packing);
    }
    const std::vector<Extent> tight{{3, 2}, {7, 2}, {3, 4}, {3, 6}, {6, 3}, {4, 3}, {4, 4}};
    for (FitRule rule : all_fit_rules) {
        for (PanelOrder order : all_panel_orders) {
            EXPECT_EQ(pack_with(tight, {10, 10}, 0, rule, order).sheets, 2u) << rule_name(rule) << order_name(order);
        }
    }
    EXPECT_TRUE(fits_sheet({390, 590}, {600, 400}, 5)) << "a panel that fits only turned";
}

// A search that runs out of steps says so and still uses no more sheets than
// the best heuristic.
TEST(SheetPacker, AStoppedSearchSaysSoAndKeepsTheHeuristicsResult) {
    const Extent sheet{600, 400};
    int stopped = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        const auto panels = random_panels(exact_search_panels, seed);
        const Packing packing = pack_panels(panels, sheet, 3, 20);
        if (!packing.search_stopped) continue;
        ++stopped;
        std::size_t best = panels.size();
        for (FitRule rule : all_fit_rules) {
            for (PanelOrder order : all_panel_orders)
                best = std::min(best, pack_with(panels, sheet, 3, rule, order).sheets);
        }
        EXPECT_LE(packing.sheets, best) << "seed " << seed;
        expect_valid(panels, sheet, 3, packing);
    }
    EXPECT_GT(stopped, 0) << "no search ran out of steps";
}
