#include "sheets/sheet_writer.hpp"

#include "drawing/section_drawing.hpp"
#include "dxf/dxf_file.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/output_file.hpp"
#include "panel/output_names.hpp"
#include "panel/vectorize.hpp"
#include "settings/utf8_path.hpp"

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
// byte for byte what the panel's own file holds there.
class PanelInSheet : public DrawingSink {
public:
    PanelInSheet(DrawingSink& sheet, std::size_t prelude) : sheet_(sheet), skip_(prelude) {}

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
            sheet_.write(ready);
        }
    }

    // The drawing has ended; true when it closed as every drawing does.
    bool closed() const { return held_ == closing_ && skip_ == 0; }
    const std::string& closing() const { return closing_; }

private:
    DrawingSink& sheet_;
    std::size_t skip_;
    std::string held_;
    const std::string closing_ = "</svg>";
};

// Hands a DXF drawing the sheet's text in whole elements and whole labels:
// the sheet gets its pieces cut anywhere, the DXF reader needs them whole.
class WholeElements {
public:
    explicit WholeElements(DxfOutput& dxf) : dxf_(dxf) {}

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
        dxf_.feed(held_.substr(0, cut));
        held_.erase(0, cut);
    }
    void finish() {
        if (!held_.empty()) dxf_.feed(held_);
        held_.clear();
    }

private:
    DxfOutput& dxf_;
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

void write_panel(const SheetPlan& plan, std::size_t i, const json& project, const BoxSize& box, const Pass& pass,
                 const Arguments& args, const LaserStyle& style, const Place& place, SheetFile& sheet,
                 RunContext& context) {
    const std::string& key = plan.sections[i];
    const Place panel_place{place.file, key, {}};
    const std::string header = section_header(key, box, args, style, panel_place);
    sheet.add("\n<g" + placement_transform(plan.packing.placements[i], plan.pages[i]) + ">", context);
    const std::size_t prelude = header.rfind("\n<g") + 1;
    PanelInSheet panel(sheet, prelude);
    {
        // Everything a drawing prints was printed by the pass that wrote the
        // panel's own file.
        std::ostream silent(nullptr);
        BudgetedSink budgeted(panel, context, panel_place);
        draw_section(key, project.at(key), box, pass, args, style, panel_place, silent, &budgeted);
    }
    if (!panel.closed()) fail_at(panel_place, "", "its drawing does not end as a drawing does");
    // The drawing pass took its header and closing for the budget too; they
    // stay out of the sheet.
    context.write_budget += written_size(header.substr(0, prelude)) + panel.closing().size();
    sheet.add("</g>", context);
}

void fill_sheet(const SheetPlan& plan, std::size_t s, const json& project, const BoxSize& box, const Pass& pass,
                const Arguments& args, const LaserStyle& style, const Place& place, SheetFile& sheet,
                RunContext& context) {
    const std::string& first = plan.sections.front();
    sheet.add(sheet_header(args, section_header(first, box, args, style, Place{args.json_file, first, {}})), context);
    for (std::size_t i = 0; i < plan.sections.size(); ++i) {
        if (plan.packing.placements[i].sheet == s) {
            write_panel(plan, i, project, box, pass, args, style, place, sheet, context);
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
                  RunContext& context, DxfFont& dxf_font) {
    if (args.simulate) return;
    for (std::size_t s = 0; s < plan.packing.sheets; ++s) {
        const std::string name = sheet_name(s, suffix);
        const Place place{args.json_file, "", {}};
        const fs::path path = folder / utf8_path(name + ".svg");
        refuse_overwriting_project(path, args.json_file, place);
        if (args.vectorize) refuse_overwriting_project(vector_path_for(path), args.json_file, place);
        OutputFile file(path);
        std::optional<DxfOutput> dxf;
        std::optional<WholeElements> dxf_pieces;
        if (args.dxf) {
            dxf.emplace(path, dxf_font);
            dxf_pieces.emplace(*dxf);
        }
        SheetFile sheet(file, place, name, dxf_pieces ? &*dxf_pieces : nullptr);
        fill_sheet(plan, s, project, box, pass, args, style, place, sheet, context);
        file.commit();
        context.out << "Creation of SVG for " << name << " successful." << std::endl;
        if (dxf) {
            dxf_pieces->finish();
            dxf->commit(name, context, place);
        }
        // Named as a section is: the sheet without its layer suffix.
        if (args.vectorize) vectorize_file(sheet_name(s, ""), suffix, path, args, context);
    }
}
