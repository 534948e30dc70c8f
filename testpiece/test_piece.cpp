#include "testpiece/test_piece.hpp"

#include <algorithm>
#include <cmath>

#include "joints/outline_path.hpp"
#include "panel/frame.hpp"
#include "panel/panel.hpp"
#include "panel/screws.hpp"

namespace {

constexpr float margin_mm = 3;
constexpr float gap_mm = 3;
constexpr float slot_length_mm = 12;
constexpr float hole_mm = 20;
constexpr float label_room_mm = 5;
constexpr float plate_height_mm = 10;

float px(float mm) { return mm_to_px(mm); }

// A nominal width with one decimal when that says it exactly, else two.
std::string width_text(float mm) {
    return format_float_as_str(mm, std::fabs(mm * 10 - std::round(mm * 10)) < 0.001f ? 1 : 2);
}

void label(std::string& svg, float x_mm, float y_mm, const std::string& text, const LaserStyle& style) {
    svg += "<text";
    append_attribute(svg, "x", px(x_mm));
    append_attribute(svg, "y", px(y_mm));
    svg += " class=\"text\"";
    svg += style.paint(Mark::label);
    svg += " transform=\"rotate(0.00)\" dominant-baseline=\"central\" text-anchor=\"middle\">" + text + "</text>";
}

// A hole's cut line runs half the kerf inside its edge, a part's half the
// kerf outside: both then come out at their nominal size. The width grows by
// `grow_x`, the height by `grow_y`.
void rect_mm(std::string& svg, float x, float y, float w, float h, float grow_x, float grow_y, Mark mark,
             const LaserStyle& style) {
    open_rect(svg, px(x - grow_x / 2), px(y - grow_y / 2), px(w + grow_x), px(h + grow_y));
    svg += style.paint(mark);
    svg += "/>";
}

std::vector<Point> plate(JointRole role, float length_mm, float x_mm, float y_mm, const Arguments& args,
                         const LaserStyle& style) {
    PanelJoints joints{};
    EdgeJoint& top = joints[static_cast<std::size_t>(EdgeSide::top)];
    top.role = role;
    top.start = 0;
    top.length = length_mm;
    top.pairs = plate_fingers;
    std::vector<Point> points = jointed_outline(px(length_mm), px(plate_height_mm), joints,
                                                px(args.material_thickness), px(args.finger_play), style.kerf_x_px(),
                                                style.kerf_y_px());
    for (Point& p : points) {
        p.x += px(x_mm);
        p.y += px(y_mm);
    }
    return points;
}

}  // namespace

TestPiece draw_test_piece(const Arguments& args, const LaserStyle& style) {
    TestPiece piece;
    const float t = args.material_thickness;
    const float kerf_x = style.kerf_x_mm();
    const float kerf_y = style.kerf_y_mm();
    bool two_decimals = false;
    for (int i = 0; i < slot_count; ++i) {
        const float width = t + slot_step_mm * static_cast<float>(i - slot_count / 2);
        piece.slot_widths_mm.push_back(width);
        two_decimals = two_decimals || std::fabs(width * 10 - std::round(width * 10)) >= 0.001f;
    }
    const float pitch = std::max(t + 0.3f + 1.5f, two_decimals ? 7.5f : 6.0f);
    const float square_x = margin_mm + pitch * slot_count + gap_mm;
    const float hole_x = square_x + hole_mm + gap_mm;
    const float card_w = hole_x + hole_mm + margin_mm;
    const float card_h = margin_mm + std::max(hole_mm, slot_length_mm) + label_room_mm + margin_mm;
    const float plate_len = finger_width_mm(args) * static_cast<float>(2 * plate_fingers + 1);
    const float plate_y = card_h + 2 + t;
    piece.width_mm = std::max(card_w, 2 * plate_len + gap_mm);
    piece.height_mm = plate_y + plate_height_mm;

    std::string& svg = piece.svg;
    svg = prepare_header(piece.width_mm / 10, piece.height_mm / 10, static_cast<int>(args.font_size), style);
    for (int i = 0; i < slot_count; ++i) {
        const float width = piece.slot_widths_mm[static_cast<std::size_t>(i)];
        const float centre = margin_mm + pitch * (static_cast<float>(i) + 0.5f);
        label(svg, centre, margin_mm + slot_length_mm + label_room_mm / 2, width_text(width), style);
        rect_mm(svg, centre - width / 2, margin_mm, width, slot_length_mm, -kerf_x, -kerf_y, Mark::cut, style);
    }
    label(svg, square_x + hole_mm / 2, margin_mm + hole_mm + label_room_mm / 2, "20.00", style);
    rect_mm(svg, square_x, margin_mm, hole_mm, hole_mm, kerf_x, kerf_y, Mark::cut, style);
    label(svg, hole_x + hole_mm / 2, margin_mm + hole_mm + label_room_mm / 2, "20.00", style);
    if (style.round_kerf()) {
        open_circle(svg, px(hole_x + hole_mm / 2), px(margin_mm + hole_mm / 2), px((hole_mm - kerf_x) / 2));
    } else {
        open_ellipse(svg, px(hole_x + hole_mm / 2), px(margin_mm + hole_mm / 2), px((hole_mm - kerf_x) / 2),
                     px((hole_mm - kerf_y) / 2));
    }
    svg += style.paint(Mark::cut);
    svg += "/>";
    piece.fingers_plate = plate(JointRole::fingers, plate_len, 0, plate_y, args, style);
    piece.notches_plate = plate(JointRole::notches, plate_len, plate_len + gap_mm, plate_y, args, style);
    append_outline_path(svg, piece.fingers_plate, style.paint(Mark::border));
    append_outline_path(svg, piece.notches_plate, style.paint(Mark::border));
    rect_mm(svg, 0, 0, card_w, card_h, kerf_x, kerf_y, Mark::border, style);
    svg += svg_footer;
    return piece;
}

void print_test_piece_guide(const Arguments& args, std::ostream& out) {
    out << "Test piece: measure the 20.00 square with a caliper: it comes out 20 - d when the kerf is d too small "
           "(raise --kerf by d; its width gives --kerf-x, its height --kerf-y), and the round hole 20 + d. Push a "
           "scrap of the "
        << args.material_thickness
        << " mm material into the slots: the narrowest one it goes into is its true thickness, for -m. The two "
           "plates should go together by hand: raise --finger-play if they are too tight, lower it if they are "
           "loose."
        << std::endl;
}
