#pragma once

#include <string>
#include <string_view>

// Every panel's drawing numbers its ids from 1 (its recesses' clip paths), so
// two panels on one sheet would share them and a reader would clip the second
// panel's hatching by the first one's recess. A panel's ids are renamed as it
// is placed: each id, and each reference to one (url(#…), href="#…"), gets
// the panel's prefix. Only whole tags are rewritten; the text between them
// (labels) stays as it is.
class IdRenamer {
public:
    explicit IdRenamer(std::string prefix) : prefix_(std::move(prefix)) {}

    // The renamed text up to the end of the last whole tag so far; the rest
    // is held until more follows.
    std::string take(std::string_view text);
    // What is held at the end of the drawing.
    std::string finish();

    // Bytes the prefixes added so far.
    std::size_t added() const { return added_; }

private:
    std::string prefix_;
    std::string held_;
    std::size_t added_ = 0;
};

// The prefix of the panel placed `n`th on its sheet (from 1): "p2-".
std::string sheet_id_prefix(std::size_t n);
