#include "lightburn/lbrn_drawing.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "dxf/outline_path.hpp"

namespace {

// LightBurn's palette, C00 to C15.
constexpr unsigned palette[] = {0x000000, 0x0000FF, 0xFF0000, 0x00E000, 0xD0D000, 0xFF8000, 0x00E0E0, 0xFF00FF,
                                0xB4B4B4, 0x0000A0, 0xA00000, 0x00A000, 0xA0A000, 0xC08000, 0x00A0FF, 0xA000A0};

constexpr const char* layer_names[] = {"Engrave", "Inner cuts", "Outlines"};

unsigned colour_value(const std::string& hex) {
    return hex.size() == 7 ? static_cast<unsigned>(std::stoul(hex.substr(1), nullptr, 16)) : 0;
}

long distance(unsigned a, unsigned b) {
    long sum = 0;
    for (int shift : {16, 8, 0}) {
        const long d = static_cast<long>((a >> shift) & 0xFF) - static_cast<long>((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

int nearest_free(unsigned colour, const std::vector<int>& taken) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(std::size(palette)); ++i) {
        if (std::find(taken.begin(), taken.end(), i) != taken.end()) continue;
        if (best < 0 || distance(palette[i], colour) < distance(palette[best], colour)) best = i;
    }
    return best;
}

// Millimetres to the micrometre's tenth, and the parts of a turn finer still;
// no "-0", no trailing zeros.
std::string number(double value) {
    if (!std::isfinite(value)) throw std::runtime_error("a coordinate is too large for the LightBurn project");
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    std::string text(buffer, result.ptr);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

std::string point(MmPoint p) { return number(p.x) + ' ' + number(p.y); }

// The XForm and scale of a rectangle or ellipse centred on its own origin.
// Such a shape is its own mirror image, so the drawing's flip of y can be
// taken out of the map, which leaves a turn (and a scale, found apart).
struct Placement {
    std::string xform;
    double scale;
};

Placement placement(const Affine& m, MmPoint centre) {
    const double a = m.a, b = m.b, c = -m.c, d = -m.d;
    const double scale = std::sqrt(std::fabs(a * d - b * c));
    if (!(scale > 0)) throw std::runtime_error("a transform flattens a shape to nothing");
    return {number(a / scale) + ' ' + number(b / scale) + ' ' + number(c / scale) + ' ' + number(d / scale) + ' ' +
                point(centre),
            scale};
}

// A path's vertices and the pieces between them, as LightBurn lists them: a
// vertex keeps the control point of the curve that leaves it (c0) and of the
// one that arrives (c1).
class PathList : public PathPieces {
public:
    void move(MmPoint p) override {
        drop_lone_start();
        pen_at_start_ = false;
        start_ = vertices_.size();
        vertices_.push_back({p, {}, {}});
    }
    void line(MmPoint p) override {
        leave_start();
        vertices_.push_back({p, {}, {}});
        prims_.push_back({'L', vertices_.size() - 2, vertices_.size() - 1});
    }
    void quad(MmPoint c, MmPoint p) override {
        leave_start();
        // The same curve as a cubic: its controls two thirds of the way to c.
        const MmPoint p0 = vertices_.back().at;
        cubic({p0.x + 2.0 / 3 * (c.x - p0.x), p0.y + 2.0 / 3 * (c.y - p0.y)},
              {p.x + 2.0 / 3 * (c.x - p.x), p.y + 2.0 / 3 * (c.y - p.y)}, p);
    }
    void cubic(MmPoint c1, MmPoint c2, MmPoint p) override {
        leave_start();
        vertices_.back().c0 = point(c1);
        vertices_.push_back({p, {}, point(c2)});
        prims_.push_back({'B', vertices_.size() - 2, vertices_.size() - 1});
    }
    void close() override {
        if (pen_at_start_ || vertices_.empty()) return;
        const std::size_t last = vertices_.size() - 1;
        if (last == start_) return;
        Vertex& first = vertices_[start_];
        if (point(vertices_[last].at) == point(first.at)) {
            // Ending where it began: the last piece ends on the first vertex.
            if (!vertices_[last].c1.empty()) first.c1 = vertices_[last].c1;
            vertices_.pop_back();
            prims_.back().to = start_;
        } else {
            prims_.push_back({'L', last, start_});
        }
        pen_at_start_ = true;
    }

    bool empty() const { return prims_.empty(); }
    std::string vert_list() {
        drop_lone_start();
        std::string out;
        for (const Vertex& v : vertices_) {
            out += 'V' + point(v.at);
            if (!v.c0.empty()) out += control("c0", v.c0);
            if (!v.c1.empty()) out += control("c1", v.c1);
        }
        return out;
    }
    std::string prim_list() const {
        std::string out;
        for (const Prim& p : prims_) out += p.kind + std::to_string(p.from) + ' ' + std::to_string(p.to);
        return out;
    }

private:
    struct Vertex {
        MmPoint at;
        std::string c0, c1;  // "x y", or empty
    };
    struct Prim {
        char kind;
        std::size_t from, to;
    };

    static std::string control(const char* name, const std::string& xy) {
        const std::size_t space = xy.find(' ');
        return std::string(name) + 'x' + xy.substr(0, space) + name + 'y' + xy.substr(space + 1);
    }
    // After "Z" the pen stands at the subpath's start; a piece drawn from
    // there starts a new subpath at a vertex of its own.
    void leave_start() {
        if (!pen_at_start_) return;
        const MmPoint at = vertices_[start_].at;
        move(at);
    }
    // A move that nothing was drawn from leaves no vertex.
    void drop_lone_start() {
        if (pen_at_start_ || vertices_.empty() || start_ != vertices_.size() - 1) return;
        if (!prims_.empty() && (prims_.back().to == start_ || prims_.back().from == start_)) return;
        vertices_.pop_back();
    }

    std::vector<Vertex> vertices_;
    std::vector<Prim> prims_;
    std::size_t start_ = 0;
    bool pen_at_start_ = false;
};

}  // namespace

std::array<int, 3> layer_colour_indices(const std::string& engrave_colour, const std::string& cut_colour) {
    std::vector<int> taken;
    taken.push_back(nearest_free(colour_value(engrave_colour), taken));
    taken.push_back(nearest_free(colour_value(cut_colour), taken));
    taken.push_back(nearest_free(colour_value(cut_colour), taken));
    return {taken[0], taken[1], taken[2]};
}

LightBurnDrawing::LightBurnDrawing(FontSource font, std::array<int, 3> colour_indices,
                                   const LightBurnSettings& settings)
    : reader_(std::move(font), *this), colours_(colour_indices), settings_(settings) {}

void LightBurnDrawing::feed(std::string_view svg) { reader_.feed(svg); }

void LightBurnDrawing::page(double, double) {}

void LightBurnDrawing::shape_start(ShapeRole role, const std::string& type_and_sizes) {
    const auto layer = static_cast<std::size_t>(role);
    used_[layer] = true;
    shapes_ += "    <Shape Type=\"" + type_and_sizes.substr(0, type_and_sizes.find('"')) + "\" CutIndex=\"" +
               std::to_string(colours_[layer]) + "\"" + type_and_sizes.substr(type_and_sizes.find('"') + 1) + ">\n";
}

void LightBurnDrawing::line(MmPoint from, MmPoint to) {
    shape_start(ShapeRole::engrave, "Path\"");
    shapes_ += "        <XForm>1 0 0 1 0 0</XForm>\n        <VertList>V" + point(from) + 'V' + point(to) +
               "</VertList>\n        <PrimList>L0 1</PrimList>\n    </Shape>\n";
}

void LightBurnDrawing::ellipse(ShapeRole role, const Affine& to_mm, double cx, double cy, double rx, double ry) {
    const Placement at = placement(to_mm, {to_mm.x_of(cx, cy), to_mm.y_of(cx, cy)});
    shape_start(role, "Ellipse\" Rx=\"" + number(rx * at.scale) + "\" Ry=\"" + number(ry * at.scale) + "\"");
    shapes_ += "        <XForm>" + at.xform + "</XForm>\n    </Shape>\n";
}

void LightBurnDrawing::rect(ShapeRole role, const Affine& to_mm, double x, double y, double w, double h) {
    const double cx = x + w / 2, cy = y + h / 2;
    const Placement at = placement(to_mm, {to_mm.x_of(cx, cy), to_mm.y_of(cx, cy)});
    shape_start(role, "Rect\" W=\"" + number(w * at.scale) + "\" H=\"" + number(h * at.scale) + "\" Cr=\"0\"");
    shapes_ += "        <XForm>" + at.xform + "</XForm>\n    </Shape>\n";
}

void LightBurnDrawing::path(ShapeRole role, std::string_view d, const Affine& to_mm) {
    PathList list;
    read_path(d, to_mm, list);
    if (list.empty()) return;
    shape_start(role, "Path\"");
    shapes_ += "        <XForm>1 0 0 1 0 0</XForm>\n        <VertList>" + list.vert_list() +
               "</VertList>\n        <PrimList>" + list.prim_list() + "</PrimList>\n    </Shape>\n";
}

std::string LightBurnDrawing::finish() {
    reader_.finish();
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<LightBurnProject AppVersion=\"1.4.03\" FormatVersion=\"1\" MaterialHeight=\"0\" MirrorX=\"False\" "
        "MirrorY=\"False\">\n";
    // LightBurn runs the layers lowest priority first.
    for (std::size_t layer = 0; layer < used_.size(); ++layer) {
        if (!used_[layer]) continue;
        out += "    <CutSetting type=\"Cut\">\n        <index Value=\"" + std::to_string(colours_[layer]) +
               "\"/>\n        <name Value=\"" + layer_names[layer] + "\"/>\n";
        for (const auto& [name, value] : settings_.of(static_cast<ShapeRole>(layer))) {
            out += "        <" + name + " Value=\"" + value + "\"/>\n";
        }
        out += "        <priority Value=\"" + std::to_string(layer) + "\"/>\n    </CutSetting>\n";
    }
    out += shapes_;
    out += "</LightBurnProject>\n";
    shapes_.clear();
    return out;
}

std::string lightburn_from_svg(std::string_view svg, const FontSource& font, std::array<int, 3> colour_indices,
                               const LightBurnSettings& settings) {
    LightBurnDrawing drawing(font, colour_indices, settings);
    drawing.feed(svg);
    return drawing.finish();
}
