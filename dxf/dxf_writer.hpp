#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

// A point on the drawing in millimetres, DXF's way up: y grows upwards from
// the page's bottom-left corner.
struct MmPoint {
    double x = 0;
    double y = 0;
};

// The two layers a cutting service or laser program tells operations by.
enum class DxfLayer { cut, engrave };

const char* layer_name(DxfLayer layer);

// How many entities of each kind a drawing holds.
struct DxfCounts {
    std::size_t lines = 0;
    std::size_t circles = 0;
    std::size_t polylines = 0;
    std::size_t on_cut = 0;
    std::size_t on_engrave = 0;
};

// Builds the text of an R12 ASCII DXF drawing in millimetres. Numbers are
// written to the thousandth of a millimetre, and what services refuse is
// left out: lines that round to no length, circles without radius, outlines
// that round to fewer than three corners, and entities already written.
// Entities gather in text(); take_text() hands out what has gathered so far,
// so a large drawing can go to its file in pieces.
class DxfWriter {
public:
    // Starts the drawing with the page of width × height mm as its extents.
    DxfWriter(double width_mm, double height_mm);

    void line(DxfLayer layer, MmPoint from, MmPoint to);
    void circle(DxfLayer layer, MmPoint centre, double radius);
    // A closed outline through the corners; the last joins the first.
    void closed_polyline(DxfLayer layer, const std::vector<MmPoint>& corners);
    // An open line through the points, such as an engraved arc.
    void open_polyline(DxfLayer layer, const std::vector<MmPoint>& points);
    // Ends the entities and the file; nothing may be added after it.
    void finish();

    std::string take_text();
    const DxfCounts& counts() const { return counts_; }

private:
    bool first_time(DxfLayer layer, const std::string& key);
    void counted(DxfLayer layer);
    void polyline(DxfLayer layer, const std::vector<MmPoint>& points, bool closed);

    std::string text_;
    std::unordered_set<std::string> written_;
    DxfCounts counts_;
};

// A length or coordinate as the drawing writes it: three decimals, and never
// "-0.000".
std::string dxf_number(double mm);
