#include "panel/warnings.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "panel/design_warning.hpp"
#include "panel/edit_distance.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"
#include "panel/outlines.hpp"
#include "panel/overlap_search.hpp"
#include "panel/panel.hpp"
#include "panel/screws.hpp"
#include "panel/part_holes.hpp"

namespace {

const char* const known_keys[] = {"call_name",      "drill_diameter", "drill_height",  "drill_width",
                                  "id",             "location_x",     "location_y",    "part",
                                  "rotation",
                                  "visible_diameter", "visible_height", "visible_width"};

// Shapes closer than this (px, a few thousandths of a millimetre) only touch.
constexpr double slack_px = 0.01;

// Overlaps listed per section; a generated project that stacks every part on
// one spot would otherwise print a line for every pair.
constexpr std::size_t max_overlaps_listed = 20;

void warn(std::ostream& err, const Place& place, const std::string& key, const std::string& problem) {
    write_design_warning(err, place, key, problem);
}

bool is_known_key(const std::string& key) {
    return std::find(std::begin(known_keys), std::end(known_keys), key) != std::end(known_keys);
}

std::string cm_text(double px) { return format_float_as_str(px / cm_to_px, 2); }

// Names the edges an area crosses, e.g. "left and top edges by 0.50 cm".
std::optional<std::string> edges_crossed(const Bounds& b, double width, double height) {
    std::vector<std::pair<const char*, double>> over;
    if (b.left < -slack_px) over.emplace_back("left", -b.left);
    if (b.top < -slack_px) over.emplace_back("top", -b.top);
    if (b.right > width + slack_px) over.emplace_back("right", b.right - width);
    if (b.bottom > height + slack_px) over.emplace_back("bottom", b.bottom - height);
    if (over.empty()) return std::nullopt;
    std::string text;
    double most = 0;
    for (std::size_t i = 0; i < over.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == over.size() ? " and " : ", ") + std::string(over[i].first);
        most = std::max(most, over[i].second);
    }
    return text + (over.size() > 1 ? " edges" : " edge") + " by up to " + cm_text(most) + " cm";
}

void warn_beyond_panel(const Place& place, const char* what, const std::optional<Outline>& shape, double width,
                       double height, std::ostream& err) {
    if (!shape) return;
    if (auto edges = edges_crossed(bounds_of(*shape), width, height)) {
        warn(err, place, "",
             std::string(what) + " reaches beyond the panel's " + *edges + " (the panel is " + cm_text(width) +
                 " x " + cm_text(height) + " cm)");
    }
}

struct Screw {
    const char* corner;
    Outline hole;
    std::optional<Outline> head;
};

std::vector<Screw> screws_of(const std::string& key, const BoxSize& box, const Arguments& args) {
    const ScrewLayout layout = screw_layout(key, box, args);
    std::vector<Screw> screws;
    if (!layout.takes_screws) return screws;
    const char* names[4] = {"top left", "top right", "bottom left", "bottom right"};
    for (int i = 0; i < 4; ++i) {
        const double x = mm_to_px(layout.corners[i][0]);
        const double y = mm_to_px(layout.corners[i][1]);
        Screw screw{names[i], circle_outline(x, y, mm_to_px(layout.hole_radius)), std::nullopt};
        if (layout.head_radius > 0) screw.head = circle_outline(x, y, mm_to_px(layout.head_radius));
        screws.push_back(screw);
    }
    return screws;
}

void warn_screw_overlap(const Place& place, const Outline& cutout, const std::vector<Screw>& screws,
                        std::ostream& err) {
    for (const Screw& screw : screws) {
        if (screw.hole.radius > 0 && outlines_overlap(cutout, screw.hole, slack_px)) {
            warn(err, place, "", std::string("the cut-out overlaps the ") + screw.corner + " screw hole");
        } else if (screw.head && outlines_overlap(cutout, *screw.head, slack_px)) {
            warn(err, place, "", std::string("the cut-out overlaps the ") + screw.corner + " screw-head recess");
        }
    }
}

struct PlacedCutout {
    std::size_t order;  // the component's place in the section
    std::string key;
    Outline shape;
    Bounds bounds;
};

// Pairs of overlapping cut-outs, each as (earlier, later) in section order.
// Sweeps left to right, keeping the cut-outs still open at the sweep line by
// their top edge, so that only neighbours are compared.
std::vector<std::pair<std::size_t, std::size_t>> overlapping_pairs(const std::vector<PlacedCutout>& cutouts) {
    const auto in_listing_order = [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    };
    // Few overlaps (the usual case) are all found by the faster search; with
    // more, the sweep below picks the ones listed.
    std::vector<Outline> shapes(cutouts.size());
    for (const auto& c : cutouts) shapes[c.order] = c.shape;
    if (auto few = few_overlapping_pairs(shapes, max_overlaps_listed, slack_px)) {
        std::sort(few->begin(), few->end(), in_listing_order);
        return *few;
    }
    std::vector<Boxed> boxes;
    for (const auto& c : cutouts) boxes.push_back({c.order, c.bounds});
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    sweep_overlapping_boxes(std::move(boxes), [&](std::size_t earlier, std::size_t current) {
        if (outlines_overlap(shapes[current], shapes[earlier], slack_px)) {
            pairs.emplace_back(std::min(current, earlier), std::max(current, earlier));
        }
        return pairs.size() <= max_overlaps_listed;
    });
    std::sort(pairs.begin(), pairs.end(), in_listing_order);
    return pairs;
}

void warn_overlaps(const std::vector<PlacedCutout>& cutouts, const Place& section_place, std::ostream& err) {
    std::vector<std::string> keys(cutouts.size());
    for (const auto& c : cutouts) keys[c.order] = c.key;
    const auto pairs = overlapping_pairs(cutouts);
    for (std::size_t i = 0; i < pairs.size() && i < max_overlaps_listed; ++i) {
        Place place = section_place;
        place.component = keys[pairs[i].second];
        warn(err, place, "", "the cut-out overlaps the cut-out of component \"" + keys[pairs[i].first] + "\"");
    }
    if (pairs.size() > max_overlaps_listed) {
        warn(err, section_place, "",
             "more cut-outs overlap than the " + std::to_string(max_overlaps_listed) + " listed");
    }
}

const char* const generic_keys[] = {"height", "width"};

// The nearest key of `keys`, when `key` is close enough to one of them to be
// a slip of the keyboard; empty otherwise.
template <std::size_t N>
std::string nearest_of(const std::string& key, const char* const (&keys)[N]) {
    std::string best;
    std::size_t best_distance = 0;
    for (const std::string known : keys) {
        const std::size_t allowed = std::max<std::size_t>(1, known.size() / 4);
        const std::size_t apart = key.size() > known.size() ? key.size() - known.size() : known.size() - key.size();
        if (apart > allowed) continue;  // the distance is at least the difference in length
        const std::size_t distance = edit_distance(key, known);
        if (distance <= allowed && (best.empty() || distance < best_distance)) {
            best = known;
            best_distance = distance;
        }
    }
    return best;
}

std::string nearest_known_key(const std::string& key) { return nearest_of(key, known_keys); }

void warn_unknown_key(std::ostream& err, const Place& place, const std::string& key, const std::string& nearest) {
    warn(err, place, key,
         "the program does not know this key and does not read it" +
             (nearest.empty() ? std::string() : "; did you mean \"" + nearest + "\"?"));
}

// SVG's rotate() turns a rectangle by any angle, but the drawing turns it
// only for a positive rotation; a negative one is drawn as 0.
void warn_negative_rotation(const Component& c, std::ostream& err) {
    const bool rectangle = (c.has("drill_width") && c.has("drill_height") &&
                            !(c.has("drill_diameter") && c.drill_diameter > 0)) ||
                           (c.has("visible_width") && c.has("visible_height") &&
                            !(c.has("visible_diameter") && c.visible_diameter >= 0));
    if (c.rotation < 0 && rectangle) {
        warn(err, c.place, "rotation",
             "a negative rotation (" + std::to_string(c.rotation) + ") is drawn as 0: the rectangle is not turned; "
             "use " + std::to_string((static_cast<long long>(c.rotation) % 360 + 360) % 360) + " for that turn");
    }
}

}  // namespace

void warn_about_generic(const json& project, const std::string& json_file, std::ostream& err) {
    const auto generic = project.find("Generic");
    if (generic == project.end() || !generic->is_object()) return;
    const Place place{json_file, "Generic", {}};
    for (const auto& member : generic->items()) {
        if (std::find(std::begin(generic_keys), std::end(generic_keys), member.key()) != std::end(generic_keys)) {
            continue;
        }
        warn_unknown_key(err, place, member.key(), nearest_of(member.key(), generic_keys));
    }
}

void warn_about_section(const std::string& key, const json& section, const BoxSize& box, const Arguments& args,
                        const Place& place, std::ostream& err) {
    const PanelSize size = panel_size(section_kind(key), box.width, box.height, args.material_thickness,
                                      args.box_height_3d, args.outer_sizing);
    const double width = static_cast<double>(size.width * cm_to_px);
    const double height = static_cast<double>(size.height * cm_to_px);
    const std::vector<Screw> screws = screws_of(key, box, args);
    std::vector<PlacedCutout> cutouts;
    for (const auto& [component_key, value] : section_members(section, place)) {
        const Component c = read_component(component_key, *value, place);
        for (const auto& member : value->items()) {
            if (is_known_key(member.key())) continue;
            const std::string nearest = nearest_known_key(member.key());
            warn(err, c.place, member.key(),
                 "the program does not know this key and does not read it" +
                     (nearest.empty() ? std::string() : "; did you mean \"" + nearest + "\"?"));
        }
        const std::optional<Outline> cutout = cutout_outline(c);
        warn_negative_rotation(c, err);
        warn_beyond_panel(c.place, "the cut-out", cutout, width, height, err);
        warn_beyond_panel(c.place, "the recess", recess_outline(c), width, height, err);
        if (cutout) {
            warn_screw_overlap(c.place, *cutout, screws, err);
            cutouts.push_back({cutouts.size(), c.key, *cutout, bounds_of(*cutout)});
        }
        for (const Outline& hole : part_hole_outlines(c)) {
            warn_beyond_panel(c.place, "a hole of the part", hole, width, height, err);
            warn_screw_overlap(c.place, hole, screws, err);
            cutouts.push_back({cutouts.size(), c.key, hole, bounds_of(hole)});
        }
    }
    warn_overlaps(cutouts, place, err);
}
