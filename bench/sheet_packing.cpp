// Sheet counts of every MaxRects variant and of the packer on generated
// panel sets, and the packer's time for 10, 50 and 200 panels:
//     build-bench/bench/sheet_packing_table
// Lengths are mm; the sheet is 600 x 400 mm with a gap of 3 mm.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "sheets/packer.hpp"

namespace {

const Extent sheet{600, 400};
constexpr Length gap = 3;
constexpr int instances = 20;

// The panels of boxes of random size, as the program lays them out: two
// faces, two ends and two sides each (3 mm material, inner sizes).
std::vector<Extent> box_panels(std::size_t count, std::mt19937& random) {
    std::uniform_int_distribution<Length> width(80, 380), height(60, 300), depth(30, 150);
    std::vector<Extent> panels;
    while (panels.size() < count) {
        const Length w = width(random), h = height(random), d = depth(random) + 6;
        for (Extent e : {Extent{w, h}, Extent{w, h}, Extent{w, d}, Extent{w, d}, Extent{d, h + 6}, Extent{d, h + 6}}) {
            if (panels.size() < count) panels.push_back(e);
        }
    }
    return panels;
}

std::vector<Extent> random_panels(std::size_t count, std::mt19937& random) {
    std::uniform_int_distribution<Length> side(30, 300);
    std::vector<Extent> panels;
    for (std::size_t i = 0; i < count; ++i) panels.push_back({side(random), side(random)});
    return panels;
}

struct Set {
    std::string name;
    std::vector<std::vector<Extent>> instances;
};

// The panels of a project from bench/make_project.py with --width 30
// --height 20 and N sections, drawn with -m 3 -b 50: three faces, two ends,
// the rest sides.
std::vector<Extent> project_panels(std::size_t sections) {
    std::vector<Extent> panels;
    for (std::size_t s = 0; s < sections; ++s) {
        panels.push_back(s < 3 ? Extent{300, 200} : s < 5 ? Extent{300, 56} : Extent{56, 206});
    }
    return panels;
}

std::vector<Set> make_sets() {
    std::vector<Set> sets;
    for (std::size_t count : {10u, 50u, 200u}) {
        sets.push_back(
            {"project " + std::to_string(count), std::vector<std::vector<Extent>>(instances, project_panels(count))});
    }
    for (std::size_t count : {6u, 12u, 50u, 200u}) {
        for (int kind = 0; kind < 2; ++kind) {
            std::mt19937 random(static_cast<unsigned>(count * 7 + kind));
            Set set{(kind == 0 ? "boxes " : "random ") + std::to_string(count), {}};
            for (int i = 0; i < instances; ++i) {
                set.instances.push_back(kind == 0 ? box_panels(count, random) : random_panels(count, random));
            }
            sets.push_back(std::move(set));
        }
    }
    return sets;
}

double used_percent(const std::vector<Extent>& panels, std::size_t sheets) {
    double area = 0;
    for (const Extent& p : panels) area += static_cast<double>(p.width * p.height);
    return 100.0 * area / (static_cast<double>(sheets) * static_cast<double>(sheet.width * sheet.height));
}

}  // namespace

int main() {
    const std::vector<Set> sets = make_sets();
    std::printf("Sheets in all over %d sets each (600 x 400 mm, gap 3 mm)\n\n| algorithm |", instances);
    for (const Set& s : sets) std::printf(" %s |", s.name.c_str());
    std::printf("\n|---|");
    for (std::size_t i = 0; i < sets.size(); ++i) std::printf("---|");
    std::printf("\n");
    std::vector<std::size_t> best(sets.size(), 0);
    std::vector<std::vector<std::size_t>> best_each(sets.size(), std::vector<std::size_t>(instances, 1000000));
    for (FitRule rule : all_fit_rules) {
        for (PanelOrder order : all_panel_orders) {
            std::printf("| %s, %s |", rule_name(rule).c_str(), order_name(order).c_str());
            for (std::size_t s = 0; s < sets.size(); ++s) {
                std::size_t total = 0;
                for (int i = 0; i < instances; ++i) {
                    const std::size_t n = pack_with(sets[s].instances[i], sheet, gap, rule, order).sheets;
                    total += n;
                    best_each[s][i] = std::min(best_each[s][i], n);
                }
                std::printf(" %zu |", total);
            }
            std::printf("\n");
        }
    }
    std::printf("| best of the 25 per set |");
    for (std::size_t s = 0; s < sets.size(); ++s) {
        std::size_t total = 0;
        for (std::size_t n : best_each[s]) total += n;
        std::printf(" %zu |", total);
    }
    std::printf("\n| packer (search up to 12) |");
    std::vector<double> use(sets.size());
    for (std::size_t s = 0; s < sets.size(); ++s) {
        std::size_t total = 0;
        double percent = 0;
        for (int i = 0; i < instances; ++i) {
            const Packing p = pack_panels(sets[s].instances[i], sheet, gap);
            total += p.sheets;
            percent += used_percent(sets[s].instances[i], p.sheets);
            if (p.sheets > best_each[s][i]) std::printf("(worse than a heuristic!) ");
        }
        use[s] = percent / instances;
        std::printf(" %zu |", total);
    }
    std::printf("\n| packer: area used, mean %% |");
    for (double u : use) std::printf(" %.0f |", u);
    std::printf("\n| packer: slowest of the set, ms |");
    for (const Set& set : sets) {
        double slowest = 0;
        int stopped = 0;
        for (const auto& panels : set.instances) {
            const auto start = std::chrono::steady_clock::now();
            stopped += pack_panels(panels, sheet, gap).search_stopped ? 1 : 0;
            slowest = std::max(
                slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::printf(" %.1f%s |", slowest, stopped > 0 ? (" (" + std::to_string(stopped) + " stopped)").c_str() : "");
    }
    std::printf(
        "\n\nTime of pack_panels (random panels, 5 runs)\n\n| panels | median ms | fastest ms |\n|---|---|---|\n");
    for (std::size_t count : {10u, 12u, 50u, 200u}) {
        std::mt19937 random(99);
        const std::vector<Extent> panels = random_panels(count, random);
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const Packing p = pack_panels(panels, sheet, gap);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (p.sheets == 0) return 1;
        }
        std::sort(times.begin(), times.end());
        std::printf("| %zu | %.1f | %.1f |\n", count, times[2], times[0]);
    }
}
