// The kerf and fit test piece: slot widths exact after the kerf, labels that
// name them, plates whose fingers mate, and the size it must stay under.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "panel/panel.hpp"
#include "panel/screws.hpp"
#include "testpiece/test_piece.hpp"
#include "test_support.hpp"

namespace {

Arguments piece_args(float thickness, float kerf, float play) {
    Arguments a{};
    a.material_thickness = thickness;
    a.font_size = 8;
    a.kerf = kerf;
    a.finger_play = play;
    return a;
}

struct Rect {
    double x, y, width, height;
};

// The rectangles of the drawing that are slots: taller than wide.
std::vector<Rect> slots(const std::string& svg) {
    std::vector<Rect> out;
    const std::regex rect(R"re(<rect x="([-\d.]+)" y="([-\d.]+)" width="([-\d.]+)" height="([-\d.]+)")re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator(); ++it) {
        const Rect r{std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])};
        if (r.height > 2 * r.width) out.push_back(r);
    }
    return out;
}

std::vector<std::string> labels(const std::string& svg) {
    std::vector<std::string> out;
    const std::regex text(R"re(<text[^>]*>([^<]*)</text>)re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator(); ++it) {
        out.push_back((*it)[1]);
    }
    return out;
}

// Whether p lies inside the polygon (even-odd rule).
bool inside(const std::vector<Point>& polygon, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point a = polygon[i], b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

float left_of(const std::vector<Point>& polygon) {
    float x = polygon.front().x;
    for (const Point& p : polygon) x = std::min(x, p.x);
    return x;
}

float bottom_of(const std::vector<Point>& polygon) {
    float y = polygon.front().y;
    for (const Point& p : polygon) y = std::max(y, p.y);
    return y;
}

}  // namespace

// Each slot's cut line runs half the kerf inside its edges, so every slot
// comes out at its nominal width: T - 0.3 to T + 0.3 in steps of 0.1, as its
// label says; a thickness off the tenth gets two decimals.
TEST(TestPiece, SlotsAreTheirLabelledWidthAfterTheKerf) {
    for (const float kerf : {0.0f, 0.2f}) {
        SCOPED_TRACE(kerf);
        const TestPiece piece = draw_test_piece(piece_args(3, kerf, 0), LaserStyle(piece_args(3, kerf, 0)));
        const std::vector<Rect> cut = slots(piece.svg);
        ASSERT_EQ(cut.size(), 7u);
        const std::vector<std::string> names = labels(piece.svg);
        const std::vector<std::string> want = {"2.7", "2.8", "2.9", "3.0", "3.1", "3.2", "3.3", "20.00", "20.00"};
        EXPECT_EQ(names, want);
        for (std::size_t i = 0; i < cut.size(); ++i) {
            const double nominal = 2.7 + 0.1 * static_cast<double>(i);
            // Two decimals of a px are 0.003 mm.
            EXPECT_NEAR((cut[i].width + mm_to_px(kerf)) * 10 / cm_to_px, nominal, 0.003) << i;
        }
    }
    const TestPiece odd = draw_test_piece(piece_args(3.15f, 0, 0), LaserStyle());
    EXPECT_EQ(labels(odd.svg).front(), "2.85");
    EXPECT_EQ(labels(odd.svg)[6], "3.45");
}

// With no play and no kerf the plates' fingers fill the notches exactly:
// along the joint, every column of the finger plate's strip is material just
// where the notch plate's is not (checked on a raster of 0.05 mm). The play
// widens every notch and leaves the fingers as they are.
TEST(TestPiece, PlatesMateLikeTheBoxsJoints) {
    for (const float play : {0.0f, 0.2f}) {
        SCOPED_TRACE(play);
        const Arguments args = piece_args(3, 0, play);
        const TestPiece piece = draw_test_piece(args, LaserStyle(args));
        const float t = mm_to_px(3);
        const float fingers_left = left_of(piece.fingers_plate), notches_left = left_of(piece.notches_plate);
        // The top edge of each plate's body: T above its bottom plus the plate.
        const float fingers_top = bottom_of(piece.fingers_plate) - mm_to_px(10);
        const float notches_top = bottom_of(piece.notches_plate) - mm_to_px(10);
        const float length = 7 * mm_to_px(finger_width_mm(args));
        int fingers = 0, columns = 0, mismatched = 0;
        for (float x = 0.5f; x < length - 0.5f; x += mm_to_px(0.05f)) {
            const bool finger = inside(piece.fingers_plate, fingers_left + x, fingers_top - t / 2);
            const bool tooth = inside(piece.notches_plate, notches_left + x, notches_top + t / 2);
            ++columns;
            fingers += finger ? 1 : 0;
            // A column with a finger must be a notch; without play, so is the converse.
            if (finger && tooth) ++mismatched;
            if (play == 0 && !finger && !tooth) ++mismatched;
        }
        EXPECT_EQ(mismatched, 0) << "of " << columns;
        EXPECT_NEAR(static_cast<double>(fingers) / columns, 3.0 / 7, 0.01);
    }
}

// Up to plates of 3 fingers of 7 mm: 3 mm material with its default fingers.
TEST(TestPiece, FitsUnderOneHundredByFiftyMillimetres) {
    for (const float t : {1.5f, 3.0f, 3.4f}) {
        const TestPiece piece = draw_test_piece(piece_args(t, 0.2f, 0.1f), LaserStyle());
        EXPECT_LT(piece.width_mm, 100) << t;
        EXPECT_LT(piece.height_mm, 50) << t;
    }
    std::ostringstream guide;
    print_test_piece_guide(piece_args(3, 0, 0), guide);
    EXPECT_NE(guide.str().find("--kerf"), std::string::npos);
    EXPECT_NE(guide.str().find("--finger-play"), std::string::npos);
}

// With --kerf-x 0.2 --kerf-y 0.1 the square grows by each along its own axis
// and the round hole becomes an ellipse, so a caliper reads each axis off
// them; the slots keep their widths along x and their length along y. Both
// kerfs alike draw what one --kerf draws.
TEST(TestPiece, SquareAndHoleShowEachAxisOfTheKerf) {
    Arguments args = piece_args(3, 0, 0);
    args.kerf_x = 0.2f;
    args.kerf_y = 0.1f;
    const std::string svg = draw_test_piece(args, LaserStyle(args)).svg;
    const auto mm = [](double px) { return px * 10 / cm_to_px; };
    const std::regex rect(R"re(<rect x="[-\d.]+" y="[-\d.]+" width="([-\d.]+)" height="([-\d.]+)")re");
    int squares = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator(); ++it) {
        if (std::abs(mm(std::stod((*it)[1])) - 20) > 1) continue;
        ++squares;
        EXPECT_NEAR(mm(std::stod((*it)[1])), 20.2, 0.003);
        EXPECT_NEAR(mm(std::stod((*it)[2])), 20.1, 0.003);
    }
    EXPECT_EQ(squares, 1);
    std::smatch hole;
    ASSERT_TRUE(std::regex_search(svg, hole, std::regex(R"re(<ellipse[^>]* rx="([\d.]+)" ry="([\d.]+)")re"))) << svg;
    EXPECT_NEAR(mm(std::stod(hole[1])), 9.9, 0.003);
    EXPECT_NEAR(mm(std::stod(hole[2])), 9.95, 0.003);
    for (const Rect& slot : slots(svg)) {
        EXPECT_NEAR(mm(slot.height), 11.9, 0.003);
    }
    EXPECT_NEAR(mm(slots(svg).front().width), 2.5, 0.003);

    Arguments alike = piece_args(3, 0, 0);
    alike.kerf_x = alike.kerf_y = 0.2f;
    EXPECT_EQ(draw_test_piece(alike, LaserStyle(alike)).svg,
              draw_test_piece(piece_args(3, 0.2f, 0), LaserStyle(piece_args(3, 0.2f, 0))).svg);
}
