#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vector/glyphs.hpp"
#include "vector/svg_markup.hpp"

// What turns a label of this program's SVG into glyph outlines, shared by the
// builtin converter and the DXF writer so that both draw the same letters.

// A plain number in user units; `absent` (SVG's default) when the tag lacks
// the attribute. Throws std::runtime_error on anything but a plain number.
double number_attribute(const MarkupPiece& piece, std::string_view name, double absent = 0);

// The font size the style sheet gives ("font-size: 8.00px"), or the CSS
// default of 16 px. Inkscape draws sizes of zero and below as nothing.
double style_font_size(std::string_view style);

// Whitespace as SVG lays out text by default: line ends and tabs become
// spaces, runs of spaces one, none at either end.
std::string collapse_spaces(std::string_view text);

// Where the <text> start tag puts its label, in its own (turned) frame, at
// `font_size` or at the size of its own style attribute.
TextPlacement label_placement(const MarkupPiece& piece, double font_size);

// The label that the <text> start tag at pieces[at] holds, its spaces
// collapsed; `last` becomes the index of its end tag (or of the tag itself
// when self-closing). Throws std::runtime_error when it holds markup.
std::string read_label(const std::vector<MarkupPiece>& pieces, std::size_t at, std::size_t& last);
