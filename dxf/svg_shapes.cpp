#include "dxf/svg_shapes.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "panel/panel.hpp"
#include "vector/glyphs.hpp"
#include "vector/label_layout.hpp"
#include "vector/svg_markup.hpp"

namespace {

using Kind = MarkupPiece::Kind;

// SVG numbers carry two decimals of a pixel: hatch lines that reach that far
// past their clip rectangle are inside it as drawn.
constexpr double clip_slack_mm = 0.005;

// Millimetres per pixel, from the drawing's own scale.
double mm_per_px() { return 10.0 / static_cast<double>(cm_to_px); }

MmPoint map(const Affine& m, double x, double y) { return {m.x_of(x, y), m.y_of(x, y)}; }

// A length of the page's size attributes: a plain number or px.
double page_length(const MarkupPiece& piece, std::string_view name) {
    const MarkupAttribute* attribute = find_attribute(piece, name);
    if (attribute == nullptr) throw std::runtime_error("the drawing has no " + std::string(name));
    std::string_view text = attribute->raw_value;
    if (text.size() > 2 && text.substr(text.size() - 2) == "px") text.remove_suffix(2);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !(value >= 0)) {
        throw std::runtime_error("cannot read the page's " + std::string(name) + " \"" +
                                 std::string(attribute->raw_value) + "\"");
    }
    return value;
}

double cross(MmPoint o, MmPoint a, MmPoint b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

double signed_area(const std::vector<MmPoint>& polygon) {
    double area = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        area += cross({0, 0}, polygon[i], polygon[(i + 1) % polygon.size()]);
    }
    return area / 2;
}

// Whether p lies inside the convex polygon grown by `slack`.
bool inside(const std::vector<MmPoint>& polygon, double sense, MmPoint p, double slack) {
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const MmPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        const double edge = std::hypot(b.x - a.x, b.y - a.y);
        if (sense * cross(a, b, p) < -slack * edge) return false;
    }
    return true;
}

// The part of the segment inside the convex polygon (Cyrus-Beck); false when
// none of it is.
bool clip_segment(const std::vector<MmPoint>& polygon, MmPoint& from, MmPoint& to) {
    const double area = signed_area(polygon);
    if (polygon.size() < 3 || area == 0) return false;
    const double sense = area > 0 ? 1 : -1;
    if (inside(polygon, sense, from, clip_slack_mm) && inside(polygon, sense, to, clip_slack_mm)) return true;
    double enter = 0, leave = 1;
    const MmPoint dir{to.x - from.x, to.y - from.y};
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const MmPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        const double start = sense * cross(a, b, from);
        const double rate = sense * ((b.x - a.x) * dir.y - (b.y - a.y) * dir.x);
        if (rate == 0) {
            if (start < 0) return false;
        } else if (rate > 0) {
            enter = std::max(enter, -start / rate);
        } else {
            leave = std::min(leave, -start / rate);
        }
    }
    if (enter >= leave) return false;
    const MmPoint origin = from;
    from = {origin.x + enter * dir.x, origin.y + enter * dir.y};
    to = {origin.x + leave * dir.x, origin.y + leave * dir.y};
    return true;
}

// The id a clip-path="url(#id)" refers to.
std::string clip_reference(std::string_view value) {
    if (value.size() < 7 || value.substr(0, 5) != "url(#" || value.back() != ')') {
        throw std::runtime_error("cannot read the clip-path \"" + std::string(value) + "\"");
    }
    return std::string(value.substr(5, value.size() - 6));
}

bool is_hidden_container(const std::string& name) {
    return name == "defs" || name == "clipPath" || name == "title" || name == "desc" || name == "metadata";
}

}  // namespace

SvgShapeReader::SvgShapeReader(FontSource font, ShapeSink& sink, bool skip_hatch_on_outline)
    : font_(std::move(font)), sink_(sink), skip_hatch_on_outline_(skip_hatch_on_outline) {}

Affine SvgShapeReader::own_map(const MarkupPiece& piece) const {
    const Affine parent = frames_.empty() ? Affine{} : top().to_mm;
    const MarkupAttribute* transform = find_attribute(piece, "transform");
    return transform == nullptr ? parent : then(parse_transform(transform->raw_value), parent);
}

void SvgShapeReader::feed(std::string_view svg) {
    const std::vector<MarkupPiece> pieces = split_markup(svg);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const MarkupPiece& piece = pieces[i];
        if (piece.kind == Kind::Start && piece.name == "style" && i + 1 < pieces.size() &&
            pieces[i + 1].kind == Kind::Text) {
            font_size_ = style_font_size(pieces[i + 1].raw);
        }
        if (piece.kind == Kind::Start && piece.name == "text") {
            label(pieces, i, i);
        } else if (piece.kind == Kind::Start) {
            start(piece);
        } else if (piece.kind == Kind::End) {
            end(piece);
        }
    }
}

void SvgShapeReader::page(const MarkupPiece& piece) {
    double width = 0, height = 0;
    if (const MarkupAttribute* view_box = find_attribute(piece, "viewBox")) {
        // With a physical page size the drawing keeps its px, mapped by the viewBox.
        double values[4] = {};
        std::string_view text = view_box->raw_value;
        for (double& value : values) {
            while (!text.empty() && (text.front() == ' ' || text.front() == ',')) text.remove_prefix(1);
            const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
            if (result.ec != std::errc()) throw std::runtime_error("cannot read the page's viewBox");
            text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
        }
        if (values[0] != 0 || values[1] != 0) throw std::runtime_error("cannot draw a viewBox that is not at 0 0");
        width = values[2];
        height = values[3];
    } else {
        width = page_length(piece, "width");
        height = page_length(piece, "height");
    }
    const double k = mm_per_px();
    sink_.page(width * k, height * k);
    started_ = true;
    // Pixels down from the top become millimetres up from the bottom.
    Frame frame{piece.name, Affine{k, 0, 0, -k, 0, height * k}, false, {}, {}};
    frames_.push_back(std::move(frame));
}

void SvgShapeReader::start(const MarkupPiece& piece) {
    if (piece.name == "svg") {
        if (started_) throw std::runtime_error("cannot draw an <svg> inside the drawing");
        page(piece);
        if (piece.self_closing) frames_.pop_back();
        return;
    }
    if (frames_.empty()) throw std::runtime_error("the drawing does not begin with <svg>");
    const Affine to_mm = own_map(piece);
    const bool hidden = top().hidden;
    if (piece.name == "g" || is_hidden_container(piece.name)) {
        Frame frame{piece.name, to_mm, hidden || is_hidden_container(piece.name), {}, {}};
        const MarkupAttribute* kind = find_attribute(piece, "class");
        frame.engraved =
            top().engraved || (kind != nullptr && (kind->raw_value == "scale" || kind->raw_value == "frame"));
        if (piece.name == "clipPath") {
            const MarkupAttribute* id = find_attribute(piece, "id");
            if (id == nullptr) throw std::runtime_error("a <clipPath> without an id");
            frame.clip_id = std::string(id->raw_value);
        }
        if (const MarkupAttribute* clip = find_attribute(piece, "clip-path"); clip != nullptr && !frame.hidden) {
            const auto found = clip_paths_.find(clip_reference(clip->raw_value));
            if (found == clip_paths_.end()) {
                throw std::runtime_error("a group refers to an unknown clip path " + std::string(clip->raw_value));
            }
            for (const MmPoint& p : found->second) frame.clip.push_back(map(to_mm, p.x, p.y));
            // A clipped group holds a hatch; the outline after it is engraved.
            after_hatch_ = true;
        }
        if (!piece.self_closing) frames_.push_back(std::move(frame));
        return;
    }
    const bool drawable = piece.name == "rect" || piece.name == "circle" || piece.name == "ellipse" ||
                          piece.name == "line" || piece.name == "path";
    if (!drawable && !hidden) {
        throw std::runtime_error("cannot draw <" + piece.name + ">");
    }
    if (hidden) {
        if (top().name == "clipPath" && piece.name == "rect") {
            // The region is kept in the frame of the group that will use it.
            const Affine own = find_attribute(piece, "transform") != nullptr
                                   ? parse_transform(find_attribute(piece, "transform")->raw_value)
                                   : Affine{};
            const double x = number_attribute(piece, "x"), y = number_attribute(piece, "y");
            const double w = number_attribute(piece, "width"), h = number_attribute(piece, "height");
            clip_paths_[top().clip_id] = {map(own, x, y), map(own, x + w, y), map(own, x + w, y + h),
                                          map(own, x, y + h)};
        } else if (top().name == "clipPath") {
            throw std::runtime_error("cannot clip by <" + piece.name + ">");
        }
    } else if (top().engraved) {
        engraved_shape(piece, to_mm);
    } else {
        shape(piece, to_mm);
    }
    if (!piece.self_closing) {
        frames_.push_back(Frame{piece.name, to_mm, true, {}, {}});
    }
}

void SvgShapeReader::end(const MarkupPiece& piece) {
    if (frames_.empty() || top().name != piece.name) {
        throw std::runtime_error("the drawing closes <" + piece.name + "> where it is not open");
    }
    frames_.pop_back();
}

ShapeRole SvgShapeReader::closed_shape_role(const MarkupPiece& piece) {
    // Every hatch ends with the outline of its recess; any other closed shape
    // is cut, and the border is drawn wider than the cuts inside it.
    const bool engraved = after_hatch_;
    after_hatch_ = false;
    if (engraved) return ShapeRole::engrave;
    const MarkupAttribute* width = find_attribute(piece, "stroke-width");
    return width != nullptr && width->raw_value == "2" ? ShapeRole::outline : ShapeRole::inner_cut;
}

void SvgShapeReader::shape(const MarkupPiece& piece, const Affine& to_mm) {
    const std::string& name = piece.name;
    if (name == "line") {
        hatch_line(map(to_mm, number_attribute(piece, "x1"), number_attribute(piece, "y1")),
                   map(to_mm, number_attribute(piece, "x2"), number_attribute(piece, "y2")));
    } else if (name == "circle") {
        const double r = number_attribute(piece, "r");
        sink_.ellipse(closed_shape_role(piece), to_mm, number_attribute(piece, "cx"), number_attribute(piece, "cy"), r,
                      r);
    } else if (name == "ellipse") {
        sink_.ellipse(closed_shape_role(piece), to_mm, number_attribute(piece, "cx"), number_attribute(piece, "cy"),
                      number_attribute(piece, "rx"), number_attribute(piece, "ry"));
    } else if (name == "rect") {
        if (find_attribute(piece, "rx") || find_attribute(piece, "ry")) {
            throw std::runtime_error("cannot draw <rect> with rounded corners");
        }
        sink_.rect(closed_shape_role(piece), to_mm, number_attribute(piece, "x"), number_attribute(piece, "y"),
                   number_attribute(piece, "width"), number_attribute(piece, "height"));
    } else {
        const MarkupAttribute* d = find_attribute(piece, "d");
        const ShapeRole role = closed_shape_role(piece);
        if (d != nullptr) sink_.path(role, d->raw_value, to_mm);
    }
}

// Scales and frames are engraved whatever their shape; they leave the
// outline that closes a hatch to be told as before.
void SvgShapeReader::engraved_shape(const MarkupPiece& piece, const Affine& to_mm) {
    const std::string& name = piece.name;
    if (name == "line") {
        sink_.line(map(to_mm, number_attribute(piece, "x1"), number_attribute(piece, "y1")),
                   map(to_mm, number_attribute(piece, "x2"), number_attribute(piece, "y2")));
    } else if (name == "circle") {
        const double r = number_attribute(piece, "r");
        sink_.ellipse(ShapeRole::engrave, to_mm, number_attribute(piece, "cx"), number_attribute(piece, "cy"), r, r);
    } else if (name == "path") {
        const MarkupAttribute* d = find_attribute(piece, "d");
        if (d != nullptr) sink_.path(ShapeRole::engrave, d->raw_value, to_mm);
    } else {
        throw std::runtime_error("cannot draw <" + name + "> of a scale or frame");
    }
}

namespace {

// Whether the segment lies on one of the polygon's edges as millimetres to
// 0.001 are written.
bool on_an_edge(const std::vector<MmPoint>& polygon, MmPoint from, MmPoint to) {
    constexpr double written_slack_mm = 0.0005;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const MmPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        const double edge = std::hypot(b.x - a.x, b.y - a.y);
        if (edge == 0) continue;
        if (std::fabs(cross(a, b, from)) / edge <= written_slack_mm &&
            std::fabs(cross(a, b, to)) / edge <= written_slack_mm) {
            return true;
        }
    }
    return false;
}

}  // namespace

void SvgShapeReader::hatch_line(MmPoint from, MmPoint to) {
    after_hatch_ = true;
    // The visible part of a line in a clipped group; hatch lines lie inside
    // their recess already, so this leaves them as they are.
    for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame) {
        if (!frame->clip.empty() && !clip_segment(frame->clip, from, to)) return;
    }
    if (skip_hatch_on_outline_) {
        // The clip rectangle is the recess's outline, which follows the hatch.
        for (const Frame& frame : frames_) {
            if (!frame.clip.empty() && on_an_edge(frame.clip, from, to)) return;
        }
    }
    sink_.line(from, to);
}

void SvgShapeReader::label(const std::vector<MarkupPiece>& pieces, std::size_t at, std::size_t& last) {
    const MarkupPiece& piece = pieces[at];
    const std::string text = read_label(pieces, at, last);
    if (frames_.empty() || top().hidden || text.empty() || !(font_size_ > 0)) return;
    const Affine to_mm = own_map(piece);
    for (const std::string& d : font_().outline(text, label_placement(piece, font_size_))) {
        sink_.path(ShapeRole::engrave, d, to_mm);
    }
}

void SvgShapeReader::finish() const {
    if (!started_) throw std::runtime_error("the drawing does not begin with <svg>");
    if (!frames_.empty()) throw std::runtime_error("the drawing ends with <" + top().name + "> still open");
}
