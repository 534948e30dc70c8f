#include "vector/glyphs.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <ios>
#include <iterator>
#include <optional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>

#include <stb_truetype.h>

#include "vector/glyph_check.hpp"
#include "vector/kerning.hpp"
#include "vector/ligatures.hpp"
#include "vector/path_data.hpp"

namespace fs = std::filesystem;

struct LabelFont::Face {
    std::string name;
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
    // The glyph substitution table, for ligatures; empty when the font has none.
    std::size_t gsub_offset = 0;
    std::size_t gsub_size = 0;
};

namespace {

// Font files larger than this are refused rather than read into memory.
constexpr std::uintmax_t max_font_bytes = std::uintmax_t{64} << 20;

std::uint32_t read_u32(const std::vector<unsigned char>& data, std::size_t at) {
    return (std::uint32_t{data[at]} << 24) | (std::uint32_t{data[at + 1]} << 16) | (std::uint32_t{data[at + 2]} << 8) |
           std::uint32_t{data[at + 3]};
}

std::uint16_t read_u16(const std::vector<unsigned char>& data, std::size_t at) {
    return static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]);
}

// The font library trusts the offsets in the file; a cut-off or damaged file
// must be refused before it reads past the end.
bool tables_inside(const std::vector<unsigned char>& data, std::size_t start) {
    if (start + 12 > data.size()) return false;
    const std::size_t tables = read_u16(data, start + 4);
    if (start + 12 + 16 * tables > data.size()) return false;
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = start + 12 + 16 * i;
        const std::uint64_t offset = read_u32(data, record + 8);
        const std::uint64_t length = read_u32(data, record + 12);
        if (offset + length > data.size()) return false;
    }
    return true;
}

// Where the table with the given tag lies in the font file (offset, size);
// size 0 when the font has no such table. The directory is known to be inside.
std::pair<std::size_t, std::size_t> find_table(const std::vector<unsigned char>& data, std::size_t start,
                                               std::string_view tag) {
    const std::size_t tables = read_u16(data, start + 4);
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = start + 12 + 16 * i;
        if (std::string_view(reinterpret_cast<const char*>(data.data() + record), 4) == tag) {
            return {read_u32(data, record + 8), read_u32(data, record + 12)};
        }
    }
    return {0, 0};
}

std::vector<unsigned char> read_font_file(const fs::path& file) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        throw FontError("cannot read the font file " + file.string() + ": " + ec.message());
    }
    if (size > max_font_bytes) {
        throw FontError("the font file " + file.string() + " is larger than any font (" + std::to_string(size) +
                        " bytes)");
    }
    std::ifstream in(file, std::ios::binary);
    try {
        std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && !in) {
            throw FontError("cannot read the font file " + file.string());
        }
        return data;
    } catch (const std::ios_base::failure& e) {
        // The stream library reports a failed read by throwing, without the file's name.
        throw FontError("cannot read the font file " + file.string() + ": " + e.code().message());
    }
}

// Whether the horizontal metrics the font library reads for `glyph` lie inside
// the file; a damaged character map can name glyphs the font does not have.
bool metrics_inside(const std::vector<unsigned char>& data, const stbtt_fontinfo& info, int glyph) {
    if (glyph < 0 || glyph >= info.numGlyphs || static_cast<std::size_t>(info.hhea) + 36 > data.size()) return false;
    const std::size_t long_metrics = read_u16(data, static_cast<std::size_t>(info.hhea) + 34);
    const std::size_t hmtx = static_cast<std::size_t>(info.hmtx);
    const std::size_t g = static_cast<std::size_t>(glyph);
    if (long_metrics == 0) return false;
    const std::size_t end = g < long_metrics ? hmtx + 4 * g + 4 : hmtx + 4 * long_metrics + 2 * (g - long_metrics) + 2;
    return end <= data.size();
}

// The font library reads these tables' fixed fields and the character map's
// encoding records without bounds checks when it opens the font; the name of
// the first table cut too short for them, or "".
std::string short_table(const std::vector<unsigned char>& data, std::size_t start) {
    const auto [cmap, cmap_size] = find_table(data, start, "cmap");
    if (cmap != 0 && (cmap_size < 4 || 4 + 8 * std::size_t{read_u16(data, cmap + 2)} > cmap_size)) return "cmap";
    struct Minimum {
        const char* tag;
        std::size_t bytes;
    };
    for (const Minimum& table : {Minimum{"head", 54}, Minimum{"hhea", 36}, Minimum{"maxp", 6}}) {
        const auto [at, size] = find_table(data, start, table.tag);
        if (at != 0 && size < table.bytes) return table.tag;
    }
    return "";
}

// The font library's CFF reader trusts the offsets and subroutine numbers of
// the charstrings, and only the TrueType outlines (glyf/loca) are checked
// here; an OpenType font with CFF outlines is refused before the library
// reads any of it, rather than drawn from unchecked data.
void refuse_cff_outlines(const std::vector<unsigned char>& data, std::size_t start, const fs::path& file) {
    const bool cff = find_table(data, start, "CFF ").second > 0 || find_table(data, start, "CFF2").second > 0;
    // With both kinds of outline the library reads glyf, which is checked.
    if (cff && find_table(data, start, "glyf").second == 0) {
        throw FontError("the font file " + file.string() +
                        " cannot be used: CFF outlines are not supported (use a font with TrueType outlines)");
    }
}

// The next code point of UTF-8 text; broken sequences give U+FFFD.
char32_t next_code_point(const std::string& text, std::size_t& at) {
    const unsigned char lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4) return U'\uFFFD';
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) return U'\uFFFD';
        code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    return code;
}

// How far the baseline lies below the centre between ascent and descent, in
// em: the typographic ascent and descent, scaled to add up to one em.
double central_drop_em(const stbtt_fontinfo& info) {
    int ascent = 0, descent = 0, gap = 0;
    if (!stbtt_GetFontVMetricsOS2(&info, &ascent, &descent, &gap)) {
        stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    }
    const double up = std::abs(ascent);
    const double down = std::abs(descent);
    return up + down > 0 ? 0.5 - down / (up + down) : 0.0;
}

// The path data of one glyph whose origin is at (x, baseline).
std::string glyph_path(const stbtt_fontinfo& info, int glyph, double x, double baseline, double scale) {
    stbtt_vertex* vertices = nullptr;
    const int count = stbtt_GetGlyphShape(&info, glyph, &vertices);
    PathData path;
    auto px = [&](double units) { return x + units * scale; };
    auto py = [&](double units) { return baseline - units * scale; };
    for (int i = 0; i < count; ++i) {
        const stbtt_vertex& v = vertices[i];
        switch (v.type) {
            case STBTT_vmove:
                if (!path.empty()) path.close();
                path.move_to(px(v.x), py(v.y));
                break;
            case STBTT_vline:
                path.line_to(px(v.x), py(v.y));
                break;
            case STBTT_vcurve:
                path.quad_to(px(v.cx), py(v.cy), px(v.x), py(v.y));
                break;
            case STBTT_vcubic:
                path.cubic_to(px(v.cx), py(v.cy), px(v.cx1), py(v.cy1), px(v.x), py(v.y));
                break;
            default:
                break;
        }
    }
    if (!path.empty()) path.close();
    stbtt_FreeShape(&info, vertices);
    return path.text();
}

}  // namespace

LabelFont::LabelFont(const fs::path& file) : face_(std::make_unique<Face>()) {
    face_->name = file.string();
    face_->data = read_font_file(file);
    const std::vector<unsigned char>& data = face_->data;
    const int start = data.size() >= 16 ? stbtt_GetFontOffsetForIndex(data.data(), 0) : -1;
    if (start < 0 || !tables_inside(data, static_cast<std::size_t>(start))) {
        throw FontError("the font file " + file.string() + " is not a TrueType or OpenType font");
    }
    refuse_cff_outlines(data, static_cast<std::size_t>(start), file);
    if (const std::string table = short_table(data, static_cast<std::size_t>(start)); !table.empty()) {
        throw FontError("the font file " + file.string() + " is damaged: its table " + table + " is cut short");
    }
    if (!stbtt_InitFont(&face_->info, data.data(), start)) {
        throw FontError("the font file " + file.string() + " is not a TrueType or OpenType font");
    }
    if (!character_map_is_sound(data, face_->info)) {
        throw FontError("the font file " + file.string() + " is damaged: its character map reaches outside the "
                                                            "file or has an unknown format");
    }
    std::tie(face_->gsub_offset, face_->gsub_size) = find_table(data, static_cast<std::size_t>(start), "GSUB");
}

LabelFont::~LabelFont() = default;

void LabelFont::check_glyph(int glyph) const {
    if (!metrics_inside(face_->data, face_->info, glyph) || !glyph_is_sound(face_->data, face_->info, glyph)) {
        throw FontError("the font file " + face_->name + " is damaged: glyph " + std::to_string(glyph) +
                        " reaches outside the file");
    }
}

std::uintmax_t LabelFont::outline_bytes_estimate(const std::string& text, const TextPlacement& at) const {
    const stbtt_fontinfo& info = face_->info;
    // The numbers in each glyph's path met so far; a label repeats few
    // glyphs many times.
    std::unordered_map<int, int> numbers_of;
    std::uintmax_t glyphs = 0;
    int most_numbers = 0;
    int most_commands = 0;
    for (std::size_t i = 0; i < text.size();) {
        const int glyph = stbtt_FindGlyphIndex(&info, static_cast<int>(next_code_point(text, i)));
        ++glyphs;
        if (numbers_of.contains(glyph)) continue;
        check_glyph(glyph);
        stbtt_vertex* vertices = nullptr;
        const int count = stbtt_GetGlyphShape(&info, glyph, &vertices);
        int numbers = 0;
        for (int v = 0; v < count; ++v) {
            numbers += vertices[v].type == STBTT_vcubic ? 6 : vertices[v].type == STBTT_vcurve ? 4 : 2;
        }
        stbtt_FreeShape(&info, vertices);
        numbers_of.emplace(glyph, numbers);
        most_numbers = std::max(most_numbers, numbers);
        // Each point's command letter, and a close for each move.
        most_commands = std::max(most_commands, 2 * std::max(count, 0));
    }
    const double units_per_em = read_u16(face_->data, static_cast<std::size_t>(info.head) + 18);
    if (units_per_em == 0 || glyphs == 0) return 0;
    // The widest number in the paths: the far end of the line, in pixels,
    // with sign, point, three decimals and the space before it. Each command
    // is a letter and a space.
    const double advance_max = read_u16(face_->data, static_cast<std::size_t>(info.hhea) + 10);
    const double reach = std::abs(at.x) + std::abs(at.y) +
                         (static_cast<double>(glyphs) * advance_max + 2 * units_per_em) * at.size_px / units_per_em;
    const double number_bytes = std::floor(std::log10(std::max(reach, 1.0))) + 7;
    const double per_glyph = 2.0 * most_commands + most_numbers * number_bytes + 16;
    const double bytes = static_cast<double>(glyphs) * per_glyph;
    return bytes >= 1.8e19 ? UINTMAX_MAX : static_cast<std::uintmax_t>(bytes);
}

std::vector<std::string> LabelFont::outline(const std::string& text, const TextPlacement& at) const {
    const stbtt_fontinfo& info = face_->info;
    std::vector<int> glyphs;
    for (std::size_t i = 0; i < text.size();) {
        glyphs.push_back(stbtt_FindGlyphIndex(&info, static_cast<int>(next_code_point(text, i))));
    }
    if (face_->gsub_size > 0) {
        form_ligatures(face_->data.data() + face_->gsub_offset, face_->gsub_size, glyphs);
    }
    for (int glyph : glyphs) {
        check_glyph(glyph);
    }
    // Pen positions in font units: each glyph's advance, adjusted by the kerning
    // of the pair it ends.
    std::vector<long long> pen(glyphs.size() + 1, 0);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        int advance = 0, bearing = 0;
        stbtt_GetGlyphHMetrics(&info, glyphs[i], &advance, &bearing);
        const std::optional<int> kern =
            i + 1 < glyphs.size() ? kerning_advance(face_->data, info, glyphs[i], glyphs[i + 1]) : 0;
        if (!kern) {
            throw FontError("the font file " + face_->name + " is damaged: its kerning reaches outside the file");
        }
        pen[i + 1] = pen[i] + advance + *kern;
    }
    const double units_per_em = read_u16(face_->data, static_cast<std::size_t>(info.head) + 18);
    if (units_per_em == 0) return {};
    const double scale = at.size_px / units_per_em;
    const double width = static_cast<double>(pen.back()) * scale;
    const double left = at.anchor == TextAnchor::Middle ? at.x - width / 2
                        : at.anchor == TextAnchor::End  ? at.x - width
                                                        : at.x;
    const double baseline = at.central ? at.y + central_drop_em(info) * at.size_px : at.y;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        std::string d = glyph_path(info, glyphs[i], left + static_cast<double>(pen[i]) * scale, baseline, scale);
        if (!d.empty()) paths.push_back(std::move(d));
    }
    return paths;
}
