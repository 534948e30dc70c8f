#pragma once

#include <optional>
#include <vector>

struct stbtt_fontinfo;

// The kerning of a glyph pair in font units, as the font library finds it
// (the first pair-adjustment lookups of GPOS, else the first kern table), but
// with every read checked against the file: the library follows the tables'
// offsets and counts unchecked. Empty when the tables reach outside the file.
std::optional<int> kerning_advance(const std::vector<unsigned char>& data, const stbtt_fontinfo& info, int first,
                                   int second);
