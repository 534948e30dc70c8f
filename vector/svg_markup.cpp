#include "vector/svg_markup.hpp"

#include <charconv>
#include <stdexcept>

namespace {

bool is_space(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

bool is_name_char(char ch) { return !is_space(ch) && ch != '=' && ch != '>' && ch != '/' && ch != '<'; }

[[noreturn]] void fail(std::string_view what, std::size_t at) {
    throw std::runtime_error("cannot read the SVG text at byte " + std::to_string(at) + ": " + std::string(what));
}

// Where the construct opened at `at` ends (one past its closing text).
std::size_t end_of(std::string_view svg, std::size_t at, std::string_view closing) {
    const std::size_t end = svg.find(closing, at);
    if (end == std::string_view::npos) fail("unterminated markup", at);
    return end + closing.size();
}

std::size_t skip_spaces(std::string_view svg, std::size_t at) {
    while (at < svg.size() && is_space(svg[at])) ++at;
    return at;
}

std::size_t read_name(std::string_view svg, std::size_t at, std::string& name) {
    const std::size_t start = at;
    while (at < svg.size() && is_name_char(svg[at])) ++at;
    if (at == start) fail("a tag or attribute without a name", start);
    name.assign(svg.substr(start, at - start));
    return at;
}

// Reads a start or end tag at `at` (its '<'); returns where it ends.
std::size_t read_tag(std::string_view svg, std::size_t at, MarkupPiece& piece) {
    std::size_t pos = at + 1;
    const bool closing = pos < svg.size() && svg[pos] == '/';
    if (closing) ++pos;
    piece.kind = closing ? MarkupPiece::Kind::End : MarkupPiece::Kind::Start;
    pos = read_name(svg, pos, piece.name);
    while (true) {
        pos = skip_spaces(svg, pos);
        if (pos >= svg.size()) fail("unterminated tag", at);
        if (svg[pos] == '>') return pos + 1;
        if (!closing && svg.compare(pos, 2, "/>") == 0) {
            piece.self_closing = true;
            return pos + 2;
        }
        if (closing) fail("text inside an end tag", pos);
        MarkupAttribute attribute;
        pos = skip_spaces(svg, read_name(svg, pos, attribute.name));
        if (pos >= svg.size() || svg[pos] != '=') fail("an attribute without a value", pos);
        pos = skip_spaces(svg, pos + 1);
        if (pos >= svg.size() || (svg[pos] != '"' && svg[pos] != '\'')) fail("an unquoted attribute value", pos);
        const std::size_t value_end = svg.find(svg[pos], pos + 1);
        if (value_end == std::string_view::npos) fail("unterminated attribute value", pos);
        attribute.raw_value = svg.substr(pos + 1, value_end - pos - 1);
        piece.attributes.push_back(std::move(attribute));
        pos = value_end + 1;
    }
}

void append_utf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void append_reference(std::string& out, std::string_view name) {
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        unsigned long code = 0;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
            code == 0 || code > 0x10FFFF) {
            throw std::runtime_error("unreadable character reference &" + std::string(name) + ";");
        }
        append_utf8(out, code);
    } else {
        throw std::runtime_error("unknown character reference &" + std::string(name) + ";");
    }
}

}  // namespace

std::vector<MarkupPiece> split_markup(std::string_view svg) {
    std::vector<MarkupPiece> pieces;
    std::size_t at = 0;
    while (at < svg.size()) {
        MarkupPiece piece;
        std::size_t end;
        if (svg[at] != '<') {
            end = svg.find('<', at);
            if (end == std::string_view::npos) end = svg.size();
        } else if (svg.compare(at, 4, "<!--") == 0) {
            piece.kind = MarkupPiece::Kind::Other;
            end = end_of(svg, at + 4, "-->");
        } else if (svg.compare(at, 9, "<![CDATA[") == 0) {
            fail("CDATA sections are not supported", at);
        } else if (svg.compare(at, 2, "<?") == 0 || svg.compare(at, 2, "<!") == 0) {
            piece.kind = MarkupPiece::Kind::Other;
            end = end_of(svg, at + 2, ">");
        } else {
            end = read_tag(svg, at, piece);
        }
        piece.raw = svg.substr(at, end - at);
        pieces.push_back(std::move(piece));
        at = end;
    }
    return pieces;
}

std::string decode_references(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t amp = text.find('&', at);
        out.append(text.substr(at, amp == std::string_view::npos ? std::string_view::npos : amp - at));
        if (amp == std::string_view::npos) break;
        const std::size_t semicolon = text.find(';', amp);
        if (semicolon == std::string_view::npos) {
            throw std::runtime_error("unterminated character reference in \"" + std::string(text) + "\"");
        }
        append_reference(out, text.substr(amp + 1, semicolon - amp - 1));
        at = semicolon + 1;
    }
    return out;
}

const MarkupAttribute* find_attribute(const MarkupPiece& piece, std::string_view name) {
    for (const MarkupAttribute& attribute : piece.attributes) {
        if (attribute.name == name) return &attribute;
    }
    return nullptr;
}
