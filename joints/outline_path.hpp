#pragma once

#include <string>
#include <vector>

#include "joints/finger_edges.hpp"
#include "panel/frame.hpp"
#include "panel/laser_style.hpp"
#include "panel/layout.hpp"
#include "panel/project.hpp"
#include "settings/arguments.hpp"

// Appends the outline as one closed path, "M x,y L x,y ... Z", with every
// number written as the rest of the drawing writes it. Throws
// UnwritableNumber for a point that is not finite.
void append_outline_path(std::string& out, const std::vector<Point>& points, const std::string& paint);

// The border of a jointed panel (width x height cm, of section `kind`): its
// outline with fingers and notches, drawn with the border's paint, half the
// kerf outside and with every notch widened by --finger-play. Nothing when
// the outline is off.
std::string draw_jointed_board(SectionKind kind, float width_cm, float height_cm, bool outline, const BoxSize& box,
                               const Arguments& args, const LaserStyle& style);

// The room the fingers of a panel of `kind` need on its page: T beyond every
// edge with fingers. None without --finger-joints.
PageMargins finger_margins(SectionKind kind, const BoxSize& box, const Arguments& args);
