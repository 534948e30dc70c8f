#include "vector/builtin_vectorizer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "panel/errors.hpp"
#include "vector/font_lookup.hpp"
#include "vector/glyphs.hpp"
#include "vector/label_layout.hpp"
#include "panel/output_file.hpp"
#include "vector/path_data.hpp"
#include "vector/svg_markup.hpp"
#include "panel/vectorize.hpp"

namespace fs = std::filesystem;

namespace {

using Kind = MarkupPiece::Kind;

// A full ellipse as four quarter arcs, clockwise from its right end.
void ellipse_path(PathData& path, double cx, double cy, double rx, double ry) {
    path.move_to(cx + rx, cy);
    path.arc_to(rx, ry, false, true, cx, cy + ry);
    path.arc_to(rx, ry, false, true, cx - rx, cy);
    path.arc_to(rx, ry, false, true, cx, cy - ry);
    path.arc_to(rx, ry, false, true, cx + rx, cy);
    path.close();
}

// The outline of a basic shape, and the attributes that held its geometry.
std::optional<std::string> shape_path(const MarkupPiece& piece, std::vector<std::string_view>& geometry) {
    PathData path;
    const std::string& name = piece.name;
    if (name == "rect") {
        if (find_attribute(piece, "rx") || find_attribute(piece, "ry")) {
            throw std::runtime_error("cannot convert <rect> with rounded corners");
        }
        geometry = {"x", "y", "width", "height"};
        const double x = number_attribute(piece, "x");
        const double y = number_attribute(piece, "y");
        const double right = x + number_attribute(piece, "width");
        const double bottom = y + number_attribute(piece, "height");
        path.move_to(x, y);
        path.line_to(right, y);
        path.line_to(right, bottom);
        path.line_to(x, bottom);
        path.close();
    } else if (name == "circle") {
        geometry = {"cx", "cy", "r"};
        const double r = number_attribute(piece, "r");
        ellipse_path(path, number_attribute(piece, "cx"), number_attribute(piece, "cy"), r, r);
    } else if (name == "ellipse") {
        geometry = {"cx", "cy", "rx", "ry"};
        ellipse_path(path, number_attribute(piece, "cx"), number_attribute(piece, "cy"), number_attribute(piece, "rx"),
                     number_attribute(piece, "ry"));
    } else if (name == "line") {
        geometry = {"x1", "y1", "x2", "y2"};
        path.move_to(number_attribute(piece, "x1"), number_attribute(piece, "y1"));
        path.line_to(number_attribute(piece, "x2"), number_attribute(piece, "y2"));
    } else {
        return std::nullopt;
    }
    return path.text();
}

bool listed(const std::vector<std::string_view>& names, std::string_view name) {
    for (std::string_view listed_name : names) {
        if (listed_name == name) return true;
    }
    return false;
}

// Opens <name> with the piece's attributes except those listed.
void open_element(std::string& out, std::string_view name, const MarkupPiece& piece,
                  const std::vector<std::string_view>& left_out) {
    out += '<';
    out += name;
    for (const MarkupAttribute& attribute : piece.attributes) {
        if (listed(left_out, attribute.name)) continue;
        out += ' ';
        out += attribute.name;
        out += "=\"";
        out += attribute.raw_value;
        out += '"';
    }
}

void append_escaped(std::string& out, std::string_view text) {
    for (char ch : text) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += ch;
        }
    }
}

class Converter {
public:
    Converter(std::string_view svg, const FontSource& font, std::uintmax_t limit)
        : pieces_(split_markup(svg)), font_(font), limit_(limit) {
        out_.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(svg.size() * 2, limit)));
    }

    std::string run() {
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            i = convert(i);
            refuse_past_limit(0);
        }
        return std::move(out_);
    }

private:
    void refuse_past_limit(std::uintmax_t more) const {
        if (more > limit_ || out_.size() > limit_ - more) {
            throw VectorTooLarge("the vector form grows past " + std::to_string(limit_) + " bytes");
        }
    }

    // Converts the piece at i; returns the last piece it used.
    std::size_t convert(std::size_t i) {
        const MarkupPiece& piece = pieces_[i];
        if (piece.kind == Kind::Start && piece.name == "text") {
            return convert_label(i);
        }
        if (piece.kind == Kind::Start && piece.name == "style" && i + 1 < pieces_.size() &&
            pieces_[i + 1].kind == Kind::Text) {
            font_size_ = style_font_size(pieces_[i + 1].raw);
        }
        std::vector<std::string_view> geometry;
        if (piece.kind == Kind::Start) {
            if (std::optional<std::string> d = shape_path(piece, geometry)) {
                open_element(out_, "path", piece, geometry);
                out_ += " d=\"" + *d + '"';
                out_ += piece.self_closing ? "/>" : ">";
                if (!piece.self_closing) open_shapes_.push_back(true);
                return i;
            }
            if (!piece.self_closing) open_shapes_.push_back(false);
        }
        if (piece.kind == Kind::End && !open_shapes_.empty()) {
            const bool shape = open_shapes_.back();
            open_shapes_.pop_back();
            if (shape) {
                out_ += "</path>";
                return i;
            }
        }
        out_ += piece.raw;
        return i;
    }

    std::size_t convert_label(std::size_t i) {
        const MarkupPiece& piece = pieces_[i];
        std::size_t last = i;
        const std::string label = read_label(pieces_, i, last);
        open_element(out_, "g", piece, {"x", "y", "text-anchor", "dominant-baseline"});
        out_ += " aria-label=\"";
        append_escaped(out_, label);
        out_ += "\">";
        if (!label.empty() && font_size_ > 0) {
            const TextPlacement at = label_placement(piece, font_size_);
            refuse_past_limit(font_().outline_bytes_estimate(label, at));
            for (const std::string& d : font_().outline(label, at)) {
                out_ += "<path d=\"" + d + "\"/>";
            }
        }
        out_ += "</g>";
        return last;
    }

    std::vector<MarkupPiece> pieces_;
    const FontSource& font_;
    std::uintmax_t limit_;
    std::string out_;
    // For each open element: whether it was a shape now written as <path>.
    std::vector<bool> open_shapes_;
    double font_size_ = 16;
};

std::string read_plain_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && !in) {
        throw std::runtime_error("cannot read " + path.string() + " back (the plain file is kept)");
    }
    return text;
}

// Writes the vector form of the plain file, refusing one that would pass the
// limit for one file or the run's write budget before it is built.
void convert_to(const fs::path& vector_path, const fs::path& svg_path, const FontSource& font,
                RunContext& context) {
    const bool budget_first = context.write_budget < max_document_bytes;
    std::string vector;
    try {
        vector = vectorize_document(read_plain_file(svg_path), font, budget_first ? context.write_budget
                                                                                  : max_document_bytes);
    } catch (const VectorTooLarge&) {
        if (budget_first) {
            throw std::runtime_error("writing " + vector_path.string() + " would take the run " +
                                     past_write_budget() + " (the plain file is kept)");
        }
        throw std::runtime_error("the vector file " + vector_path.string() + " would grow past the limit of " +
                                 std::to_string(max_document_bytes >> 20) +
                                 " MiB for one SVG file (the plain file is kept)");
    }
    // The plain file goes only for a vector file that holds a drawing.
    if (vector.empty()) {
        throw std::runtime_error(svg_path.string() + " is empty; there is nothing to convert (the plain file is kept)");
    }
    // The vector file counts against the run's write budget like any other.
    // Counted as it lands on disk, with the CR of Windows' line ends.
    if (!take_from_write_budget(context, written_size(vector))) {
        throw std::runtime_error("writing " + vector_path.string() + " would take the run " + past_write_budget() +
                                 " (the plain file is kept)");
    }
    write_output_file(vector_path, vector);
}

}  // namespace

std::string vectorize_document(std::string_view svg, const FontSource& font) {
    return Converter(svg, font, UINTMAX_MAX).run();
}

std::string vectorize_document(std::string_view svg, const FontSource& font, std::uintmax_t limit) {
    return Converter(svg, font, limit).run();
}

void BuiltinConverter::convert(const std::string& section, const fs::path& svg_path, const Arguments& args,
                               RunContext& context) {
    std::optional<LabelFont> font;
    const FontSource font_source = [&]() -> const LabelFont& {
        if (!font) {
            const fs::path file = args.font_file.empty() ? find_label_font() : utf8_path(args.font_file);
            font.emplace(file);
        }
        return *font;
    };
    const fs::path vector_path = vector_path_for(svg_path);
    try {
        convert_to(vector_path, svg_path, font_source, context);
    } catch (...) {
        // A vector file left from an earlier run would pass for this run's
        // result. It stays while the new one is made (an interrupted run
        // keeps it), and is replaced by rename when that is complete.
        std::error_code ignored;
        fs::remove(vector_path, ignored);
        throw;
    }
    if (!args.keep_files) {
        fs::remove(svg_path);
    }
    context.out << "Vectorization success for " << section << "." << std::endl;
}
