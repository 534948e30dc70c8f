#include "dxf/dxf_writer.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace {

// Group codes stand right-aligned in three columns, as AutoCAD writes them.
void group(std::string& out, int code, const std::string& value) {
    if (code < 10) out += "  ";
    else if (code < 100) out += ' ';
    out += std::to_string(code);
    out += '\n';
    out += value;
    out += '\n';
}

void point(std::string& out, int code, MmPoint p) {
    group(out, code, dxf_number(p.x));
    group(out, code + 10, dxf_number(p.y));
}

void header_point(std::string& out, const char* name, MmPoint p, bool with_z) {
    group(out, 9, name);
    point(out, 10, p);
    if (with_z) group(out, 30, "0.000");
}

void header_value(std::string& out, const char* name, int code, const std::string& value) {
    group(out, 9, name);
    group(out, code, value);
}

void layer_entry(std::string& out, const char* name, int colour) {
    group(out, 0, "LAYER");
    group(out, 2, name);
    group(out, 70, "0");
    group(out, 62, std::to_string(colour));
    group(out, 6, "CONTINUOUS");
}

std::string start(MmPoint page) {
    std::string out;
    group(out, 0, "SECTION");
    group(out, 2, "HEADER");
    header_value(out, "$ACADVER", 1, "AC1009");
    header_point(out, "$INSBASE", {0, 0}, true);
    header_point(out, "$EXTMIN", {0, 0}, true);
    header_point(out, "$EXTMAX", page, true);
    header_point(out, "$LIMMIN", {0, 0}, false);
    header_point(out, "$LIMMAX", page, false);
    // Millimetres, for readers that ask: drawing units and the metric system.
    header_value(out, "$INSUNITS", 70, "4");
    header_value(out, "$MEASUREMENT", 70, "1");
    group(out, 0, "ENDSEC");

    group(out, 0, "SECTION");
    group(out, 2, "TABLES");
    group(out, 0, "TABLE");
    group(out, 2, "LTYPE");
    group(out, 70, "1");
    group(out, 0, "LTYPE");
    group(out, 2, "CONTINUOUS");
    group(out, 70, "0");
    group(out, 3, "Solid line");
    group(out, 72, "65");
    group(out, 73, "0");
    group(out, 40, "0.000");
    group(out, 0, "ENDTAB");
    group(out, 0, "TABLE");
    group(out, 2, "LAYER");
    group(out, 70, "3");
    layer_entry(out, "0", 7);
    layer_entry(out, layer_name(DxfLayer::cut), 1);
    layer_entry(out, layer_name(DxfLayer::engrave), 5);
    group(out, 0, "ENDTAB");
    group(out, 0, "ENDSEC");

    group(out, 0, "SECTION");
    group(out, 2, "BLOCKS");
    group(out, 0, "ENDSEC");
    group(out, 0, "SECTION");
    group(out, 2, "ENTITIES");
    return out;
}

bool same_text(MmPoint a, MmPoint b) { return dxf_number(a.x) == dxf_number(b.x) && dxf_number(a.y) == dxf_number(b.y); }

std::string point_key(MmPoint p) { return dxf_number(p.x) + ',' + dxf_number(p.y); }

}  // namespace

const char* layer_name(DxfLayer layer) { return layer == DxfLayer::cut ? "CUT" : "ENGRAVE"; }

std::string dxf_number(double mm) {
    if (!std::isfinite(mm)) {
        throw std::runtime_error("a coordinate is too large for the DXF file");
    }
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    if (text == "-0.000") text.erase(0, 1);
    return text;
}

DxfWriter::DxfWriter(double width_mm, double height_mm) : text_(start({width_mm, height_mm})) {}

bool DxfWriter::first_time(DxfLayer layer, const std::string& key) {
    return written_.insert(std::string(layer_name(layer)) + ' ' + key).second;
}

void DxfWriter::counted(DxfLayer layer) {
    if (layer == DxfLayer::cut) ++counts_.on_cut;
    else ++counts_.on_engrave;
}

void DxfWriter::line(DxfLayer layer, MmPoint from, MmPoint to) {
    if (same_text(from, to)) return;
    // A line is the same line drawn either way.
    std::string a = point_key(from), b = point_key(to);
    if (!first_time(layer, "L " + (a < b ? a + ' ' + b : b + ' ' + a))) return;
    group(text_, 0, "LINE");
    group(text_, 8, layer_name(layer));
    point(text_, 10, from);
    point(text_, 11, to);
    ++counts_.lines;
    counted(layer);
}

void DxfWriter::circle(DxfLayer layer, MmPoint centre, double radius) {
    const std::string r = dxf_number(radius);
    if (!(radius > 0) || r == "0.000") return;
    if (!first_time(layer, "C " + point_key(centre) + ' ' + r)) return;
    group(text_, 0, "CIRCLE");
    group(text_, 8, layer_name(layer));
    point(text_, 10, centre);
    group(text_, 40, r);
    ++counts_.circles;
    counted(layer);
}

void DxfWriter::closed_polyline(DxfLayer layer, const std::vector<MmPoint>& corners) {
    polyline(layer, corners, true);
}

void DxfWriter::open_polyline(DxfLayer layer, const std::vector<MmPoint>& points) {
    polyline(layer, points, false);
}

void DxfWriter::polyline(DxfLayer layer, const std::vector<MmPoint>& corners, bool closed) {
    // Corners that round to the same place as the one before are one corner.
    std::vector<MmPoint> kept;
    for (const MmPoint& p : corners) {
        if (kept.empty() || !same_text(kept.back(), p)) kept.push_back(p);
    }
    while (closed && kept.size() > 1 && same_text(kept.back(), kept.front())) kept.pop_back();
    if (kept.size() < (closed ? 3u : 2u)) return;
    std::string key = closed ? "P" : "O";
    for (const MmPoint& p : kept) key += ' ' + point_key(p);
    if (!first_time(layer, key)) return;
    group(text_, 0, "POLYLINE");
    group(text_, 8, layer_name(layer));
    group(text_, 66, "1");
    point(text_, 10, {0, 0});
    group(text_, 70, closed ? "1" : "0");
    for (const MmPoint& p : kept) {
        group(text_, 0, "VERTEX");
        group(text_, 8, layer_name(layer));
        point(text_, 10, p);
    }
    group(text_, 0, "SEQEND");
    group(text_, 8, layer_name(layer));
    ++counts_.polylines;
    counted(layer);
}

void DxfWriter::finish() {
    group(text_, 0, "ENDSEC");
    group(text_, 0, "EOF");
}

std::string DxfWriter::take_text() {
    std::string out;
    out.swap(text_);
    return out;
}
