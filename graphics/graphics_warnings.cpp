#include "graphics/graphics_warnings.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/frame_geometry.hpp"
#include "graphics/graphics_drawing.hpp"
#include "graphics/scale_geometry.hpp"
#include "panel/edit_distance.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"
#include "panel/outlines.hpp"
#include "panel/panel.hpp"
#include "panel/part_holes.hpp"

namespace {

// Lines closer than this (px) to an edge or a cut-out only touch it.
constexpr double slack_px = 0.01;
// Chords per degree of a scale's arc, for the tests against cut-outs.
constexpr double arc_chord_degrees = 2;

using Polyline = std::vector<PagePoint>;

void warn(std::ostream& err, const Place& place, const std::string& key, const std::string& problem) {
    err << "Warning: " << describe_place(place, key) << ": " << problem << std::endl;
}

void warn_unknown_keys(const Component& c, const char* name, const std::vector<std::string>& known,
                       std::ostream& err) {
    const json& object = c.object->at(name);
    for (const auto& member : object.items()) {
        if (std::find(known.begin(), known.end(), member.key()) != known.end()) continue;
        std::string nearest;
        std::size_t best = 0;
        for (const std::string& key : known) {
            const std::size_t distance = edit_distance(member.key(), key);
            if (distance <= std::max<std::size_t>(1, key.size() / 4) && (nearest.empty() || distance < best)) {
                nearest = key;
                best = distance;
            }
        }
        warn(err, c.place, std::string(name) + "." + member.key(),
             "the program does not know this key and does not read it" +
                 (nearest.empty() ? std::string() : "; did you mean \"" + nearest + "\"?"));
    }
}

std::vector<Polyline> scale_lines(const ScaleDrawing& s) {
    std::vector<Polyline> lines;
    for (const Segment& mark : s.marks) lines.push_back({mark.from, mark.to});
    if (s.arc) {
        const double sweep = s.arc->to - s.arc->from;
        const int chords = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / arc_chord_degrees)));
        Polyline arc;
        for (int i = 0; i <= chords; ++i) {
            arc.push_back(on_circle(s.arc->centre, s.arc->radius, s.arc->from + sweep * i / chords));
        }
        lines.push_back(arc);
    }
    return lines;
}

std::string cm_text(double px) { return format_float_as_str(px / cm_to_px, 2); }

void warn_beyond_panel(const Place& place, const char* what, const std::vector<Polyline>& lines, double width,
                       double height, std::ostream& err) {
    double beyond[4] = {0, 0, 0, 0};  // left, top, right, bottom
    for (const Polyline& line : lines) {
        for (const PagePoint& p : line) {
            beyond[0] = std::max(beyond[0], -p.x);
            beyond[1] = std::max(beyond[1], -p.y);
            beyond[2] = std::max(beyond[2], p.x - width);
            beyond[3] = std::max(beyond[3], p.y - height);
        }
    }
    const char* names[4] = {"left", "top", "right", "bottom"};
    std::vector<const char*> crossed;
    double most = 0;
    for (int i = 0; i < 4; ++i) {
        if (beyond[i] > slack_px) {
            crossed.push_back(names[i]);
            most = std::max(most, beyond[i]);
        }
    }
    if (crossed.empty()) return;
    std::string edges;
    for (std::size_t i = 0; i < crossed.size(); ++i) {
        edges += (i == 0 ? "" : i + 1 == crossed.size() ? " and " : ", ") + std::string(crossed[i]);
    }
    warn(err, place, "",
         std::string(what) + " reaches beyond the panel's " + edges + (crossed.size() > 1 ? " edges" : " edge") +
             " by up to " + cm_text(most) + " cm (the panel is " + cm_text(width) + " x " + cm_text(height) +
             " cm)");
}

double cross(Outline::Point o, Outline::Point a, PagePoint p) {
    return (a.x - o.x) * (p.y - o.y) - (a.y - o.y) * (p.x - o.x);
}

// Whether the segment passes through the inside of the shape, more than
// touching it.
bool segment_enters(const Outline& shape, PagePoint a, PagePoint b) {
    if (shape.round) {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((shape.centre.x - a.x) * dx + (shape.centre.y - a.y) * dy) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double distance = std::hypot(a.x + t * dx - shape.centre.x, a.y + t * dy - shape.centre.y);
        return distance < shape.radius - slack_px;
    }
    // The part of the segment inside the convex corners (Cyrus-Beck), each
    // edge moved in by the slack.
    double area = 0;
    for (int i = 0; i < 4; ++i) {
        const auto& p = shape.corners[i];
        const auto& q = shape.corners[(i + 1) % 4];
        area += p.x * q.y - q.x * p.y;
    }
    if (area == 0) return false;
    const double sense = area > 0 ? 1 : -1;
    double enter = 0, leave = 1;
    for (int i = 0; i < 4; ++i) {
        const auto& p = shape.corners[i];
        const auto& q = shape.corners[(i + 1) % 4];
        const double edge = std::hypot(q.x - p.x, q.y - p.y);
        const double start = sense * cross(p, q, a) - slack_px * edge;
        const double end = sense * cross(p, q, b) - slack_px * edge;
        if (start <= 0 && end <= 0) return false;
        if (start < 0) enter = std::max(enter, start / (start - end));
        if (end < 0) leave = std::min(leave, start / (start - end));
    }
    return enter < leave;
}

struct Cutout {
    std::size_t owner;
    std::string key;
    Outline shape;
};

void warn_over_cutouts(const Place& place, std::size_t owner, const char* what, const std::vector<Polyline>& lines,
                       const std::vector<Cutout>& cutouts, std::ostream& err) {
    std::string last_warned;
    for (const Cutout& cutout : cutouts) {
        if (cutout.owner == owner || cutout.key == last_warned) continue;
        const bool over = std::any_of(lines.begin(), lines.end(), [&](const Polyline& line) {
            for (std::size_t i = 0; i + 1 < line.size(); ++i) {
                if (segment_enters(cutout.shape, line[i], line[i + 1])) return true;
            }
            return false;
        });
        if (over) {
            warn(err, place, "", std::string(what) + " runs over the cut-out of component " + quoted_name(cutout.key));
            last_warned = cutout.key;
        }
    }
}

}  // namespace

void warn_about_graphics(const std::string& key, const json& section, const BoxSize& box, const Arguments& args,
                         const Place& place, std::ostream& err) {
    const auto members = section_members(section, place);
    // Most sections have neither; they cost no second reading.
    if (std::none_of(members.begin(), members.end(), [](const auto& member) {
            return member.second->is_object() && (member.second->contains("scale") || member.second->contains("frame"));
        })) {
        return;
    }
    const PanelSize size = panel_size(section_kind(key), box.width, box.height, args.material_thickness,
                                      args.box_height_3d, args.outer_sizing);
    const double width = static_cast<double>(size.width * cm_to_px);
    const double height = static_cast<double>(size.height * cm_to_px);
    const double font_size = std::trunc(static_cast<double>(args.font_size));
    std::vector<Component> components;
    std::vector<Cutout> cutouts;
    for (const auto& [component_key, value] : members) {
        components.push_back(read_component(component_key, *value, place));
        const Component& c = components.back();
        if (auto shape = cutout_outline(c)) cutouts.push_back({components.size() - 1, c.key, *shape});
        for (const Outline& hole : part_hole_outlines(c)) cutouts.push_back({components.size() - 1, c.key, hole});
    }
    for (std::size_t i = 0; i < components.size(); ++i) {
        const Component& c = components[i];
        const ComponentGraphics g = read_graphics(c);
        if (g.scale) {
            warn_unknown_keys(c, "scale", scale_keys, err);
            const auto lines = scale_lines(scale_geometry(*g.scale, c, font_size));
            warn_beyond_panel(c.place, "the scale", lines, width, height, err);
            warn_over_cutouts(c.place, i, "the scale", lines, cutouts, err);
        }
        if (g.frame) {
            warn_unknown_keys(c, "frame", frame_keys, err);
            const auto lines = frame_polylines(frame_geometry(*g.frame, c, font_size));
            warn_beyond_panel(c.place, "the frame", lines, width, height, err);
            warn_over_cutouts(c.place, i, "the frame", lines, cutouts, err);
        }
    }
}
