// The implementation of the stb_truetype single-header library, compiled once
// for the whole program (glyphs.cpp uses its declarations).
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
