#include "dxf/drawing_export.hpp"

#include <ostream>

#include "panel/output_file.hpp"
#include "panel/output_names.hpp"

namespace fs = std::filesystem;

DrawingExport::DrawingExport(fs::path path, std::string format) : path_(std::move(path)), format_(std::move(format)) {}

void DrawingExport::feed(const std::string& svg) {
    if (!failure_.empty()) return;
    try {
        text_ += convert(svg);
    } catch (const std::exception& e) {
        failure_ = e.what();
        return;
    }
    if (text_.size() > max_document_bytes) {
        failure_ = "the " + format_ + " file grows past the limit of " + std::to_string(max_document_bytes >> 20) +
                   " MiB for one file";
        text_.clear();
    }
}

void DrawingExport::commit(const std::string& name, RunContext& context, const Place& place) {
    if (failure_.empty()) {
        try {
            text_ += finish();
        } catch (const std::exception& e) {
            failure_ = e.what();
        }
    }
    count(context, !failure_.empty());
    // A file left from an earlier run would pass for this drawing's.
    std::error_code ignored;
    if (!failure_.empty()) {
        fs::remove(path_, ignored);
        context.err << format_ << " failed for " << name << ": " << failure_ << " (the SVG is kept)" << std::endl;
        return;
    }
    if (holds_nothing()) {
        fs::remove(path_, ignored);
        context.out << "No " << format_ << " for " << name << ": it has nothing to cut or engrave." << std::endl;
        return;
    }
    refuse_overwriting_project(path_, place.file, place);
    if (!take_from_write_budget(context, written_size(text_))) {
        fail_at(place, "", "writing its " + format_ + " file would take the run " + past_write_budget());
    }
    write_output_file(path_, text_);
    context.out << "Creation of " << format_ << " for " << name << " successful." << std::endl;
}
