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
    : drawing_([&font]() -> const LabelFont& { return font.get(); }), path_(dxf_path_for(svg_path)) {}

void DxfOutput::feed(const std::string& svg) {
    if (!failure_.empty()) return;
    try {
        drawing_.feed(svg);
        text_ += drawing_.take_text();
    } catch (const std::exception& e) {
        failure_ = e.what();
        return;
    }
    if (text_.size() > max_document_bytes) {
        failure_ = "the DXF file grows past the limit of " + std::to_string(max_document_bytes >> 20) +
                   " MiB for one file";
        text_.clear();
    }
}

void DxfOutput::commit(const std::string& name, RunContext& context, const Place& place) {
    ++context.dxf_files;
    if (failure_.empty()) {
        try {
            drawing_.finish();
        } catch (const std::exception& e) {
            failure_ = e.what();
        }
    }
    // A DXF file left from an earlier run would pass for this drawing's.
    std::error_code ignored;
    if (!failure_.empty()) {
        fs::remove(path_, ignored);
        ++context.failed_dxf_files;
        context.err << "DXF failed for " << name << ": " << failure_ << " (the SVG is kept)" << std::endl;
        return;
    }
    const DxfCounts counts = drawing_.counts();
    if (counts.lines + counts.circles + counts.polylines == 0) {
        // A service takes an empty file for a broken one.
        fs::remove(path_, ignored);
        context.out << "No DXF for " << name << ": it has nothing to cut or engrave." << std::endl;
        return;
    }
    text_ += drawing_.take_text();
    refuse_overwriting_project(path_, place.file, place);
    if (!take_from_write_budget(context, written_size(text_))) {
        fail_at(place, "", "writing its DXF file would take the run " + past_write_budget());
    }
    write_output_file(path_, text_);
    context.out << "Creation of DXF for " << name << " successful." << std::endl;
}
