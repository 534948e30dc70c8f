#include "dxf/dxf_file.hpp"

#include "panel/output_names.hpp"
#include "vector/font_lookup.hpp"

namespace fs = std::filesystem;

fs::path dxf_path_for(const fs::path& svg_path) {
    fs::path path = svg_path;
    return path.replace_extension(".dxf");
}

const LabelFont& DxfFont::get() {
    if (!font_) font_.emplace(args_.font_file.empty() ? find_label_font() : utf8_path(args_.font_file));
    return *font_;
}

DxfOutput::DxfOutput(const fs::path& svg_path, DxfFont& font)
    : DrawingExport(dxf_path_for(svg_path), "DXF"), drawing_([&font]() -> const LabelFont& { return font.get(); }) {}

std::string DxfOutput::convert(std::string_view svg) {
    drawing_.feed(svg);
    return drawing_.take_text();
}

std::string DxfOutput::finish() {
    drawing_.finish();
    return drawing_.take_text();
}

bool DxfOutput::holds_nothing() const {
    const DxfCounts counts = drawing_.counts();
    return counts.lines + counts.circles + counts.polylines == 0;
}

void DxfOutput::count(RunContext& context, bool failed) const {
    ++context.dxf_files;
    if (failed) ++context.failed_dxf_files;
}
