#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "dxf/svg_to_dxf.hpp"
#include "panel/errors.hpp"
#include "panel/output_file.hpp"
#include "panel/panel.hpp"
#include "settings/arguments.hpp"
#include "vector/glyphs.hpp"

// The drawing's file name with ".svg" replaced by ".dxf", in the same folder.
std::filesystem::path dxf_path_for(const std::filesystem::path& svg_path);

// The labels' font of a pass's DXF files: --font-file or the system's bold
// sans-serif, looked for when the first label needs it (drawings without
// labels need none) and then kept for the pass's other drawings.
class DxfFont {
public:
    explicit DxfFont(const Arguments& args) : args_(args) {}
    // Throws FontError when there is no usable font.
    const LabelFont& get();

private:
    const Arguments& args_;
    std::optional<LabelFont> font_;
};

// The DXF file beside one drawing, made from the drawing's text while that
// text goes to its own file, so it needs neither the file nor a second pass.
// It is written once the drawing is on disk: one output file at a time.
// A drawing that cannot be converted (no font for its labels, say) is
// reported then and leaves no DXF file; the drawing stays. Writing the file
// is like writing the drawing: its bytes count against the run's budget, and
// a write that fails ends the run (RunError).
class DxfOutput {
public:
    DxfOutput(const std::filesystem::path& svg_path, DxfFont& font);
    DxfOutput(const DxfOutput&) = delete;
    DxfOutput& operator=(const DxfOutput&) = delete;

    // The next piece of the drawing's text, whole elements.
    void feed(const std::string& svg);
    // Once the drawing is on disk: finishes the DXF file and reports it as
    // `name` (the drawing's name without ".svg").
    void commit(const std::string& name, RunContext& context, const Place& place);

private:
    DxfDrawing drawing_;
    std::filesystem::path path_;
    std::string text_;
    std::string failure_;
};
