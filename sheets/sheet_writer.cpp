#include "sheets/sheet_writer.hpp"

#include "drawing/section_drawing.hpp"
#include "lightburn/drawing_exports.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/output_file.hpp"
#include "panel/output_names.hpp"
#include "panel/vectorize.hpp"
#include "settings/utf8_path.hpp"
#include "sheets/sheet_ids.hpp"

#include <optional>

namespace fs = std::filesystem;

namespace {

// A length in units as px text with two decimals, exactly.
std::string units_text(Length units) {
    const Length hundredths = units < 0 ? -units : units;
    const Length cents = hundredths % 100;
    std::string text = units < 0 ? "-" : "";
    text += std::to_string(hundredths / 100);
    text += cents < 10 ? ".0" : ".";
    text += std::to_string(cents);
    return text;
}

// Takes a panel's drawing as draw_section hands it on and passes to the
// sheet only its drawing group: everything after the header's page and
// style (the prelude) and before the closing "</svg>", so that the group is
// what the panel's own file holds there, its ids renamed for the sheet.
class PanelInSheet : public DrawingSink {
public:
    PanelInSheet(DrawingSink& sheet, std::size_t prelude, std::string id_prefix)
        : sheet_(sheet), skip_(prelude), ids_(std::move(id_prefix)) {}

    void write(const std::string& text) override {
        std::size_t from = 0;
        if (skip_ > 0) {
            from = std::min(skip_, text.size());
            skip_ -= from;
        }
        held_.append(text, from, std::string::npos);
        // The closing "</svg>" may arrive with the last piece or split across
        // two; the end of what came so far is held back until more follows.
        if (held_.size() > closing_.size()) {
            const std::string ready = held_.substr(0, held_.size() - closing_.size());
            held_.erase(0, ready.size());
            pass_on(ids_.take(ready));
        }
    }

    // The drawing has ended: passes on what the renaming held back; true when
    // it closed as every drawing does.
    bool close() {
        pass_on(ids_.finish());
        return held_ == closing_ && skip_ == 0;
    }
    const std::string& closing() const { return closing_; }
    // Bytes the renamed ids added to the drawing.
    std::size_t added() const { return ids_.added(); }

private:
    void pass_on(const std::string& text) {
        if (!text.empty()) sheet_.write(text);
    }

    DrawingSink& sheet_;
    std::size_t skip_;
    std::string held_;
    IdRenamer ids_;
    const std::string closing_ = "</svg>";
};

// Hands the DXF and LightBurn drawings the sheet's text in whole elements and
// whole labels: the sheet gets its pieces cut anywhere, their reader needs
// them whole.
class WholeElements {
public:
    explicit WholeElements(std::vector<std::unique_ptr<DrawingExport>>& exports) : exports_(exports) {}

    void write(const std::string& text) {
        held_ += text;
        std::size_t cut = held_.rfind('>');
        if (cut == std::string::npos) return;
        ++cut;
        // A label is its start tag, its text and its end tag, together.
        const std::size_t open = held_.rfind("<text", cut);
        const std::size_t close = held_.rfind("</text>", cut);
        if (open != std::string::npos && (close == std::string::npos || close < open)) cut = open;
        if (cut == 0) return;
        feed_all(exports_, held_.substr(0, cut));
        held_.erase(0, cut);
    }
    void finish() {
        if (!held_.empty()) feed_all(exports_, held_);
        held_.clear();
    }

private:
    std::vector<std::unique_ptr<DrawingExport>>& exports_;
    std::string held_;
};

// The sheet's own file: keeps the count of its bytes against the limit of
// one file and takes what it adds itself from the run's budget; passes the
// text on to the sheet's DXF drawing too, when there is one.
class SheetFile : public DrawingSink {
public:
    SheetFile(DrawingSink& file, const Place& place, const std::string& name, WholeElements* dxf)
        : file_(file), place_(place), name_(name), dxf_(dxf) {}

    void write(const std::string& text) override {
        bytes_ += written_size(text);
        if (bytes_ > max_document_bytes) {
            fail_at(place_, "",
                    "the sheet file " + name_ + ".svg grows past the limit of " +
                        std::to_string(max_document_bytes >> 20) + " MiB for one SVG file");
        }
        file_.write(text);
        if (dxf_ != nullptr) dxf_->write(text);
    }

    // Text of the sheet's own, not of a panel's drawing (which the drawing
    // pass has taken already).
    void add(const std::string& text, RunContext& context) {
        if (!take_from_write_budget(context, written_size(text))) {
            fail_at(place_, "", "writing the sheet file " + name_ + ".svg would take the run " + past_write_budget());
        }
        write(text);
    }

private:
    DrawingSink& file_;
    Place place_;
    std::string name_;
    WholeElements* dxf_;
    std::size_t bytes_ = 0;
};

void write_panel(const SheetPlan& plan, std::size_t i, std::size_t on_sheet, const json& project,
                 const BoxSize& box, const Pass& pass, const Arguments& args, const LaserStyle& style,
                 const Place& place, SheetFile& sheet, RunContext& context) {
    const std::string& key = plan.sections[i];
    const Place panel_place{place.file, key, {}};
    const std::string header = section_header(key, box, args, style, panel_place);
    sheet.add("\n<g" + placement_transform(plan.packing.placements[i], plan.pages[i]) + ">", context);
    const std::size_t prelude = header.rfind("\n<g") + 1;
    PanelInSheet panel(sheet, prelude, sheet_id_prefix(on_sheet));
    {
        // Everything a drawing prints was printed by the pass that wrote the
        // panel's own file.
        std::ostream silent(nullptr);
        BudgetedSink budgeted(panel, context, panel_place);
        draw_section(key, project.at(key), box, pass, args, style, panel_place, silent, &budgeted);
    }
    if (!panel.close()) fail_at(panel_place, "", "its drawing does not end as a drawing does");
    // The drawing pass took its header and closing for the budget too; they
    // stay out of the sheet. The renamed ids are the sheet's own.
    context.write_budget += written_size(header.substr(0, prelude)) + panel.closing().size();
    if (!take_from_write_budget(context, panel.added())) {
        fail_at(place, "", "writing the sheet file would take the run " + past_write_budget());
    }
    sheet.add("</g>", context);
}

void fill_sheet(const SheetPlan& plan, std::size_t s, const json& project, const BoxSize& box, const Pass& pass,
                const Arguments& args, const LaserStyle& style, const Place& place, SheetFile& sheet,
                RunContext& context) {
    const std::string& first = plan.sections.front();
    sheet.add(sheet_header(args, section_header(first, box, args, style, Place{args.json_file, first, {}})), context);
    std::size_t on_sheet = 0;
    for (std::size_t i = 0; i < plan.sections.size(); ++i) {
        if (plan.packing.placements[i].sheet == s) {
            write_panel(plan, i, ++on_sheet, project, box, pass, args, style, place, sheet, context);
        }
    }
    sheet.add("\n</svg>", context);
}

}  // namespace

std::string draw_sheet_text(const SheetPlan& plan, std::size_t s, const json& project, const BoxSize& box,
                            const Pass& pass, const Arguments& args, const LaserStyle& style, RunContext& context) {
    TextSink text;
    const std::string name = sheet_name(s, "");
    SheetFile sheet(text, Place{args.json_file, "", {}}, name, nullptr);
    fill_sheet(plan, s, project, box, pass, args, style, Place{args.json_file, "", {}}, sheet, context);
    return std::move(text.text());
}

std::string sheet_header(const Arguments& args, const std::string& panel_header) {
    // The sheet is given in mm, so its page is in mm whatever the panels'
    // pages are; the panels' kerf is their own, not the sheet's.
    Arguments sheet_args = args;
    sheet_args.physical_size = true;
    sheet_args.kerf = 0;
    sheet_args.kerf_x.reset();
    sheet_args.kerf_y.reset();
    const std::string page =
        prepare_header(args.sheet_width / 10.0f, args.sheet_height / 10.0f, 0, LaserStyle(sheet_args));
    const auto page_tag = page.find("<svg ");
    const std::string svg_tag = page.substr(page_tag, page.find('>', page_tag) + 1 - page_tag);
    // Everything else, the label style above all, as the panels have it.
    std::string header = panel_header.substr(0, panel_header.rfind("\n<g"));
    const auto tag = header.find("<svg ");
    return header.replace(tag, header.find('>', tag) + 1 - tag, svg_tag);
}

std::string placement_transform(const Placement& placement, Extent page) {
    if (!placement.turned) {
        return " transform=\"translate(" + units_text(placement.x) + "," + units_text(placement.y) + ")\"";
    }
    // rotate(90) takes (x, y) to (-y, x): the page then lies left of the
    // corner, and the move right by its height brings it back.
    return " transform=\"translate(" + units_text(placement.x + page.height) + "," + units_text(placement.y) +
           ") rotate(90)\"";
}

void write_sheets(const SheetPlan& plan, const json& project, const BoxSize& box, const Pass& pass,
                  const Arguments& args, const LaserStyle& style, const fs::path& folder, const std::string& suffix,
                  RunContext& context, PassExports& pass_exports) {
    if (args.simulate) return;
    for (std::size_t s = 0; s < plan.packing.sheets; ++s) {
        const std::string name = sheet_name(s, suffix);
        const Place place{args.json_file, "", {}};
        const fs::path path = folder / utf8_path(name + ".svg");
        refuse_overwriting_project(path, args.json_file, place);
        if (args.vectorize) refuse_overwriting_project(vector_path_for(path), args.json_file, place);
        OutputFile file(path);
        std::vector<std::unique_ptr<DrawingExport>> exports = pass_exports.for_drawing(path);
        WholeElements export_pieces(exports);
        SheetFile sheet(file, place, name, exports.empty() ? nullptr : &export_pieces);
        fill_sheet(plan, s, project, box, pass, args, style, place, sheet, context);
        file.commit();
        context.out << "Creation of SVG for " << name << " successful." << std::endl;
        export_pieces.finish();
        commit_all(exports, name, context, place);
        // Named as a section is: the sheet without its layer suffix.
        if (args.vectorize) vectorize_file(sheet_name(s, ""), suffix, path, args, context);
    }
}
