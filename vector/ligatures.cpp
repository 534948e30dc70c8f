#include "vector/ligatures.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

// Thrown when an offset points outside the table; ends the substitution.
struct OutsideTable {};

// Big-endian reads that never leave the table.
class Table {
public:
    Table(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    std::uint16_t u16(std::size_t at) const {
        if (at + 2 > size_) throw OutsideTable{};
        return static_cast<std::uint16_t>((data_[at] << 8) | data_[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const { return (std::uint32_t{u16(at)} << 16) | u16(at + 2); }
    std::string_view tag(std::size_t at) const {
        if (at + 4 > size_) throw OutsideTable{};
        return {reinterpret_cast<const char*>(data_ + at), 4};
    }

private:
    const unsigned char* data_;
    std::size_t size_;
};

// The glyph's index in a coverage table, or -1 when it is not covered.
long coverage_index(const Table& t, std::size_t coverage, int glyph) {
    const std::uint16_t format = t.u16(coverage);
    const std::size_t count = t.u16(coverage + 2);
    for (std::size_t i = 0; i < count; ++i) {
        if (format == 1 && t.u16(coverage + 4 + 2 * i) == glyph) return static_cast<long>(i);
        if (format == 2) {
            const std::size_t range = coverage + 4 + 6 * i;
            const int first = t.u16(range);
            if (first <= glyph && glyph <= t.u16(range + 2)) return t.u16(range + 4) + (glyph - first);
        }
    }
    return -1;
}

// The offset of the default language system of the Latin script, or of the
// default script; 0 when the font has neither.
std::size_t language_system(const Table& t) {
    const std::size_t scripts = t.u16(4);
    const std::size_t count = t.u16(scripts);
    std::size_t found = 0;
    for (std::string_view wanted : {"latn", "DFLT"}) {
        for (std::size_t i = 0; i < count && found == 0; ++i) {
            const std::size_t record = scripts + 2 + 6 * i;
            if (t.tag(record) != wanted) continue;
            const std::size_t script = scripts + t.u16(record + 4);
            const std::size_t offset = t.u16(script);
            if (offset != 0) found = script + offset;
        }
    }
    return found;
}

std::vector<std::uint16_t> ligature_lookups(const Table& t) {
    std::vector<std::uint16_t> lookups;
    const std::size_t system = language_system(t);
    if (system == 0) return lookups;
    const std::size_t features = t.u16(6);
    const std::size_t count = t.u16(system + 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = features + 2 + 6 * std::size_t{t.u16(system + 6 + 2 * i)};
        const std::string_view tag = t.tag(record);
        if (tag != "liga" && tag != "clig" && tag != "rlig" && tag != "ccmp") continue;
        const std::size_t feature = features + t.u16(record + 4);
        const std::size_t indices = t.u16(feature + 2);
        for (std::size_t k = 0; k < indices; ++k) lookups.push_back(t.u16(feature + 4 + 2 * k));
    }
    std::sort(lookups.begin(), lookups.end());
    lookups.erase(std::unique(lookups.begin(), lookups.end()), lookups.end());
    return lookups;
}

// Tries the ligatures of one substitution table at glyphs[at]; true when one
// replaced the glyphs there.
bool substitute(const Table& t, std::size_t table, std::vector<int>& glyphs, std::size_t at) {
    if (t.u16(table) != 1) return false;
    const long index = coverage_index(t, table + t.u16(table + 2), glyphs[at]);
    if (index < 0 || index >= t.u16(table + 4)) return false;
    const std::size_t set = table + t.u16(table + 6 + 2 * static_cast<std::size_t>(index));
    const std::size_t ligatures = t.u16(set);
    for (std::size_t l = 0; l < ligatures; ++l) {
        const std::size_t ligature = set + t.u16(set + 2 + 2 * l);
        const std::size_t components = t.u16(ligature + 2);
        if (components == 0 || at + components > glyphs.size()) continue;
        bool match = true;
        for (std::size_t c = 1; c < components && match; ++c) {
            match = t.u16(ligature + 4 + 2 * (c - 1)) == glyphs[at + c];
        }
        if (!match) continue;
        glyphs[at] = t.u16(ligature);
        glyphs.erase(glyphs.begin() + static_cast<std::ptrdiff_t>(at + 1),
                     glyphs.begin() + static_cast<std::ptrdiff_t>(at + components));
        return true;
    }
    return false;
}

// The ligature substitution tables of one lookup, extension tables resolved.
std::vector<std::size_t> ligature_tables(const Table& t, std::uint16_t lookup_index) {
    std::vector<std::size_t> tables;
    const std::size_t list = t.u16(8);
    if (lookup_index >= t.u16(list)) return tables;
    const std::size_t lookup = list + t.u16(list + 2 + 2 * std::size_t{lookup_index});
    const std::uint16_t type = t.u16(lookup);
    const std::size_t count = t.u16(lookup + 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t table = lookup + t.u16(lookup + 6 + 2 * i);
        if (type == 4) tables.push_back(table);
        if (type == 7 && t.u16(table) == 1 && t.u16(table + 2) == 4) tables.push_back(table + t.u32(table + 4));
    }
    return tables;
}

}  // namespace

void form_ligatures(const unsigned char* gsub, std::size_t gsub_size, std::vector<int>& glyphs) {
    if (gsub == nullptr) return;
    const Table t(gsub, gsub_size);
    std::vector<int> result = glyphs;
    try {
        if (t.u16(0) != 1) return;
        for (std::uint16_t lookup : ligature_lookups(t)) {
            const std::vector<std::size_t> tables = ligature_tables(t, lookup);
            for (std::size_t at = 0; at < result.size(); ++at) {
                for (std::size_t table : tables) {
                    if (substitute(t, table, result, at)) break;
                }
            }
        }
    } catch (const OutsideTable&) {
        return;
    }
    glyphs = std::move(result);
}
