#pragma once

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

// Builds a section's whole drawing, header to footer, into `sink`, exactly as
// its own file gets it, drawing on the run's write budget as it goes.
void draw_section(const std::string& key, const json& section, const BoxSize& box, const Pass& pass,
                  const Arguments& args, const LaserStyle& style, const Place& place, RunContext& context,
                  DrawingSink& sink);
