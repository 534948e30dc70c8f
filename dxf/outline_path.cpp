#include "dxf/outline_path.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>
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

// The points of an SVG arc from `from` to `to` (in the path's own units),
// flattened about its centre there so that, once mapped by `to_mm`, no chord
// strays more than `tolerance` mm from the arc. The last point is `to`.
std::vector<Pt> arc_points(Pt from, double rx, double ry, double x_axis_degrees, bool large, bool sweep, Pt to,
                           const Affine& to_mm, double tolerance) {
    if (rx == 0 || ry == 0) return {to};
    const double phi = x_axis_degrees * std::numbers::pi / 180.0;
    const double cos_p = std::cos(phi), sin_p = std::sin(phi);
    // The endpoint form to the centre form (SVG 1.1, appendix F.6.5).
    const Pt half{(from.x - to.x) / 2, (from.y - to.y) / 2};
    const Pt p{cos_p * half.x + sin_p * half.y, -sin_p * half.x + cos_p * half.y};
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    const double grow = p.x * p.x / (rx * rx) + p.y * p.y / (ry * ry);
    if (grow > 1) {
        rx *= std::sqrt(grow);
        ry *= std::sqrt(grow);
    }
    const double num = rx * rx * ry * ry - rx * rx * p.y * p.y - ry * ry * p.x * p.x;
    const double den = rx * rx * p.y * p.y + ry * ry * p.x * p.x;
    double k = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
    if (large == sweep) k = -k;
    const Pt c_prime{k * rx * p.y / ry, -k * ry * p.x / rx};
    const Pt centre{cos_p * c_prime.x - sin_p * c_prime.y + (from.x + to.x) / 2,
                    sin_p * c_prime.x + cos_p * c_prime.y + (from.y + to.y) / 2};
    const auto angle = [](double ux, double uy) { return std::atan2(uy, ux); };
    const double start = angle((p.x - c_prime.x) / rx, (p.y - c_prime.y) / ry);
    double delta = angle((-p.x - c_prime.x) / rx, (-p.y - c_prime.y) / ry) - start;
    if (sweep && delta < 0) delta += 2 * std::numbers::pi;
    if (!sweep && delta > 0) delta -= 2 * std::numbers::pi;
    // A chord of angle a on radius r strays r (1 - cos(a / 2)) from it.
    const double r_mm = std::max(rx, ry) * std::sqrt(std::fabs(to_mm.a * to_mm.d - to_mm.b * to_mm.c));
    const double spread = r_mm * delta * delta / 8;
    int n = 1;
    if (spread > tolerance) {
        const double pieces = std::ceil(std::sqrt(spread / tolerance));
        n = pieces < max_pieces ? static_cast<int>(pieces) : max_pieces;
    }
    std::vector<Pt> points;
    points.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        const double t = start + delta * i / n;
        const Pt q{rx * std::cos(t), ry * std::sin(t)};
        points.push_back(i == n ? to : Pt{cos_p * q.x - sin_p * q.y + centre.x, sin_p * q.x + cos_p * q.y + centre.y});
    }
    return points;
}


class Flattener : public PathPieces {
public:
    Flattener(double tolerance, bool open_allowed) : tolerance_(tolerance), open_allowed_(open_allowed) {}

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

    std::vector<PathLine> finish() {
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
            const bool open = !closed && length(last - first) > 0.0005;
            if (open && !open_allowed_) {
                throw std::runtime_error("an open outline cannot be cut; every outline must be closed");
            }
            PathLine outline;
            outline.closed = !open;
            outline.points.reserve(current_.size());
            for (const Pt& p : current_) outline.points.push_back({p.x, p.y});
            outlines_.push_back(std::move(outline));
        }
        // After "Z" the pen stands at the start of the subpath just closed.
        const bool keep_start = closed && !current_.empty();
        const Pt start = keep_start ? current_.front() : Pt{};
        current_.clear();
        if (keep_start) current_.push_back(start);
    }

    double tolerance_;
    bool open_allowed_;
    std::vector<Pt> current_;
    std::vector<PathLine> outlines_;
};

}  // namespace

void read_path(std::string_view d, const Affine& to_mm, PathPieces& out, double arc_tolerance_mm) {
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
            case 'A': {
                const double rx = reader.number(), ry = reader.number(), turn = reader.number();
                const bool large = reader.number() != 0;
                const bool sweep = reader.number() != 0;
                const Pt from = pen;
                pen = read_point();
                for (const Pt& p : arc_points(from, rx, ry, turn, large, sweep, pen, to_mm, arc_tolerance_mm)) {
                    out.line(mm(p));
                }
                break;
            }
            default:
                throw std::runtime_error(std::string("unknown path command '") + cmd + "'");
        }
        last = cmd;
    }
}

std::vector<std::vector<MmPoint>> closed_outlines(std::string_view d, const Affine& to_mm, double tolerance_mm) {
    Flattener out(tolerance_mm, false);
    read_path(d, to_mm, out, tolerance_mm);
    std::vector<std::vector<MmPoint>> outlines;
    for (PathLine& line : out.finish()) outlines.push_back(std::move(line.points));
    return outlines;
}

std::vector<PathLine> path_lines(std::string_view d, const Affine& to_mm, double tolerance_mm) {
    Flattener out(tolerance_mm, true);
    read_path(d, to_mm, out, tolerance_mm);
    return out.finish();
}
