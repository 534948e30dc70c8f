#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dxf/dxf_writer.hpp"
#include "dxf/svg_shapes.hpp"
#include "vector/builtin_vectorizer.hpp"

// Turns the SVG text of one drawing of this program into a DXF drawing in
// millimetres, with the page's bottom-left corner as the origin and y up.
// What the laser cuts (border and other outlines, cut-outs, screw holes) goes
// to the CUT layer; what it engraves (hatch lines, the outline that closes
// each hatch, labels as the closed outlines of their glyphs, and everything
// in a group of class "scale" or "frame", open lines too) to ENGRAVE. A hatch
// line that lies on its recess's outline is left out: the outline engraves it.
// The text may come in pieces, each holding whole elements, in order.
// Throws std::runtime_error (FontError for the font) on what it cannot draw.
class DxfDrawing : private ShapeSink {
public:
    explicit DxfDrawing(FontSource font);

    void feed(std::string_view svg);
    // Ends the drawing: no feed after it.
    void finish();
    // The DXF text made since the last call.
    std::string take_text();
    DxfCounts counts() const;

private:
    void page(double width_mm, double height_mm) override;
    void line(MmPoint from, MmPoint to) override;
    void ellipse(ShapeRole role, const Affine& to_mm, double cx, double cy, double rx, double ry) override;
    void rect(ShapeRole role, const Affine& to_mm, double x, double y, double width, double height) override;
    void path(ShapeRole role, std::string_view d, const Affine& to_mm) override;
    DxfWriter& writer();

    SvgShapeReader reader_;
    std::optional<DxfWriter> writer_;
};

// The whole DXF text of one SVG text.
std::string dxf_from_svg(std::string_view svg, const FontSource& font);
