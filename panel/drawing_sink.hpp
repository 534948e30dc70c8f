#pragma once

#include <string>

// Where a drawing's text goes as it is built: its own file, or a sheet that
// holds it among others.
class DrawingSink {
public:
    virtual ~DrawingSink() = default;
    virtual void write(const std::string& text) = 0;
};
