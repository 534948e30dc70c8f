#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dxf/dxf_writer.hpp"
#include "dxf/transform.hpp"
#include "vector/builtin_vectorizer.hpp"
#include "vector/svg_markup.hpp"

// What a closed shape is to the laser: engraved (hatch outlines, labels),
// cut inside a part (cut-outs, holes) or cut around it (the border, which the
// drawing strokes twice as wide as the other cuts).
enum class ShapeRole { engrave, inner_cut, outline };

// Where the shapes of a drawing go, in millimetres with y up from the page's
// bottom-left corner. Rectangles, ellipses and paths come with their numbers
// as the SVG gives them and the map that takes them to millimetres, so a
// format that keeps them as what they are can.
class ShapeSink {
public:
    virtual ~ShapeSink() = default;
    virtual void page(double width_mm, double height_mm) = 0;
    // An engraved line: a hatch line, already cut to its recess, or a mark of
    // a scale.
    virtual void line(MmPoint from, MmPoint to) = 0;
    virtual void ellipse(ShapeRole role, const Affine& to_mm, double cx, double cy, double rx, double ry) = 0;
    virtual void rect(ShapeRole role, const Affine& to_mm, double x, double y, double width, double height) = 0;
    // Path data: an outline, or the outlines of a label's glyphs; engraved
    // path data (of a scale or frame) may hold open lines and arcs.
    virtual void path(ShapeRole role, std::string_view d, const Affine& to_mm) = 0;
};

// Reads the SVG text of one drawing of this program and hands its shapes to
// a sink: transforms applied, hatch lines cut to their clip, labels as the
// outlines of their glyphs. The text may come in pieces, each holding whole
// elements, in order. Throws std::runtime_error (FontError for the font) on
// what it cannot draw.
class SvgShapeReader {
public:
    // `skip_hatch_on_outline`: leaves out a hatch line that lies on its
    // recess's outline as millimetres to 0.001 are written, since the outline
    // engraves it anyway.
    SvgShapeReader(FontSource font, ShapeSink& sink, bool skip_hatch_on_outline = false);

    void feed(std::string_view svg);
    // Throws when the drawing is not whole.
    void finish() const;

private:
    struct Frame {
        std::string name;
        Affine to_mm;
        bool hidden = false;        // inside defs or a clipPath: not drawn
        std::string clip_id;        // the clipPath this element defines
        std::vector<MmPoint> clip;  // the visible region of a clipped group, in mm
        bool engraved = false;      // inside a scale or a frame: every line engraved
    };

    void start(const MarkupPiece& piece);
    void end(const MarkupPiece& piece);
    void page(const MarkupPiece& piece);
    void shape(const MarkupPiece& piece, const Affine& to_mm);
    void engraved_shape(const MarkupPiece& piece, const Affine& to_mm);
    void label(const std::vector<MarkupPiece>& pieces, std::size_t at, std::size_t& last);
    void hatch_line(MmPoint from, MmPoint to);
    ShapeRole closed_shape_role(const MarkupPiece& piece);
    const Frame& top() const { return frames_.back(); }
    Affine own_map(const MarkupPiece& piece) const;

    FontSource font_;
    ShapeSink& sink_;
    bool skip_hatch_on_outline_;
    bool started_ = false;
    std::vector<Frame> frames_;
    // Each clipPath's rectangle, in px of the frame of the group that refers to
    // it (clip paths are in the user space of the element they clip).
    std::unordered_map<std::string, std::vector<MmPoint>> clip_paths_;
    double font_size_ = 16;
    bool after_hatch_ = false;
};
