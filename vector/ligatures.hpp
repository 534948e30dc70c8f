#pragma once

#include <cstddef>
#include <vector>

// Replaces runs of glyphs by the font's standard ligatures ("f" "i" becomes
// "fi"), as a text layout engine does for Latin text by default: the
// ligature substitutions of the font's 'liga', 'clig', 'rlig' and 'ccmp'
// features for the Latin script (or the default one), in lookup order.
// `gsub` is the font's glyph substitution table; a table that is damaged or
// of an unknown form leaves the glyphs as they are.
void form_ligatures(const unsigned char* gsub, std::size_t gsub_size, std::vector<int>& glyphs);
