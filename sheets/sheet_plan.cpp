#include "sheets/sheet_plan.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "drawing/section_drawing.hpp"
#include "panel/errors.hpp"
#include "panel/frame.hpp"
#include "panel/layout.hpp"
#include "settings/passes.hpp"

namespace {

// The value of ` name="…"` in `tag`, read as a number.
std::optional<double> attribute_number(const std::string& tag, const std::string& name) {
    const auto at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return std::nullopt;
    const char* start = tag.c_str() + at + name.size() + 3;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start) return std::nullopt;
    return value;
}

// A length in px as units; pages beyond any sheet are refused before this.
Length to_units(double px) { return static_cast<Length>(std::llround(px * sheet_units_per_px)); }

double px_per_mm() { return static_cast<double>(cm_to_px) / 10.0; }

std::string mm_text(double units) { return format_float_as_str(units / sheet_units_per_px / px_per_mm(), 2); }

// The viewBox the sheet's page gets (px), as prepare_header writes it.
double sheet_px(float mm) { return std::strtod(format_float_as_str(cm_to_px * (mm / 10.0f), 2).c_str(), nullptr); }

std::string lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

std::vector<std::string> pass_suffixes(const Arguments& args) {
    std::vector<std::string> suffixes;
    for (const Pass& p : output_passes(args)) {
        if (auto suffix = layer_suffix(args.separate_files, p.text, p.components, p.outline, p.recess, p.screw_size_top,
                                       p.screw_size_bottom, p.screw_head_diameter)) {
            suffixes.push_back(*suffix);
        }
    }
    return suffixes;
}

// "sheet-1_screw" + "_recess" is a section's file as much as a sheet's, and
// so is a section "sheet-1_vector" beside a vectorized "sheet-1.svg". Names
// are compared without case, as some file systems do.
void refuse_sheet_name_clashes(const SheetPlan& plan, const Arguments& args, const std::string& json_file) {
    const std::vector<std::string> suffixes = pass_suffixes(args);
    const std::vector<std::string> vectors =
        args.vectorize ? std::vector<std::string>{"", "_vector"} : std::vector<std::string>{""};
    std::map<std::string, std::string> sheet_files;
    for (std::size_t s = 0; s < plan.packing.sheets; ++s) {
        for (const auto& suffix : suffixes) {
            for (const auto& vector : vectors) {
                sheet_files.emplace(lower(sheet_name(s, suffix) + vector), sheet_name(s, suffix) + vector);
            }
        }
    }
    for (const auto& key : plan.sections) {
        for (const auto& suffix : suffixes) {
            for (const auto& vector : vectors) {
                const auto clash = sheet_files.find(lower(key + suffix + vector));
                if (clash != sheet_files.end()) {
                    fail_at(Place{json_file, key, {}}, "",
                            "its file " + key + suffix + vector + ".svg would be overwritten by the sheet file " +
                                clash->second + ".svg; rename the section");
                }
            }
        }
    }
}

void print_placement(const SheetPlan& plan, std::ostream& out) {
    double used = 0;
    for (std::size_t i = 0; i < plan.sections.size(); ++i) {
        const Placement& p = plan.packing.placements[i];
        out << "Placing " << plan.sections[i] << " on sheet " << p.sheet + 1 << " at (" << mm_text(p.x) << ", "
            << mm_text(p.y) << ") mm" << (p.turned ? ", turned" : "") << std::endl;
        used += static_cast<double>(plan.pages[i].width) * static_cast<double>(plan.pages[i].height);
    }
    const double offered = static_cast<double>(plan.packing.sheets) * static_cast<double>(plan.sheet.width) *
                           static_cast<double>(plan.sheet.height);
    const long percent = offered > 0 ? std::lround(100.0 * used / offered) : 0;
    const bool one = plan.packing.sheets == 1;
    out << plan.packing.sheets << (one ? " sheet, " : " sheets, ") << percent << (one ? " % of its" : " % of their")
        << " area used" << std::endl;
}

// A quarter turn swaps the panel's axes, and with them the kerfs its cut
// lines were drawn for.
void note_turned_kerf(const SheetPlan& plan, const LaserStyle& style, std::ostream& out) {
    if (style.round_kerf()) return;
    for (std::size_t i = 0; i < plan.sections.size(); ++i) {
        if (!plan.packing.placements[i].turned) continue;
        out << "Note: " << plan.sections[i]
            << " is turned on its sheet, so its --kerf-x lies along the sheet's y and its --kerf-y along x; "
               "cut it from its own file"
            << std::endl;
    }
}

}  // namespace

std::string sheet_name(std::size_t index, const std::string& suffix) {
    return "sheet-" + std::to_string(index + 1) + suffix;
}

std::optional<Extent> page_of(const std::string& header) {
    const auto open = header.find("<svg ");
    if (open == std::string::npos) return std::nullopt;
    const std::string tag = header.substr(open, header.find('>', open) - open);
    std::optional<double> width;
    std::optional<double> height;
    const auto box = tag.find(" viewBox=\"0 0 ");
    if (box != std::string::npos) {
        char* end = nullptr;
        width = std::strtod(tag.c_str() + box + 14, &end);
        height = std::strtod(end, nullptr);
    } else {
        width = attribute_number(tag, "width");
        height = attribute_number(tag, "height");
    }
    if (!width || !height || !std::isfinite(*width) || !std::isfinite(*height) || *width < 0 || *height < 0) {
        return std::nullopt;
    }
    // Far beyond any sheet; kept so that the units below stay exact.
    constexpr double too_large_px = 1e12;
    if (*width > too_large_px || *height > too_large_px) return Extent{-1, -1};
    return Extent{to_units(*width), to_units(*height)};
}

std::optional<SheetPlan> plan_sheets(const json& project, const BoxSize& box, const Arguments& args,
                                     const LaserStyle& style, const std::string& json_file, RunContext& context) {
    if (!(args.sheet_width > 0)) return std::nullopt;
    SheetPlan plan;
    plan.sheet = {to_units(sheet_px(args.sheet_width)), to_units(sheet_px(args.sheet_height))};
    // The gap in px by the larger of the two scales the viewBox gives, and
    // rounded up, so that it is never less than asked.
    const double scale = std::max(static_cast<double>(plan.sheet.width) / args.sheet_width,
                                  static_cast<double>(plan.sheet.height) / args.sheet_height);
    plan.gap = static_cast<Length>(std::ceil(args.sheet_gap * scale - 1e-9));
    // Pages, sheet and gap are each rounded to the files' precision (one
    // unit, 0.01 px), so a panel that fits exactly (70 mm with 3 mm gaps on
    // 76 mm) may come out a unit too large; a unit more room keeps it a fit,
    // as the files can tell no difference.
    const Extent room{plan.sheet.width + 1, plan.sheet.height + 1};
    for (const auto& [key, section] : project.items()) {
        if (!is_section_key(key)) continue;
        const Place place{json_file, key, {}};
        const std::optional<Extent> page = page_of(section_header(key, box, args, style, place));
        if (!page) fail_at(place, "", "its page size cannot be read from its drawing");
        if (page->width < 0 || !fits_sheet(*page, room, plan.gap)) {
            const std::string size = page->width < 0 ? std::string("too large")
                                                     : mm_text(page->width) + " x " + mm_text(page->height) + " mm";
            std::ostringstream sheet;
            sheet << args.sheet_width << " x " << args.sheet_height << " mm with a gap of " << args.sheet_gap << " mm";
            fail_at(place, "",
                    "its panel (" + size + ") fits the sheet (" + sheet.str() +
                        ") in neither orientation; give a larger --sheet");
        }
        plan.sections.push_back(key);
        plan.pages.push_back(*page);
    }
    plan.packing = pack_panels(plan.pages, room, plan.gap);
    if (!args.simulate) refuse_sheet_name_clashes(plan, args, json_file);
    if (!context.sheets_reported) {
        if (plan.packing.search_stopped) {
            context.out << "Note: the search for the fewest sheets stopped after " << exact_search_steps
                        << " steps; the placement below is the best it found" << std::endl;
        }
        print_placement(plan, context.out);
        note_turned_kerf(plan, style, context.out);
        context.sheets_reported = true;
    }
    return plan;
}
