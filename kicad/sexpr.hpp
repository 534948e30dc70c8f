#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// An s-expression as KiCad writes its files: a list in parentheses, or an
// atom (a bare word or a quoted string). `line` is where it starts.
struct SexprNode {
    std::string atom;
    bool is_list = false;
    int line = 0;
    std::vector<SexprNode> items;

    // The first item's text when it is an atom: the list's kind, "footprint".
    const std::string& head() const;
    // The first item of this list whose head is `name`; null when none.
    const SexprNode* child(std::string_view name) const;
};

// What a file may ask of the reader. Real boards nest about ten deep, carry
// strings of a few kilobytes and stay under a few tens of megabytes.
struct SexprLimits {
    std::size_t max_bytes = std::size_t{64} << 20;
    int max_depth = 100;
    std::size_t max_token = std::size_t{1} << 20;
    // Items kept in memory: a board's footprints hold a few hundred thousand.
    std::size_t max_items = 2'000'000;
};

// A file that is not a well-formed s-expression, or one past the limits.
class SexprError : public std::runtime_error {
public:
    SexprError(int line, const std::string& problem) : std::runtime_error(problem), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Which lists directly inside the top-level list are kept: the rest are read
// and checked but not stored, so a board's tracks and zones take no memory.
using KeepList = std::function<bool(const std::string& head)>;

// Reads the one top-level list of `text`; anything after it but blanks is an
// error. Throws SexprError.
SexprNode parse_sexpr(std::string_view text, const KeepList& keep = {}, const SexprLimits& limits = {});
