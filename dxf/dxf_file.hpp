#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "dxf/drawing_export.hpp"
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

// The DXF file beside one drawing (see DrawingExport).
class DxfOutput : public DrawingExport {
public:
    DxfOutput(const std::filesystem::path& svg_path, DxfFont& font);

private:
    std::string convert(std::string_view svg) override;
    std::string finish() override;
    bool holds_nothing() const override;
    void count(RunContext& context, bool failed) const override;

    DxfDrawing drawing_;
};
