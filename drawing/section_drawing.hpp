#pragma once

#include <ostream>
#include <string>

#include "panel/drawing_sink.hpp"
#include "panel/laser_style.hpp"
#include "panel/panel.hpp"
#include "panel/project.hpp"
#include "settings/passes.hpp"

// The header of a section's drawing, as its file starts: the page size comes
// from here. Throws RunError for a panel size that cannot be drawn.
std::string section_header(const std::string& key, const BoxSize& box, const Arguments& args, const LaserStyle& style,
                           const Place& place);

// Builds a section's whole drawing, header to footer, exactly as its own file
// gets it, and hands it to `sink` in pieces as it grows (none: the drawing is
// only checked, as a simulation does). The drawing's console lines go to `out`.
void draw_section(const std::string& key, const nlohmann::json& section, const BoxSize& box, const Pass& pass,
                  const Arguments& args, const LaserStyle& style, const Place& place, std::ostream& out,
                  DrawingSink* sink);

// The same drawing held whole in memory: the text the section's file would
// hold. Touches no file.
std::string draw_section_text(const std::string& key, const nlohmann::json& section, const BoxSize& box,
                              const Pass& pass, const Arguments& args, const LaserStyle& style, const Place& place,
                              std::ostream& out);
