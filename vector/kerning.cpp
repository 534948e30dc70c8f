#include "vector/kerning.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

#include <stb_truetype.h>

namespace {

// Thrown inside this file only, when a read would leave the file.
struct Outside {};

struct Reader {
    const std::vector<unsigned char>& data;

    std::uint32_t u16(std::size_t at) const {
        if (at > data.size() || data.size() - at < 2) throw Outside{};
        return (std::uint32_t{data[at]} << 8) | data[at + 1];
    }
    std::int32_t s16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
    std::uint32_t u32(std::size_t at) const { return (u16(at) << 16) | u16(at + 2); }
};

// Each search below halves a range of at most 65535 entries.

// The range record of a format-2 coverage or class table that holds
// `glyph`, found by binary search, reading each record whole as the font
// library does.
std::optional<std::size_t> range_record(const Reader& r, std::size_t table, int glyph) {
    std::int32_t l = 0, h = static_cast<std::int32_t>(r.u16(table + 2)) - 1;
    while (l <= h) {
        const std::int32_t m = (l + h) >> 1;
        const std::size_t record = table + 4 + 6 * static_cast<std::size_t>(m);
        const int start = static_cast<int>(r.u16(record));
        const int end = static_cast<int>(r.u16(record + 2));
        if (glyph < start) h = m - 1;
        else if (glyph > end) l = m + 1;
        else return record;
    }
    return std::nullopt;
}

std::int32_t coverage_index(const Reader& r, std::size_t table, int glyph) {
    const std::uint32_t format = r.u16(table);
    if (format == 1) {
        std::int32_t l = 0, h = static_cast<std::int32_t>(r.u16(table + 2)) - 1;
        while (l <= h) {
            const std::int32_t m = (l + h) >> 1;
            const int id = static_cast<int>(r.u16(table + 4 + 2 * static_cast<std::size_t>(m)));
            if (glyph < id) h = m - 1;
            else if (glyph > id) l = m + 1;
            else return m;
        }
        return -1;
    }
    if (format == 2) {
        const std::optional<std::size_t> record = range_record(r, table, glyph);
        return record ? static_cast<std::int32_t>(r.u16(*record + 4)) + glyph - static_cast<int>(r.u16(*record)) : -1;
    }
    return -1;
}

std::int32_t glyph_class(const Reader& r, std::size_t table, int glyph) {
    const std::uint32_t format = r.u16(table);
    if (format == 1) {
        const int start = static_cast<int>(r.u16(table + 2));
        const int count = static_cast<int>(r.u16(table + 4));
        if (glyph >= start && glyph < start + count) {
            return static_cast<std::int32_t>(r.u16(table + 6 + 2 * static_cast<std::size_t>(glyph - start)));
        }
        return 0;
    }
    if (format == 2) {
        const std::optional<std::size_t> record = range_record(r, table, glyph);
        return record ? static_cast<std::int32_t>(r.u16(*record + 4)) : 0;
    }
    return -1;
}

// One pair-adjustment subtable: the advance, or empty to go on with the
// next subtable, as the library goes on.
std::optional<int> pair_subtable(const Reader& r, std::size_t table, int first, int second) {
    const std::uint32_t format = r.u16(table);
    const std::int32_t coverage = coverage_index(r, table + r.u16(table + 2), first);
    if (coverage == -1) return std::nullopt;
    if (format != 1 && format != 2) return 0;
    // Only an x advance for the first glyph is read, as the library reads it.
    if (r.u16(table + 4) != 4 || r.u16(table + 6) != 0) return 0;
    if (format == 1) {
        if (coverage >= static_cast<std::int32_t>(r.u16(table + 8))) return 0;
        const std::size_t pairs = table + r.u16(table + 10 + 2 * static_cast<std::size_t>(coverage));
        std::int32_t l = 0, h = static_cast<std::int32_t>(r.u16(pairs)) - 1;
        while (l <= h) {
            const std::int32_t m = (l + h) >> 1;
            const std::size_t pair = pairs + 2 + 4 * static_cast<std::size_t>(m);
            const int glyph = static_cast<int>(r.u16(pair));
            if (second < glyph) h = m - 1;
            else if (second > glyph) l = m + 1;
            else return r.s16(pair + 2);
        }
        return std::nullopt;
    }
    const std::int32_t class1 = glyph_class(r, table + r.u16(table + 8), first);
    const std::int32_t class2 = glyph_class(r, table + r.u16(table + 10), second);
    const std::int32_t class1_count = static_cast<std::int32_t>(r.u16(table + 12));
    const std::int32_t class2_count = static_cast<std::int32_t>(r.u16(table + 14));
    if (class1 < 0 || class1 >= class1_count || class2 < 0 || class2 >= class2_count) return 0;
    return r.s16(table + 16 + 2 * static_cast<std::size_t>(class1 * class2_count + class2));
}

int gpos_advance(const Reader& r, std::size_t gpos, int first, int second) {
    if (r.u16(gpos) != 1 || r.u16(gpos + 2) != 0) return 0;
    const std::size_t lookups = gpos + r.u16(gpos + 8);
    const std::uint32_t lookup_count = r.u16(lookups);
    for (std::uint32_t i = 0; i < lookup_count; ++i) {
        const std::size_t lookup = lookups + r.u16(lookups + 2 + 2 * std::size_t{i});
        const std::uint32_t type = r.u16(lookup);
        const std::uint32_t subtables = r.u16(lookup + 4);
        if (type != 2) continue;
        for (std::uint32_t s = 0; s < subtables; ++s) {
            const std::size_t table = lookup + r.u16(lookup + 6 + 2 * std::size_t{s});
            if (const std::optional<int> advance = pair_subtable(r, table, first, second)) return *advance;
        }
    }
    return 0;
}

int kern_advance(const Reader& r, std::size_t kern, int first, int second) {
    if (r.u16(kern + 2) < 1 || r.u16(kern + 8) != 1) return 0;
    const std::uint32_t needle = static_cast<std::uint32_t>(first) << 16 | static_cast<std::uint32_t>(second);
    std::int32_t l = 0, h = static_cast<std::int32_t>(r.u16(kern + 10)) - 1;
    while (l <= h) {
        const std::int32_t m = (l + h) >> 1;
        const std::uint32_t straw = r.u32(kern + 18 + 6 * static_cast<std::size_t>(m));
        if (needle < straw) h = m - 1;
        else if (needle > straw) l = m + 1;
        else return r.s16(kern + 22 + 6 * static_cast<std::size_t>(m));
    }
    return 0;
}

}  // namespace

std::optional<int> kerning_advance(const std::vector<unsigned char>& data, const stbtt_fontinfo& info, int first,
                                   int second) {
    const Reader r{data};
    try {
        if (info.gpos) return gpos_advance(r, static_cast<std::size_t>(info.gpos), first, second);
        if (info.kern) return kern_advance(r, static_cast<std::size_t>(info.kern), first, second);
        return 0;
    } catch (const Outside&) {
        return std::nullopt;
    }
}
