#include "dxf/dxf_file.hpp"

#include "panel/output_names.hpp"
#include "vector/font_lookup.hpp"

namespace fs = std::filesystem;

namespace {

// The DXF text goes to its file in pieces of about this size.
constexpr std::size_t piece_bytes = std::size_t{256} << 10;

}  // namespace

fs::path dxf_path_for(const fs::path& svg_path) {
    fs::path path = svg_path;
    return path.replace_extension(".dxf");
}

DxfOutput::DxfOutput(const fs::path& svg_path, const Arguments& args)
    : args_(args),
      // The font is looked for when the first label needs it, as the builtin
      // converter does, so drawings without labels need none.
      drawing_([this]() -> const LabelFont& {
          if (!font_) font_.emplace(args_.font_file.empty() ? find_label_font() : utf8_path(args_.font_file));
          return *font_;
      }),
      file_(dxf_path_for(svg_path)),
      path_(dxf_path_for(svg_path)) {}

void DxfOutput::pass_on(std::string text, RunContext& context, const Place& place) {
    pending_ += text;
    if (pending_.empty()) return;
    if (!take_from_write_budget(context, written_size(pending_))) {
        fail_at(place, "", "writing its DXF file would take the run " + past_write_budget());
    }
    file_.write(pending_);
    pending_.clear();
}

void DxfOutput::feed(const std::string& svg, RunContext& context, const Place& place) {
    if (!failure_.empty()) return;
    std::string text;
    try {
        drawing_.feed(svg);
        text = drawing_.take_text();
    } catch (const std::exception& e) {
        failure_ = e.what();
        return;
    }
    if (pending_.size() + text.size() >= piece_bytes) {
        pass_on(std::move(text), context, place);
    } else {
        pending_ += text;
    }
}

void DxfOutput::commit(const std::string& name, RunContext& context, const Place& place) {
    if (failure_.empty()) {
        try {
            drawing_.finish();
        } catch (const std::exception& e) {
            failure_ = e.what();
        }
    }
    if (!failure_.empty()) {
        // A DXF file left from an earlier run would pass for this drawing's.
        std::error_code ignored;
        fs::remove(path_, ignored);
        context.err << "DXF failed for " << name << ": " << failure_ << " (the SVG is kept)" << std::endl;
        return;
    }
    pass_on(drawing_.take_text(), context, place);
    refuse_overwriting_project(path_, place.file, place);
    file_.commit();
    context.out << "Creation of DXF for " << name << " successful." << std::endl;
}
