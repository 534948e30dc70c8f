#pragma once

#include <vector>

struct stbtt_fontinfo;

// Whether the outline data of `glyph` lies wholly inside the font file, with
// composite glyphs nested only a few levels and holding only parts the font
// library can place. The library trusts these offsets and counts; a damaged
// font would make it read past the file or recurse without end.
bool glyph_is_sound(const std::vector<unsigned char>& data, const stbtt_fontinfo& info, int glyph);

// Whether the character map the library chose lies inside the file and has a
// format the library reads. It reads the map's ranges without bounds checks.
bool character_map_is_sound(const std::vector<unsigned char>& data, const stbtt_fontinfo& info);
