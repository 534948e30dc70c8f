#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "panel/errors.hpp"
#include "panel/panel.hpp"

// A file beside one drawing made from the drawing's text while that text goes
// to its own file, so it needs neither the file nor a second pass. It is
// written once the drawing is on disk: one output file at a time. A drawing
// that cannot be converted (no font for its labels, say) is reported then and
// leaves no file; the drawing stays. Writing the file is like writing the
// drawing: its bytes count against the run's budget, and a write that fails
// ends the run (RunError).
class DrawingExport {
public:
    // `format` names the file in the console: "DXF", "LightBurn project".
    DrawingExport(std::filesystem::path path, std::string format);
    virtual ~DrawingExport() = default;
    DrawingExport(const DrawingExport&) = delete;
    DrawingExport& operator=(const DrawingExport&) = delete;

    // The next piece of the drawing's text, whole elements.
    void feed(const std::string& svg);
    // Once the drawing is on disk: finishes the file and reports it as `name`
    // (the drawing's name without ".svg").
    void commit(const std::string& name, RunContext& context, const Place& place);

private:
    // The file's text made from the piece, as far as it is ready.
    virtual std::string convert(std::string_view svg) = 0;
    // The rest of the file's text once the drawing is whole.
    virtual std::string finish() = 0;
    // True when the finished file has nothing to cut or engrave: a service
    // takes an empty file for a broken one, so none is written.
    virtual bool holds_nothing() const { return false; }
    // Counts the file among the run's files of its kind, and its failure.
    virtual void count(RunContext& /*context*/, bool /*failed*/) const {}

    std::filesystem::path path_;
    std::string format_;
    std::string text_;
    std::string failure_;
};
