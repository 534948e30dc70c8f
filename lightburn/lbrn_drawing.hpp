#pragma once

#include <array>
#include <string>
#include <string_view>

#include "dxf/svg_shapes.hpp"
#include "lightburn/lightburn_settings.hpp"
#include "vector/builtin_vectorizer.hpp"

// LightBurn tells layers by the index of their colour in its palette; each
// layer is one index. Engraving takes the entry nearest the engrave colour,
// inner cuts the one nearest the cut colour, and outlines the nearest entry
// to the cut colour that is still free (black where no colour is given).
std::array<int, 3> layer_colour_indices(const std::string& engrave_colour, const std::string& cut_colour);

// The LightBurn project (.lbrn2, millimetres, y up from the page's
// bottom-left corner) of one drawing of this program. Its layers run in
// priority order: engraving first, then the cuts inside the parts, then the
// outlines, so nothing is cut after its part has dropped out. Circles become
// ellipses and rectangles rectangles, which LightBurn's own tools can
// resize; everything else (outlines, turned parts, hatch lines, the glyph
// outlines of labels) becomes paths with their curves kept as Béziers.
class LightBurnDrawing : private ShapeSink {
public:
    LightBurnDrawing(FontSource font, std::array<int, 3> colour_indices, const LightBurnSettings& settings);

    // The text may come in pieces, each holding whole elements, in order.
    void feed(std::string_view svg);
    // The whole project; nothing may be fed after it.
    std::string finish();

private:
    void page(double width_mm, double height_mm) override;
    void line(MmPoint from, MmPoint to) override;
    void ellipse(ShapeRole role, const Affine& to_mm, double cx, double cy, double rx, double ry) override;
    void rect(ShapeRole role, const Affine& to_mm, double x, double y, double width, double height) override;
    void path(ShapeRole role, std::string_view d, const Affine& to_mm) override;
    void shape_start(ShapeRole role, const std::string& type_and_sizes);

    SvgShapeReader reader_;
    std::array<int, 3> colours_;
    const LightBurnSettings& settings_;
    std::array<bool, 3> used_{};
    std::string shapes_;
};

// The whole project of one SVG text.
std::string lightburn_from_svg(std::string_view svg, const FontSource& font, std::array<int, 3> colour_indices,
                               const LightBurnSettings& settings);
