#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>

#include "panel/outlines.hpp"
#include "panel/overlap_search.hpp"
#include "run/draw_all.hpp"
#include "pass_fixtures.hpp"
#include "test_support.hpp"

namespace {

using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

Outline rectangle(double x, double y, double w, double h, double degrees) {
    const double a = degrees * std::acos(-1.0) / 180;
    Outline shape;
    shape.centre = {x, y};
    const Outline::Point half[4] = {{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}};
    for (int i = 0; i < 4; ++i) {
        shape.corners[i] = {x + half[i].x * std::cos(a) - half[i].y * std::sin(a),
                            y + half[i].x * std::sin(a) + half[i].y * std::cos(a)};
    }
    return shape;
}

Pairs every_overlap(const std::vector<Outline>& shapes) {
    Pairs pairs;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        for (std::size_t j = i + 1; j < shapes.size(); ++j) {
            if (outlines_overlap(shapes[i], shapes[j], 0.01)) pairs.emplace_back(i, j);
        }
    }
    return pairs;
}

}  // namespace

// The faster search finds exactly the pairs that comparing every pair finds,
// on layouts of circles and of rectangles turned alike and differently, from
// sparse to crowded, and gives up past the number asked for.
TEST(OverlapSearch, FindsWhatComparingEveryPairFinds) {
    std::mt19937 random(7);
    const std::vector<std::vector<double>> turn_sets = {{0}, {45}, {30, 120}, {0, 45, 10, 77.5}};
    for (const auto& turns : turn_sets) {
        for (const double spread : {3000.0, 800.0, 300.0}) {
            std::uniform_real_distribution<double> place(0, spread), size(1, 60), thin(0.5, 4);
            std::vector<Outline> shapes;
            for (int i = 0; i < 300; ++i) {
                const double x = place(random), y = place(random);
                if (i % 3 == 0) {
                    shapes.push_back(circle_outline(x, y, size(random) / 2));
                } else {
                    shapes.push_back(rectangle(x, y, 4 * size(random), thin(random), turns[i % turns.size()]));
                }
            }
            const Pairs expected = every_overlap(shapes);
            const auto found = few_overlapping_pairs(shapes, 1000000, 0.01);
            ASSERT_TRUE(found.has_value());
            Pairs sorted = *found;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, expected) << turns.size() << " turns, spread " << spread;
            if (expected.size() > 2) {
                EXPECT_FALSE(few_overlapping_pairs(shapes, expected.size() - 1, 0.01).has_value());
            }
        }
    }
}

// 20,000 long slots turned 45 degrees in a diagonal row, none touching: every
// one's box overlaps thousands of others.
TEST(OverlapSearch, TwentyThousandDiagonalSlotsTakeLessThanASecond) {
    std::string components;
    for (int i = 0; i < 20000; ++i) {
        const std::string at = std::to_string(60 + i * 0.02);
        if (i > 0) components += ", ";
        components += "\"c" + std::to_string(100000 + i) + "\": {\"location_x\": " + at + ", \"location_y\": " + at +
                      ", \"drill_width\": 100, \"drill_height\": 0.01, \"rotation\": 135}";
    }
    TempDir dir;
    write_text(dir / "box.json", R"({"Generic": {"width": 600, "height": 600}, "d_Main": {)" + components + "}}");
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    const auto start = std::chrono::steady_clock::now();
    draw_all((dir / "box.json").string(), (dir / "out").string(), false, true, false, false, 0, 0, 0, simulation(),
             context);
    [[maybe_unused]] const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(err.str(), "");
#if !defined(__SANITIZE_ADDRESS__)
    // Wine runs it slower than Windows would.
    if (!running_on_windows) {
        EXPECT_LT(seconds, 1.0);
    }
#endif
}
