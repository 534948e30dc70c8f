#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "panel/errors.hpp"

// What one section keeps while its document is built.
struct SectionDocument {
    std::string svg;             // the end of the document, not yet passed on to its file
    std::size_t passed_on = 0;   // bytes on disk of the document already written out before `svg`
    int pot_counter = 0;
    int fader_counter = 0;
    int clip_paths = 0;  // gives every recess clip path its own id
    // Hands `svg` on to the file once it has grown to a piece, so that the
    // lines of one large recess are not held whole in memory either; unset:
    // everything stays in `svg`.
    std::function<void()> pass_on_full_piece;
};

// The size on disk of the whole document so far, written out or not.
inline std::size_t document_bytes(const SectionDocument& doc) { return doc.passed_on + written_size(doc.svg); }
