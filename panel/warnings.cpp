#include "panel/warnings.hpp"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <set>
#include <optional>
#include <vector>

#include "panel/design_warning.hpp"
#include "panel/edit_distance.hpp"
#include "panel/frame.hpp"
#include "panel/labels.hpp"
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
                                  "visible_diameter", "visible_height", "visible_width",
                                  "frame", "label_offset", "label_size", "scale"};

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

// `what` names the component's shape: "the cut-out", "the screw hole of …".
void warn_screw_overlap(const Place& place, const std::string& what, const Outline& cutout,
                        const std::vector<Screw>& screws, std::ostream& err) {
    for (const Screw& screw : screws) {
        if (screw.hole.radius > 0 && outlines_overlap(cutout, screw.hole, slack_px)) {
            warn(err, place, "", what + " overlaps the " + screw.corner + " screw hole");
        } else if (screw.head && outlines_overlap(cutout, *screw.head, slack_px)) {
            warn(err, place, "", what + " overlaps the " + screw.corner + " screw-head recess");
        }
    }
}

// Every hole a component cuts: its cut-out, then its part's extra holes.
struct PlacedCutout {
    std::size_t component;  // the component's place in the section
    std::string key;
    const char* kind;  // "cut-out", "screw hole" or "slot"
    Outline shape;
    Bounds bounds;
};

using Pair = std::pair<std::size_t, std::size_t>;

// The component pair of two shapes' pair, (earlier, later) in section order.
Pair components_of(const std::vector<PlacedCutout>& cutouts, const Pair& shapes) {
    return {cutouts[shapes.first].component, cutouts[shapes.second].component};
}

// Pairs of overlapping holes of different components, each as (earlier,
// later) by their index in `cutouts` (which is in section order), and how many
// pairs of components they make. A part's holes are laid out with its
// cut-out, so a component's own holes are not compared with each other.
// Sweeps left to right, keeping the holes still open at the sweep line by
// their top edge, so that only neighbours are compared.
std::vector<Pair> overlapping_pairs(const std::vector<PlacedCutout>& cutouts) {
    const auto in_listing_order = [&](const Pair& a, const Pair& b) {
        const Pair ca = components_of(cutouts, a), cb = components_of(cutouts, b);
        if (ca.second != cb.second) return ca.second < cb.second;
        if (ca.first != cb.first) return ca.first < cb.first;
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    };
    const auto apart = [&](const Pair& p) { return cutouts[p.first].component != cutouts[p.second].component; };
    std::vector<Outline> shapes;
    for (const auto& c : cutouts) shapes.push_back(c.shape);
    // Few overlaps (the usual case) are all found by the faster search; with
    // more, the sweep below picks the ones listed.
    std::vector<Pair> pairs;
    if (auto few = few_overlapping_pairs(shapes, max_overlaps_listed, slack_px)) {
        std::copy_if(few->begin(), few->end(), std::back_inserter(pairs), apart);
    } else {
        std::vector<Boxed> boxes;
        for (std::size_t i = 0; i < cutouts.size(); ++i) boxes.push_back({i, cutouts[i].bounds});
        std::set<Pair> components;
        sweep_overlapping_boxes(std::move(boxes), [&](std::size_t earlier, std::size_t current) {
            const Pair pair{std::min(current, earlier), std::max(current, earlier)};
            if (apart(pair) && outlines_overlap(shapes[current], shapes[earlier], slack_px)) {
                pairs.push_back(pair);
                components.insert(components_of(cutouts, pair));
            }
            return components.size() <= max_overlaps_listed;
        });
    }
    std::sort(pairs.begin(), pairs.end(), in_listing_order);
    return pairs;
}

// "the cut-out", or "the screw hole of \"b\"": a part's hole names its component.
std::string subject_name(const PlacedCutout& c) {
    const std::string kind = c.kind;
    return kind == "cut-out" ? "the cut-out" : "the " + kind + " of \"" + c.key + "\"";
}

// One line per pair of components, naming the first overlap of their holes in
// section order: cut-outs first, then a part's holes in its order.
void warn_overlaps(const std::vector<PlacedCutout>& cutouts, const Place& section_place, std::ostream& err) {
    const auto pairs = overlapping_pairs(cutouts);
    std::size_t listed = 0;
    std::optional<Pair> last;
    for (const Pair& pair : pairs) {
        const Pair components = components_of(cutouts, pair);
        if (last == components) continue;
        last = components;
        if (++listed > max_overlaps_listed) break;
        const PlacedCutout& earlier = cutouts[pair.first];
        const PlacedCutout& later = cutouts[pair.second];
        Place place = section_place;
        place.component = later.key;
        warn(err, place, "",
             subject_name(later) + " overlaps the " + earlier.kind + " of component \"" + earlier.key + "\"");
    }
    if (listed > max_overlaps_listed) {
        warn(err, section_place, "",
             "more cut-outs overlap than the " + std::to_string(max_overlaps_listed) + " listed");
    }
}

// A label's text as the text layer draws it, and the ground it covers: a box
// about its centre, turned with it. Its size is estimated from the font size,
// as the drawing knows no glyph widths: 0.6 em a character (the bold sans
// fonts' digits and capitals are wider, so a label is rather missed than
// wrongly named) and 0.7 em high, about the capitals' height.
struct PlacedLabel {
    Place place;
    std::string text;
    Outline ground;
};

std::size_t characters_of(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char ch) {
        return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    }));
}

std::optional<PlacedLabel> place_label(Component& c, LabelCounters& counters, const Arguments& args) {
    const std::string text = label_text(c, counters, args.whole_label_numbers);
    if (text.empty()) return std::nullopt;
    const int rotation = label_rotation(c.rotation);
    const Position centre = label_centre_on_page(label_anchor(c, rotation), rotation);
    const double size = c.label_size > 0 ? c.label_size : args.font_size;
    const double along = 0.6 * size * static_cast<double>(characters_of(text));
    const double across = 0.7 * size;
    const bool upright = rotation == 90 || rotation == 270;
    const double half_w = (upright ? across : along) / 2, half_h = (upright ? along : across) / 2;
    Outline ground;
    ground.centre = {centre.x, centre.y};
    ground.corners = {Outline::Point{centre.x - half_w, centre.y - half_h}, {centre.x + half_w, centre.y - half_h},
                      {centre.x + half_w, centre.y + half_h}, {centre.x - half_w, centre.y + half_h}};
    return PlacedLabel{c.place, text, ground};
}

// One line per label and component (or screw) whose hole it lies over, at
// most as many as overlaps are listed. The holes are looked up by their left
// edge, so that a label meets only the holes beside it.
void warn_labels_over_holes(const std::vector<PlacedLabel>& labels, const std::vector<PlacedCutout>& cutouts,
                            const std::vector<Screw>& screws, const Place& section_place, std::ostream& err) {
    std::vector<std::size_t> by_left(cutouts.size());
    std::iota(by_left.begin(), by_left.end(), std::size_t{0});
    std::sort(by_left.begin(), by_left.end(),
              [&](std::size_t a, std::size_t b) { return cutouts[a].bounds.left < cutouts[b].bounds.left; });
    double widest = 0;
    for (const PlacedCutout& c : cutouts) widest = std::max(widest, c.bounds.right - c.bounds.left);
    std::size_t listed = 0;
    const auto list = [&](const Place& place, const std::string& problem) {
        if (++listed <= max_overlaps_listed) warn(err, place, "", problem);
    };
    for (const PlacedLabel& label : labels) {
        const std::string subject = "the label \"" + label.text + "\" lies over the ";
        const Bounds own = bounds_of(label.ground);
        const auto from = std::lower_bound(by_left.begin(), by_left.end(), own.left - widest - slack_px,
                                           [&](std::size_t i, double x) { return cutouts[i].bounds.left < x; });
        std::vector<std::size_t> under;
        for (auto at = from; at != by_left.end() && cutouts[*at].bounds.left <= own.right + slack_px; ++at) {
            const PlacedCutout& c = cutouts[*at];
            if (c.bounds.right < own.left - slack_px || c.bounds.bottom < own.top - slack_px ||
                c.bounds.top > own.bottom + slack_px) {
                continue;
            }
            if (outlines_overlap(label.ground, c.shape, slack_px)) under.push_back(*at);
        }
        // In section order, the first hole of each component.
        std::sort(under.begin(), under.end());
        std::optional<std::size_t> last;
        for (std::size_t i : under) {
            if (last == cutouts[i].component) continue;
            last = cutouts[i].component;
            list(label.place, subject + cutouts[i].kind + " of component \"" + cutouts[i].key + "\"");
        }
        for (const Screw& screw : screws) {
            if (screw.hole.radius > 0 && outlines_overlap(label.ground, screw.hole, slack_px)) {
                list(label.place, subject + screw.corner + " screw hole");
            }
        }
    }
    if (listed > max_overlaps_listed) {
        warn(err, section_place, "",
             "more labels lie over holes than the " + std::to_string(max_overlaps_listed) + " listed");
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

// SVG's rotate() turns a rectangle by any angle, but the drawing turns it,
// and a part's extra holes, only for a positive rotation; a negative one is
// drawn as 0.
void warn_negative_rotation(const Component& c, std::ostream& err) {
    const bool rectangle = (c.has("drill_width") && c.has("drill_height") &&
                            !(c.has("drill_diameter") && c.drill_diameter > 0)) ||
                           (c.has("visible_width") && c.has("visible_height") &&
                            !(c.has("visible_diameter") && c.visible_diameter >= 0));
    if (c.rotation < 0 && (rectangle || !c.part_holes.empty())) {
        warn(err, c.place, "rotation",
             "a negative rotation (" + std::to_string(c.rotation) + ") is drawn as 0: the " +
                 (rectangle ? "rectangle is" : "part's holes are") + " not turned; use " +
                 std::to_string((static_cast<long long>(c.rotation) % 360 + 360) % 360) + " for that turn");
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
    std::vector<PlacedLabel> labels;
    LabelCounters counters;
    std::size_t components = 0;
    for (const auto& [component_key, value] : section_members(section, place)) {
        Component c = read_component(component_key, *value, place);
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
            warn_screw_overlap(c.place, "the cut-out", *cutout, screws, err);
            cutouts.push_back({components, c.key, "cut-out", *cutout, bounds_of(*cutout)});
        }
        for (const Outline& hole : part_hole_outlines(c)) {
            warn_beyond_panel(c.place, "a hole of the part", hole, width, height, err);
            warn_screw_overlap(c.place, std::string("a ") + part_hole_name(hole) + " of the part", hole, screws, err);
            cutouts.push_back({components, c.key, part_hole_name(hole), hole, bounds_of(hole)});
        }
        ++components;
        if (args.text) {
            if (auto label = place_label(c, counters, args)) labels.push_back(std::move(*label));
        }
    }
    warn_overlaps(cutouts, place, err);
    warn_labels_over_holes(labels, cutouts, screws, place, err);
}
