#include "dxf/outline_path.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

// However flat the tolerance asks, a curve gets no more pieces than this.
constexpr int max_pieces = 1024;

bool is_separator(char ch) { return ch == ' ' || ch == ',' || ch == '\t' || ch == '\n' || ch == '\r'; }

class PathReader {
public:
    explicit PathReader(std::string_view d) : d_(d) {}

    // The next command letter, or 0 at the end; a number where a letter could
    // stand repeats the last command.
    char command(char last) {
        skip();
        if (at_ >= d_.size()) return 0;
        const char ch = d_[at_];
        if (std::isalpha(static_cast<unsigned char>(ch)) && ch != 'e' && ch != 'E') {
            ++at_;
            return ch;
        }
        if (last == 0 || last == 'Z' || last == 'z') fail();
        // After a move, further pairs are lines.
        if (last == 'M') return 'L';
        if (last == 'm') return 'l';
        return last;
    }

    double number() {
        skip();
        double value = 0;
        const auto result = std::from_chars(d_.data() + at_, d_.data() + d_.size(), value);
        if (at_ >= d_.size() || result.ec != std::errc() || !std::isfinite(value)) fail();
        at_ = static_cast<std::size_t>(result.ptr - d_.data());
        return value;
    }

private:
    void skip() {
        while (at_ < d_.size() && is_separator(d_[at_])) ++at_;
    }
    [[noreturn]] void fail() const {
        throw std::runtime_error("cannot read the path data \"" + std::string(d_.substr(0, 80)) + "\" at byte " +
                                 std::to_string(at_));
    }

    std::string_view d_;
    std::size_t at_ = 0;
};

struct Pt {
    double x = 0, y = 0;
};

Pt operator+(Pt p, Pt q) { return {p.x + q.x, p.y + q.y}; }
Pt operator-(Pt p, Pt q) { return {p.x - q.x, p.y - q.y}; }
Pt operator*(double s, Pt p) { return {s * p.x, s * p.y}; }
double length(Pt p) { return std::hypot(p.x, p.y); }

Pt pt(MmPoint p) { return {p.x, p.y}; }

class Flattener : public PathPieces {
public:
    explicit Flattener(double tolerance) : tolerance_(tolerance) {}

    void move(MmPoint p) override {
        end_subpath(false);
        current_.push_back(pt(p));
    }
    void line(MmPoint p) override { current_.push_back(pt(p)); }
    // Curves map as their control points do, so they are flattened in mm.
    void quad(MmPoint c, MmPoint p) override {
        const Pt p0 = current_.back(), p1 = pt(c), p2 = pt(p);
        // A chord of parameter length h strays at most h² / 8 · |B''| from the curve.
        const int n = pieces(2 * length(p0 - 2 * p1 + p2) / 8);
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n, u = 1 - t;
            current_.push_back((u * u) * p0 + (2 * u * t) * p1 + (t * t) * p2);
        }
    }
    void cubic(MmPoint c1, MmPoint c2, MmPoint p) override {
        const Pt p0 = current_.back(), p1 = pt(c1), p2 = pt(c2), p3 = pt(p);
        const double bend = std::max(length(p0 - 2 * p1 + p2), length(p1 - 2 * p2 + p3));
        const int n = pieces(6 * bend / 8);
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n, u = 1 - t;
            current_.push_back((u * u * u) * p0 + (3 * u * u * t) * p1 + (3 * u * t * t) * p2 + (t * t * t) * p3);
        }
    }
    void close() override { end_subpath(true); }

    std::vector<std::vector<MmPoint>> finish() {
        end_subpath(false);
        return std::move(outlines_);
    }

private:
    // Pieces for a curve whose chords stray `spread` / n² from it.
    int pieces(double spread) const {
        if (!(spread > tolerance_)) return 1;
        const double n = std::ceil(std::sqrt(spread / tolerance_));
        return n < max_pieces ? static_cast<int>(n) : max_pieces;
    }

    void end_subpath(bool closed) {
        if (current_.size() > 1) {
            const Pt first = current_.front(), last = current_.back();
            // Ending where it began closes an outline as well as "Z" does.
            if (!closed && length(last - first) > 0.0005) {
                throw std::runtime_error("an open outline cannot be cut; every outline must be closed");
            }
            std::vector<MmPoint> outline;
            outline.reserve(current_.size());
            for (const Pt& p : current_) outline.push_back({p.x, p.y});
            outlines_.push_back(std::move(outline));
        }
        // After "Z" the pen stands at the start of the subpath just closed.
        const bool keep_start = closed && !current_.empty();
        const Pt start = keep_start ? current_.front() : Pt{};
        current_.clear();
        if (keep_start) current_.push_back(start);
    }

    double tolerance_;
    std::vector<Pt> current_;
    std::vector<std::vector<MmPoint>> outlines_;
};

}  // namespace

void read_path(std::string_view d, const Affine& to_mm, PathPieces& out) {
    PathReader reader(d);
    const auto mm = [&to_mm](Pt p) { return MmPoint{to_mm.x_of(p.x, p.y), to_mm.y_of(p.x, p.y)}; };
    Pt pen, start, last_control;
    char last = 0;
    bool started = false;
    // Each round reads one command with its numbers, so the loop ends with the text.
    while (char cmd = reader.command(last)) {
        const bool relative = std::islower(static_cast<unsigned char>(cmd)) != 0;
        const Pt base = relative ? pen : Pt{};
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(cmd)));
        if (upper != 'M' && upper != 'Z' && !started) {
            throw std::runtime_error("path data must begin with a move");
        }
        const char previous = static_cast<char>(std::toupper(static_cast<unsigned char>(last)));
        auto read_point = [&] {
            const double x = reader.number();
            return base + Pt{x, reader.number()};
        };
        switch (upper) {
            case 'M':
                pen = start = read_point();
                out.move(mm(pen));
                started = true;
                break;
            case 'L':
                pen = read_point();
                out.line(mm(pen));
                break;
            case 'H':
                pen = {reader.number() + base.x, pen.y};
                out.line(mm(pen));
                break;
            case 'V':
                pen = {pen.x, reader.number() + base.y};
                out.line(mm(pen));
                break;
            case 'Q':
            case 'T': {
                const Pt c = upper == 'Q' ? read_point()
                             : (previous == 'Q' || previous == 'T') ? pen + (pen - last_control) : pen;
                pen = read_point();
                out.quad(mm(c), mm(pen));
                last_control = c;
                break;
            }
            case 'C':
            case 'S': {
                const Pt c1 = upper == 'C' ? read_point()
                              : (previous == 'C' || previous == 'S') ? pen + (pen - last_control) : pen;
                const Pt c2 = read_point();
                pen = read_point();
                out.cubic(mm(c1), mm(c2), mm(pen));
                last_control = c2;
                break;
            }
            case 'Z':
                out.close();
                pen = start;
                break;
            case 'A':
                throw std::runtime_error("cannot draw arcs of path data");
            default:
                throw std::runtime_error(std::string("unknown path command '") + cmd + "'");
        }
        last = cmd;
    }
}

std::vector<std::vector<MmPoint>> closed_outlines(std::string_view d, const Affine& to_mm, double tolerance_mm) {
    Flattener out(tolerance_mm);
    read_path(d, to_mm, out);
    return out.finish();
}
