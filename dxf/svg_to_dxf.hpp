#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dxf/dxf_writer.hpp"
#include "dxf/transform.hpp"
#include "vector/builtin_vectorizer.hpp"
#include "vector/svg_markup.hpp"

// Turns the SVG text of one drawing of this program into a DXF drawing in
// millimetres, with the page's bottom-left corner as the origin and y up.
// What the laser cuts (border and other outlines, cut-outs, screw holes) goes
// to the CUT layer; what it engraves (hatch lines, the outline that closes
// each hatch, labels as the closed outlines of their glyphs, and everything
// in a group of class "scale" or "frame", open lines too) to ENGRAVE.
// The text may come in pieces, each holding whole elements, in order.
// Throws std::runtime_error (FontError for the font) on what it cannot draw.
class DxfDrawing {
public:
    explicit DxfDrawing(FontSource font);

    void feed(std::string_view svg);
    // Ends the drawing: no feed after it.
    void finish();
    // The DXF text made since the last call.
    std::string take_text();
    DxfCounts counts() const;

private:
    struct Frame {
        std::string name;
        Affine to_mm;
        bool hidden = false;             // inside defs or a clipPath: not drawn
        bool engraved = false;           // inside a scale or a frame: every line engraved
        std::string clip_id;             // the clipPath this element defines
        std::vector<MmPoint> clip;       // the visible region of a clipped group, in mm
    };

    void start(const MarkupPiece& piece);
    void end(const MarkupPiece& piece);
    void page(const MarkupPiece& piece);
    void shape(const MarkupPiece& piece, const Affine& to_mm);
    void engraved_shape(const MarkupPiece& piece, const Affine& to_mm);
    void label(const std::vector<MarkupPiece>& pieces, std::size_t at, std::size_t& last);
    void hatch_line(MmPoint from, MmPoint to);
    DxfLayer closed_shape_layer();
    DxfWriter& writer();
    const Frame& top() const { return frames_.back(); }
    Affine own_map(const MarkupPiece& piece) const;

    FontSource font_;
    std::optional<DxfWriter> writer_;
    std::vector<Frame> frames_;
    // Each clipPath's rectangle, in px of the frame of the group that refers to
    // it (clip paths are in the user space of the element they clip).
    std::unordered_map<std::string, std::vector<MmPoint>> clip_paths_;
    double font_size_ = 16;
    bool after_hatch_ = false;
};

// The whole DXF text of one SVG text.
std::string dxf_from_svg(std::string_view svg, const FontSource& font);
