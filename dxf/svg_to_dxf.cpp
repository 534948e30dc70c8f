#include "dxf/svg_to_dxf.hpp"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "dxf/outline_path.hpp"

namespace {

// Curves become straight pieces within this of the curve; with the rounding
// of their corners to 0.001 mm they stay within 0.01 mm.
constexpr double flattening_mm = 0.009;

DxfLayer layer_of(ShapeRole role) { return role == ShapeRole::engrave ? DxfLayer::engrave : DxfLayer::cut; }

MmPoint map(const Affine& m, double x, double y) { return {m.x_of(x, y), m.y_of(x, y)}; }

// An ellipse as corners within the flattening of its curve: R12 has no ellipse.
std::vector<MmPoint> ellipse_corners(const Affine& to_mm, double cx, double cy, double rx, double ry) {
    const double scale = std::sqrt(std::fabs(to_mm.a * to_mm.d - to_mm.b * to_mm.c));
    const double r = std::max(rx, ry) * scale;
    int pieces = 8;
    if (r > flattening_mm) {
        const double step = 2 * std::acos(1 - flattening_mm / r);
        pieces = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi / step)), 8, 4096);
    }
    std::vector<MmPoint> corners;
    for (int i = 0; i < pieces; ++i) {
        const double t = 2 * std::numbers::pi * i / pieces;
        corners.push_back(map(to_mm, cx + rx * std::cos(t), cy + ry * std::sin(t)));
    }
    return corners;
}

}  // namespace

DxfDrawing::DxfDrawing(FontSource font) : reader_(std::move(font), *this, true) {}

DxfWriter& DxfDrawing::writer() {
    if (!writer_) throw std::runtime_error("the drawing does not begin with <svg>");
    return *writer_;
}

void DxfDrawing::feed(std::string_view svg) { reader_.feed(svg); }

void DxfDrawing::page(double width_mm, double height_mm) { writer_.emplace(width_mm, height_mm); }

void DxfDrawing::line(MmPoint from, MmPoint to) { writer().line(DxfLayer::engrave, from, to); }

void DxfDrawing::ellipse(ShapeRole role, const Affine& to_mm, double cx, double cy, double rx, double ry) {
    if (rx == ry) {
        writer().circle(layer_of(role), map(to_mm, cx, cy), rx * to_mm.uniform_scale());
    } else {
        writer().closed_polyline(layer_of(role), ellipse_corners(to_mm, cx, cy, rx, ry));
    }
}

void DxfDrawing::rect(ShapeRole role, const Affine& to_mm, double x, double y, double w, double h) {
    writer().closed_polyline(layer_of(role),
                             {map(to_mm, x, y), map(to_mm, x + w, y), map(to_mm, x + w, y + h), map(to_mm, x, y + h)});
}

void DxfDrawing::path(ShapeRole role, std::string_view d, const Affine& to_mm) {
    if (role != ShapeRole::engrave) {
        // An outline the laser cuts must close.
        for (const std::vector<MmPoint>& outline : closed_outlines(d, to_mm, flattening_mm)) {
            writer().closed_polyline(layer_of(role), outline);
        }
        return;
    }
    for (const PathLine& line : path_lines(d, to_mm, flattening_mm)) {
        if (line.closed) {
            writer().closed_polyline(DxfLayer::engrave, line.points);
        } else {
            writer().open_polyline(DxfLayer::engrave, line.points);
        }
    }
}

void DxfDrawing::finish() {
    reader_.finish();
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
