#pragma once

#include <string>

// What one section keeps while its document is built.
struct SectionDocument {
    std::string svg;
    int pot_counter = 0;
    int fader_counter = 0;
    int clip_paths = 0;  // gives every recess clip path its own id
};
