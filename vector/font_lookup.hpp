#pragma once

#include <filesystem>

// The file of the font that labels are drawn in when no --font-file is given:
// the system's bold sans-serif, the face a browser or Inkscape picks for the
// labels' style. With fontconfig it is whatever "sans-serif:bold" matches;
// without it (Windows) it is Arial Bold in the Windows font folder.
// Throws FontError (vector/glyphs.hpp) when no font can be found.
std::filesystem::path find_label_font();
