#include "dxf/svg_to_dxf.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "dxf/outline_path.hpp"
#include "panel/panel.hpp"
#include "vector/glyphs.hpp"
#include "vector/label_layout.hpp"
#include "vector/svg_markup.hpp"

namespace {

using Kind = MarkupPiece::Kind;

// Glyph curves become straight pieces within this of the curve; with the
// rounding of their corners to 0.001 mm they stay within 0.01 mm.
constexpr double flattening_mm = 0.009;
// SVG numbers carry two decimals of a pixel: hatch lines that reach that far
// past their clip rectangle are inside it as drawn.
constexpr double clip_slack_mm = 0.005;

// Half the DXF's written unit (0.001 mm): points closer than this are written
// as one.
constexpr double written_slack_mm = 0.0005;

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

// Whether the segment lies on one of the polygon's edges as the DXF writes
// them: a hatch line there would engrave the recess's outline a second time.
bool on_an_edge(const std::vector<MmPoint>& polygon, MmPoint from, MmPoint to) {
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

DxfDrawing::DxfDrawing(FontSource font) : font_(std::move(font)) {}

DxfWriter& DxfDrawing::writer() {
    if (!writer_) throw std::runtime_error("the drawing does not begin with <svg>");
    return *writer_;
}

Affine DxfDrawing::own_map(const MarkupPiece& piece) const {
    const Affine parent = frames_.empty() ? Affine{} : top().to_mm;
    const MarkupAttribute* transform = find_attribute(piece, "transform");
    return transform == nullptr ? parent : then(parse_transform(transform->raw_value), parent);
}

void DxfDrawing::feed(std::string_view svg) {
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

void DxfDrawing::page(const MarkupPiece& piece) {
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
    writer_.emplace(width * k, height * k);
    // Pixels down from the top become millimetres up from the bottom.
    Frame frame{piece.name, Affine{k, 0, 0, -k, 0, height * k}, false, false, {}, {}};
    frames_.push_back(std::move(frame));
}

void DxfDrawing::start(const MarkupPiece& piece) {
    if (piece.name == "svg") {
        if (writer_) throw std::runtime_error("cannot draw an <svg> inside the drawing");
        page(piece);
        if (piece.self_closing) frames_.pop_back();
        return;
    }
    if (frames_.empty()) throw std::runtime_error("the drawing does not begin with <svg>");
    const Affine to_mm = own_map(piece);
    const bool hidden = top().hidden;
    if (piece.name == "g" || is_hidden_container(piece.name)) {
        const MarkupAttribute* kind = find_attribute(piece, "class");
        const bool engraved = top().engraved ||
                              (kind != nullptr && (kind->raw_value == "scale" || kind->raw_value == "frame"));
        Frame frame{piece.name, to_mm, hidden || is_hidden_container(piece.name), engraved, {}, {}};
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
    const bool drawable = piece.name == "rect" || piece.name == "circle" || piece.name == "line" || piece.name == "path";
    if (!drawable && !hidden) {
        throw std::runtime_error("cannot draw <" + piece.name + "> in DXF");
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
            throw std::runtime_error("cannot clip by <" + piece.name + "> in DXF");
        }
    } else if (top().engraved) {
        engraved_shape(piece, to_mm);
    } else {
        shape(piece, to_mm);
    }
    if (!piece.self_closing) {
        frames_.push_back(Frame{piece.name, to_mm, true, false, {}, {}});
    }
}

void DxfDrawing::end(const MarkupPiece& piece) {
    if (frames_.empty() || top().name != piece.name) {
        throw std::runtime_error("the drawing closes <" + piece.name + "> where it is not open");
    }
    frames_.pop_back();
}

DxfLayer DxfDrawing::closed_shape_layer() {
    // Every hatch ends with the outline of its recess; any other closed shape is cut.
    const DxfLayer layer = after_hatch_ ? DxfLayer::engrave : DxfLayer::cut;
    after_hatch_ = false;
    return layer;
}

void DxfDrawing::shape(const MarkupPiece& piece, const Affine& to_mm) {
    const std::string& name = piece.name;
    if (name == "line") {
        hatch_line(map(to_mm, number_attribute(piece, "x1"), number_attribute(piece, "y1")),
                   map(to_mm, number_attribute(piece, "x2"), number_attribute(piece, "y2")));
    } else if (name == "circle") {
        const double r = number_attribute(piece, "r") * to_mm.uniform_scale();
        const MmPoint centre = map(to_mm, number_attribute(piece, "cx"), number_attribute(piece, "cy"));
        writer().circle(closed_shape_layer(), centre, r);
    } else if (name == "rect") {
        if (find_attribute(piece, "rx") || find_attribute(piece, "ry")) {
            throw std::runtime_error("cannot draw <rect> with rounded corners in DXF");
        }
        const double x = number_attribute(piece, "x"), y = number_attribute(piece, "y");
        const double w = number_attribute(piece, "width"), h = number_attribute(piece, "height");
        writer().closed_polyline(closed_shape_layer(),
                                 {map(to_mm, x, y), map(to_mm, x + w, y), map(to_mm, x + w, y + h), map(to_mm, x, y + h)});
    } else {
        const MarkupAttribute* d = find_attribute(piece, "d");
        const DxfLayer layer = closed_shape_layer();
        if (d == nullptr) return;
        for (const std::vector<MmPoint>& outline : closed_outlines(d->raw_value, to_mm, flattening_mm)) {
            writer().closed_polyline(layer, outline);
        }
    }
}

// Scales and frames are engraved whatever their shape; they leave the
// outline that closes a hatch to be told as before.
void DxfDrawing::engraved_shape(const MarkupPiece& piece, const Affine& to_mm) {
    const std::string& name = piece.name;
    if (name == "line") {
        writer().line(DxfLayer::engrave, map(to_mm, number_attribute(piece, "x1"), number_attribute(piece, "y1")),
                      map(to_mm, number_attribute(piece, "x2"), number_attribute(piece, "y2")));
    } else if (name == "circle") {
        writer().circle(DxfLayer::engrave, map(to_mm, number_attribute(piece, "cx"), number_attribute(piece, "cy")),
                        number_attribute(piece, "r") * to_mm.uniform_scale());
    } else if (name == "path") {
        const MarkupAttribute* d = find_attribute(piece, "d");
        if (d == nullptr) return;
        for (const PathLine& line : path_lines(d->raw_value, to_mm, flattening_mm)) {
            if (line.closed) {
                writer().closed_polyline(DxfLayer::engrave, line.points);
            } else {
                writer().open_polyline(DxfLayer::engrave, line.points);
            }
        }
    } else {
        throw std::runtime_error("cannot draw <" + name + "> of a scale or frame in DXF");
    }
}

void DxfDrawing::hatch_line(MmPoint from, MmPoint to) {
    after_hatch_ = true;
    // The visible part of a line in a clipped group; hatch lines lie inside
    // their recess already, so this leaves them as they are.
    for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame) {
        if (!frame->clip.empty() && !clip_segment(frame->clip, from, to)) return;
    }
    // The clip rectangle is the recess's outline, which follows the hatch.
    for (const Frame& frame : frames_) {
        if (!frame.clip.empty() && on_an_edge(frame.clip, from, to)) return;
    }
    writer().line(DxfLayer::engrave, from, to);
}

void DxfDrawing::label(const std::vector<MarkupPiece>& pieces, std::size_t at, std::size_t& last) {
    const MarkupPiece& piece = pieces[at];
    const std::string text = read_label(pieces, at, last);
    if (frames_.empty() || top().hidden || text.empty() || !(font_size_ > 0)) return;
    const Affine to_mm = own_map(piece);
    for (const std::string& d : font_().outline(text, label_placement(piece, font_size_))) {
        for (const std::vector<MmPoint>& outline : closed_outlines(d, to_mm, flattening_mm)) {
            writer().closed_polyline(DxfLayer::engrave, outline);
        }
    }
}

void DxfDrawing::finish() {
    if (!frames_.empty()) throw std::runtime_error("the drawing ends with <" + top().name + "> still open");
    writer().finish();
}

std::string DxfDrawing::take_text() { return writer_ ? writer_->take_text() : std::string(); }

DxfCounts DxfDrawing::counts() const { return writer_ ? writer_->counts() : DxfCounts{}; }

std::string dxf_from_svg(std::string_view svg, const FontSource& font) {
    DxfDrawing drawing(font);
    drawing.feed(svg);
    drawing.finish();
    return drawing.take_text();
}
