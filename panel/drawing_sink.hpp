#pragma once

#include <string>

#include "panel/errors.hpp"

struct RunContext;

// Where a drawing's text goes as it is built: its own file, or a sheet that
// holds it among others.
class DrawingSink {
public:
    virtual ~DrawingSink() = default;
    virtual void write(const std::string& text) = 0;
};

// Holds the text in memory.
class TextSink : public DrawingSink {
public:
    void write(const std::string& text) override { text_ += text; }
    std::string& text() { return text_; }

private:
    std::string text_;
};

// Passes the text on to `inner` while the run's write budget lasts: the piece
// that would cross it is refused before it reaches the disk, naming `place`.
class BudgetedSink : public DrawingSink {
public:
    BudgetedSink(DrawingSink& inner, RunContext& context, Place place)
        : inner_(inner), context_(context), place_(std::move(place)) {}
    void write(const std::string& text) override;

private:
    DrawingSink& inner_;
    RunContext& context_;
    Place place_;
};
