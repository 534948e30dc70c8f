#include "vector/glyph_check.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <stb_truetype.h>

namespace {

// Composite glyphs of real fonts nest two or three levels and hold a few parts.
constexpr int max_depth = 8;
constexpr int max_parts = 256;

// The extent of a glyph's points in font units, as the library holds them.
struct Extent {
    double left = 0, bottom = 0, right = 0, top = 0;
    bool empty = true;
    void add(double x, double y) {
        if (empty) {
            *this = {x, y, x, y, false};
            return;
        }
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    }
    void add(const Extent& other) {
        if (other.empty) return;
        add(other.left, other.bottom);
        add(other.right, other.top);
    }
};

struct Reader {
    const std::vector<unsigned char>& data;

    bool has(std::size_t at, std::size_t bytes) const { return at <= data.size() && bytes <= data.size() - at; }
    std::uint32_t u16(std::size_t at) const { return (std::uint32_t{data[at]} << 8) | data[at + 1]; }
    std::uint32_t u32(std::size_t at) const { return (u16(at) << 16) | u16(at + 2); }
};

// The sizes of a simple glyph's flags and coordinates, walked as the library walks them.
std::optional<Extent> simple_glyph_inside(const Reader& r, std::size_t start, std::size_t end,
                                          std::size_t contours) {
    std::size_t at = start + 10;
    if (at + 2 * contours + 2 > end) return std::nullopt;
    const std::size_t points = r.u16(at + 2 * contours - 2) + 1;
    at += 2 * contours;
    at += 2 + r.u16(at);
    std::size_t coordinate_bytes = 0;
    unsigned flags = 0;
    std::size_t repeat = 0;
    // The library looks one point ahead of a contour that starts off the
    // curve; for a contour of just the last point that is past its points.
    bool last_starts_contour = points == 1;
    for (std::size_t j = 0; j + 1 < contours; ++j) {
        if (r.u16(start + 10 + 2 * j) + 2 == points) last_starts_contour = true;
    }
    std::vector<unsigned char> point_flags(points);
    for (std::size_t i = 0; i < points; ++i) {
        if (repeat == 0) {
            if (at >= end) return std::nullopt;
            flags = r.data[at++];
            if (flags & 8) {
                if (at >= end) return std::nullopt;
                repeat = r.data[at++];
            }
        } else {
            --repeat;
        }
        point_flags[i] = static_cast<unsigned char>(flags);
        coordinate_bytes += (flags & 2) ? 1 : (flags & 16) ? 0 : 2;
        coordinate_bytes += (flags & 4) ? 1 : (flags & 32) ? 0 : 2;
    }
    if (last_starts_contour && !(flags & 1)) return std::nullopt;
    if (at + coordinate_bytes > end) return std::nullopt;
    // The coordinates, summed as the library sums them and cut to 16 bits.
    std::vector<std::int16_t> xs(points);
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < points; ++i) {
        const unsigned f = point_flags[i];
        if (f & 2) {
            const int d = r.data[at++];
            sum += (f & 16) ? d : -d;
        } else if (!(f & 16)) {
            sum += static_cast<std::int16_t>(r.u16(at));
            at += 2;
        }
        xs[i] = static_cast<std::int16_t>(sum);
    }
    Extent extent;
    sum = 0;
    for (std::size_t i = 0; i < points; ++i) {
        const unsigned f = point_flags[i];
        if (f & 4) {
            const int d = r.data[at++];
            sum += (f & 32) ? d : -d;
        } else if (!(f & 32)) {
            sum += static_cast<std::int16_t>(r.u16(at));
            at += 2;
        }
        extent.add(xs[i], static_cast<std::int16_t>(sum));
    }
    return extent;
}

std::optional<Extent> glyph_inside(const Reader& r, const stbtt_fontinfo& info, int glyph, int depth, int& parts);

std::int16_t s16(const Reader& r, std::size_t at) { return static_cast<std::int16_t>(r.u16(at)); }

// The library turns each part's points by the part's matrix and offset and
// stores them in 16 bits again; outside that range the conversion is undefined.
std::optional<Extent> composite_glyph_inside(const Reader& r, const stbtt_fontinfo& info, std::size_t start,
                                             std::size_t end, int depth, int& parts) {
    std::size_t at = start + 10;
    unsigned flags = 0;
    Extent whole;
    do {
        if (at + 4 > end) return std::nullopt;
        flags = r.u16(at);
        const int part = static_cast<int>(r.u16(at + 2));
        // Parts placed by matching points rather than by offsets are not drawn by the library.
        if (!(flags & 2)) return std::nullopt;
        at += 4;
        const std::size_t after = at + ((flags & 1) ? 4 : 2) +
                                  ((flags & 8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0);
        if (after > end || ++parts > max_parts || depth >= max_depth) return std::nullopt;
        double matrix[6] = {1, 0, 0, 1, 0, 0};
        if (flags & 1) {
            matrix[4] = s16(r, at);
            matrix[5] = s16(r, at + 2);
            at += 4;
        } else {
            matrix[4] = static_cast<signed char>(r.data[at]);
            matrix[5] = static_cast<signed char>(r.data[at + 1]);
            at += 2;
        }
        if (flags & 8) {
            matrix[0] = matrix[3] = s16(r, at) / 16384.0;
        } else if (flags & 0x40) {
            matrix[0] = s16(r, at) / 16384.0;
            matrix[3] = s16(r, at + 2) / 16384.0;
        } else if (flags & 0x80) {
            for (int k = 0; k < 4; ++k) matrix[k] = s16(r, at + 2 * static_cast<std::size_t>(k)) / 16384.0;
        }
        at = after;
        const std::optional<Extent> inner = glyph_inside(r, info, part, depth + 1, parts);
        if (!inner) return std::nullopt;
        if (inner->empty) continue;
        const double m = std::sqrt(matrix[0] * matrix[0] + matrix[1] * matrix[1]);
        const double n = std::sqrt(matrix[2] * matrix[2] + matrix[3] * matrix[3]);
        for (const double x : {inner->left, inner->right}) {
            for (const double y : {inner->bottom, inner->top}) {
                const double tx = m * (matrix[0] * x + matrix[2] * y + matrix[4]);
                const double ty = n * (matrix[1] * x + matrix[3] * y + matrix[5]);
                // A little inside the 16-bit range: the library computes in single precision.
                if (!(std::fabs(tx) < 32000 && std::fabs(ty) < 32000)) return std::nullopt;
                whole.add(tx, ty);
            }
        }
    } while (flags & 0x20);
    return whole;
}

std::optional<Extent> glyph_inside(const Reader& r, const stbtt_fontinfo& info, int glyph, int depth, int& parts) {
    // The library draws nothing for these, without reading any outline.
    if (glyph < 0 || glyph >= info.numGlyphs || info.indexToLocFormat >= 2) return Extent{};
    const bool short_offsets = info.indexToLocFormat == 0;
    const std::size_t entry = static_cast<std::size_t>(info.loca) + static_cast<std::size_t>(glyph) * (short_offsets ? 2 : 4);
    if (!r.has(entry, short_offsets ? 4 : 8)) return std::nullopt;
    const std::size_t first = short_offsets ? 2 * std::size_t{r.u16(entry)} : r.u32(entry);
    const std::size_t last = short_offsets ? 2 * std::size_t{r.u16(entry + 2)} : r.u32(entry + 4);
    if (first == last) return Extent{};
    const std::size_t glyf = static_cast<std::size_t>(info.glyf);
    if (first > last || !r.has(glyf + first, last - first) || last - first < 10) return std::nullopt;
    const std::size_t start = glyf + first;
    const std::size_t end = glyf + last;
    const auto contours = static_cast<std::int16_t>(r.u16(start));
    if (contours == 0) return Extent{};
    if (contours > 0) return simple_glyph_inside(r, start, end, static_cast<std::size_t>(contours));
    return composite_glyph_inside(r, info, start, end, depth, parts);
}

}  // namespace

bool glyph_is_sound(const std::vector<unsigned char>& data, const stbtt_fontinfo& info, int glyph) {
    int parts = 0;
    return glyph_inside(Reader{data}, info, glyph, 0, parts).has_value();
}

bool character_map_is_sound(const std::vector<unsigned char>& data, const stbtt_fontinfo& info) {
    const Reader r{data};
    const std::size_t map = static_cast<std::size_t>(info.index_map);
    if (!r.has(map, 4)) return false;
    switch (r.u16(map)) {
        case 0:  // one byte per character code, read as far as the map's length says
            return r.has(map, std::max<std::size_t>(6 + 256, r.u16(map + 2)));
        case 2:  // the library maps nothing through this format
            return true;
        case 6:  // one dense range
            return r.has(map, 10) && r.has(map + 10, 2 * std::size_t{r.u16(map + 8)});
        case 12:
        case 13: {  // groups of ranges, searched by halves
            if (!r.has(map, 16)) return false;
            const std::size_t groups = r.u32(map + 12);
            return groups <= (data.size() - map - 16) / 12;
        }
        case 4: {  // segments, each with an optional run of glyph ids
            if (!r.has(map, 14)) return false;
            const std::size_t segments = r.u16(map + 6) >> 1;
            // The library reads the first segment even of a map that has none.
            if (segments == 0) return false;
            const std::size_t ends = map + 14;
            if (!r.has(ends, 8 * segments + 2)) return false;
            // The library's search steps come from the file; they must stay within the segments.
            if ((r.u16(map + 8) >> 1) + (r.u16(map + 12) >> 1) > segments) return false;
            const std::size_t starts = ends + 2 * segments + 2;
            const std::size_t range_offsets = starts + 4 * segments;
            for (std::size_t i = 0; i < segments; ++i) {
                const std::size_t offset = r.u16(range_offsets + 2 * i);
                const std::size_t first = r.u16(starts + 2 * i);
                const std::size_t last = r.u16(ends + 2 * i);
                if (offset == 0 || last < first) continue;
                if (!r.has(range_offsets + 2 * i + offset, 2 * (last - first + 1))) return false;
            }
            return true;
        }
        default:  // formats the library does not know stop it with an assertion
            return false;
    }
}
