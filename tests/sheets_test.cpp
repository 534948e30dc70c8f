// End-to-end tests of --sheet: the sheet files hold every panel's own
// drawing, placed apart and inside the sheet, the same on every layer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "ink_compare.hpp"
#include "panel/errors.hpp"
#include "run/draw_all.hpp"
#include "pass_fixtures.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string example_project = (source_dir() / "examples/midi_controller.json").string();
constexpr double px_per_mm = 3.7795;

struct Sheets {
    RunResult run;
    std::map<std::string, std::string> files;  // every .svg written, by name
};

Sheets run_sheets(const std::vector<std::string>& extra, const std::string& project = example_project) {
    TempDir dir;
    std::vector<std::string> args = {"-j", project, "-o", "out", "-m", "3", "-b", "50", "--vectorize=false"};
    args.insert(args.end(), extra.begin(), extra.end());
    Sheets sheets{run_program(args, dir.path()), {}};
    const fs::path folder = dir / "out" / fs::path(project).stem().string();
    if (fs::exists(folder)) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            // Text-mode files end their lines as the platform does; sheets and
            // panels alike, so they compare line for line.
            sheets.files[entry.path().filename().string()] = unix_lines(read_text(entry.path()));
        }
    }
    return sheets;
}

// What a panel's file holds between its page and style and its "</svg>": its
// drawing group.
std::string drawing_of(const std::string& file) {
    const auto start = file.rfind("\n<g", file.find("</defs>") + 8) + 1;
    return file.substr(start, file.size() - 6 - start);
}

std::string format(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

double number_after(const std::string& text, const std::string& marker) {
    const auto at = text.find(marker);
    return at == std::string::npos ? -1 : std::strtod(text.c_str() + at + marker.size(), nullptr);
}

// A page's px extent: the viewBox when there is one, else width and height.
std::pair<double, double> page_px(const std::string& file) {
    const std::string tag = file.substr(file.find("<svg "), file.find('>', file.find("<svg ")) - file.find("<svg "));
    if (tag.find("viewBox") != std::string::npos) {
        char* end = nullptr;
        const double w = std::strtod(tag.c_str() + tag.find("viewBox=\"0 0 ") + 13, &end);
        return {w, std::strtod(end, nullptr)};
    }
    return {number_after(tag, " width=\""), number_after(tag, " height=\"")};
}

struct Footprint {
    std::string section;
    double x, y, width, height;  // px on the sheet
    std::string transform;
};

// A panel's drawing as its `n`th place on a sheet holds it: its ids and the
// references to them carry the place.
std::string with_ids_of_place(std::string drawing, int n) {
    const std::string prefix = "p" + std::to_string(n) + "-";
    for (const std::string opener : {" id=\"", "url(#"}) {
        for (auto at = drawing.find(opener); at != std::string::npos; at = drawing.find(opener, at + 1)) {
            drawing.insert(at + opener.size(), prefix);
        }
    }
    return drawing;
}

// Reads one sheet back: each group must open with its placement and hold,
// byte for byte but for its ids, the drawing of the next panel that the
// console places on this sheet (in key order); the sheet ends after the last
// one.
std::vector<Footprint> read_sheet(const Sheets& s, const std::string& sheet, const std::string& suffix, int number) {
    std::vector<Footprint> found;
    const std::string& text = s.files.at(sheet);
    std::size_t at = text.find("</defs>") + 7;
    std::istringstream lines(s.run.out);
    for (std::string line; std::getline(lines, line);) {
        const std::string on = " on sheet " + std::to_string(number) + " at (";
        if (!line.starts_with("Placing ") || line.find(on) == std::string::npos) continue;
        const std::string section = line.substr(8, line.find(on) - 8);
        const std::string& own = s.files.at(section + suffix + ".svg");
        const std::string open = "\n<g transform=\"translate(";
        EXPECT_EQ(text.compare(at, open.size(), open), 0) << sheet << " at " << at;
        const auto tag_end = text.find("\">", at) + 2;
        const std::string transform = text.substr(at + open.size() - 10, tag_end - 2 - (at + open.size() - 10));
        const std::string drawing = with_ids_of_place(drawing_of(own), static_cast<int>(found.size()) + 1);
        EXPECT_EQ(text.compare(tag_end, drawing.size(), drawing), 0) << section << " in " << sheet;
        at = tag_end + drawing.size();
        EXPECT_EQ(text.compare(at, 4, "</g>"), 0) << section << " in " << sheet;
        at += 4;
        const auto [w, h] = page_px(own);
        char* end = nullptr;
        double x = std::strtod(transform.c_str() + 10, &end);
        const double y = std::strtod(end + 1, nullptr);
        const bool turned = transform.find("rotate(90)") != std::string::npos;
        EXPECT_EQ(turned, line.ends_with(", turned")) << line;
        if (turned) x -= h;
        EXPECT_NEAR(x / px_per_mm, number_after(line, on), 0.006) << line;
        found.push_back({section, x, y, turned ? h : w, turned ? w : h, transform});
    }
    EXPECT_EQ(text.substr(at), "\n</svg>") << sheet;
    return found;
}

void expect_apart_and_inside(const std::vector<Footprint>& panels, double sheet_w_mm, double sheet_h_mm,
                             double gap_mm) {
    const double gap = gap_mm * px_per_mm - 0.011;
    for (const Footprint& p : panels) {
        EXPECT_GE(p.x, gap) << p.section;
        EXPECT_GE(p.y, gap) << p.section;
        EXPECT_LE(p.x + p.width, sheet_w_mm * px_per_mm - gap) << p.section;
        EXPECT_LE(p.y + p.height, sheet_h_mm * px_per_mm - gap) << p.section;
        for (const Footprint& q : panels) {
            if (&p == &q) continue;
            EXPECT_TRUE(p.x + p.width + gap <= q.x || q.x + q.width + gap <= p.x || p.y + p.height + gap <= q.y ||
                        q.y + q.height + gap <= p.y)
                << p.section << " and " << q.section << " are closer than " << gap_mm << " mm";
        }
    }
}

}  // namespace

TEST(Sheets, EachPanelGroupIsItsOwnDrawingPlacedApartInsideTheSheet) {
    struct Case {
        std::vector<std::string> options;
        double width, height, gap;
        std::vector<std::string> suffixes;
    };
    const Case cases[] = {
        {{"--sheet", "600x300"}, 600, 300, 3, {""}},
        // Kerf and mm pages grow the footprints; the gap is kept between
        // the cut lines as drawn.
        {{"--sheet", "420x297", "--sheet-gap", "0.5", "--kerf", "2", "--physical-size", "-r"}, 420, 297, 0.5, {""}},
        {{"--sheet=250X250", "--sheet-gap=6", "-e", "-r", "-p", "3", "-d", "6"},
         250,
         250,
         6,
         {"_text", "_components", "_outline", "_recess", "_screws", "_screw_recess"}},
    };
    for (const Case& c : cases) {
        const Sheets s = run_sheets(c.options);
        ASSERT_EQ(s.run.status, 0) << s.run.err;
        std::vector<std::string> transforms_of_first_layer;
        for (const std::string& suffix : c.suffixes) {
            std::vector<Footprint> all;
            std::vector<std::string> transforms;
            for (int n = 1; s.files.count("sheet-" + std::to_string(n) + suffix + ".svg") > 0; ++n) {
                const std::string name = "sheet-" + std::to_string(n) + suffix + ".svg";
                const std::string& text = s.files.at(name);
                EXPECT_NE(text.find(" width=\"" + format(c.width) + "mm\" height=\"" + format(c.height) + "mm\""),
                          std::string::npos)
                    << name;
                const auto panels = read_sheet(s, name, suffix, n);
                expect_apart_and_inside(panels, c.width, c.height, c.gap);
                for (const auto& p : panels) transforms.push_back(p.section + p.transform);
                all.insert(all.end(), panels.begin(), panels.end());
            }
            EXPECT_EQ(all.size(), 6u) << "every panel once, layer " << suffix;
            if (transforms_of_first_layer.empty()) transforms_of_first_layer = transforms;
            EXPECT_EQ(transforms, transforms_of_first_layer) << "layer " << suffix << " is placed differently";
        }
    }
}

// Two panels with a rectangular recess each, in different places: every id
// on the sheet is its own, so each panel's hatching is clipped by its own
// recess (a reader takes the first of two alike ids) and engraved.
TEST(Sheets, EachPanelKeepsItsRecessHatchingOnTheSheet) {
    if (running_on_windows) GTEST_SKIP() << "it renders with rsvg-convert, a Debian program; the sheet's text is the same";
    TempDir dir;
    write_text(dir / "two.json",
               R"({"Generic": {"width": 10, "height": 5},)"
               R"( "a_Main": {"screen": {"location_x": 3, "location_y": 2.5, "visible_width": 4, "visible_height": 2}},)"
               R"( "b_Top": {"screen": {"location_x": 7.5, "location_y": 2.5, "visible_width": 3, "visible_height": 2}}})");
    // An engrave colour leaves the recess outlines unfilled, so that only
    // the hatch lines ink the recess.
    const Sheets s =
        run_sheets({"-r", "--engrave-color", "#000000", "--sheet", "250x100"}, (dir / "two.json").string());
    ASSERT_EQ(s.run.status, 0) << s.run.err;
    const std::string& sheet = s.files.at("sheet-1.svg");
    std::map<std::string, int> ids;
    for (auto at = sheet.find(" id=\""); at != std::string::npos; at = sheet.find(" id=\"", at + 1)) {
        ++ids[sheet.substr(at + 5, sheet.find('"', at + 5) - at - 5)];
    }
    EXPECT_EQ(ids.size(), 2u) << sheet;
    for (const auto& [id, count] : ids) {
        EXPECT_EQ(count, 1) << id;
        EXPECT_NE(sheet.find("url(#" + id + ")"), std::string::npos) << id;
    }
    TempDir scratch;
    write_text(scratch / "sheet.svg", sheet);
    constexpr int zoom = 4;
    const Rendering picture = render_svg(scratch / "sheet.svg", zoom);
    ASSERT_EQ(picture.width, 945 * zoom);  // 250 mm at 96 dpi
    std::istringstream lines(s.run.out);
    struct Recess {
        double x, y, width, height;  // mm in the panel
    };
    const Recess recesses[] = {{30, 25, 40, 20}, {75, 25, 30, 20}};
    int panels = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("Placing ") || panels == 2) continue;
        EXPECT_EQ(line.find("turned"), std::string::npos) << line;
        const Recess& r = recesses[panels++];
        char* end = nullptr;
        const double x = std::strtod(line.c_str() + line.find(" at (") + 5, &end) + r.x;
        const double y = std::strtod(end + 1, nullptr) + r.y;
        // The inner half of the recess.
        const auto px = [](double mm) { return static_cast<int>(mm * px_per_mm * zoom); };
        EXPECT_GT(picture.dark_in(px(x - r.width / 4), px(y - r.height / 4), px(x + r.width / 4), px(y + r.height / 4)),
                  1000)
            << line;
    }
    EXPECT_EQ(panels, 2) << s.run.out;
}

TEST(Sheets, RefusesAPanelThatFitsNeitherWayBeforeAnyFileIsWritten) {
    // Back is 200 x 56 mm; with 3 mm to each edge it needs 206 x 62.
    const Sheets s = run_sheets({"--sheet", "205x105"});
    EXPECT_EQ(s.run.status, 2);
    EXPECT_NE(s.run.err.find("section \"box_Back\": its panel (200.00 x 56.00 mm) fits the sheet (205 x 105 mm "
                             "with a gap of 3 mm) in neither orientation"),
              std::string::npos)
        << s.run.err;
    EXPECT_TRUE(s.files.empty()) << s.files.size() << " files written";
    // Turned every panel fits (Main, the largest, is 200 x 120 mm).
    EXPECT_EQ(run_sheets({"--sheet", "126x206"}).run.status, 0);
    // A 70 x 50 mm panel with 3 mm all round fits 76 x 56 exactly, though
    // its page rounds to 70.0013 mm; a hundredth of a millimetre less does not.
    TempDir dir;
    write_text(dir / "small.json", R"({"Generic": {"width": 7, "height": 5}, "a_Main": {}})");
    const std::string small = (dir / "small.json").string();
    const Sheets exact = run_sheets({"--sheet", "76x56"}, small);
    EXPECT_EQ(exact.run.status, 0) << exact.run.err;
    EXPECT_NE(exact.run.out.find("Placing a_Main on sheet 1 at (3.00, 3.00) mm\n"), std::string::npos) << exact.run.out;
    EXPECT_EQ(run_sheets({"--sheet", "75.99x56"}, small).run.status, 2);
    EXPECT_EQ(run_sheets({"--sheet", "76x55.99"}, small).run.status, 2);
}

TEST(Sheets, RefusesMalformedSizesAndGaps) {
    const std::vector<std::vector<std::string>> refused = {
        {"--sheet", "600"},     {"--sheet", "600x"},      {"--sheet", "x400"},      {"--sheet", "0x400"},
        {"--sheet", "600x-1"},  {"--sheet", "nanx400"},   {"--sheet", "600xinf"},   {"--sheet", "600x400x2"},
        {"--sheet", "1e6x400"}, {"--sheet", "600 x 400"}, {"--sheet", "600x400mm"}, {"--sheet", ""},
        {"--sheet-gap", "-1"},  {"--sheet-gap", "nan"},   {"--sheet-gap", "3mm"},   {"--sheet-gap", "inf"},
    };
    for (const auto& options : refused) {
        const Sheets s = run_sheets(options);
        EXPECT_EQ(s.run.status, 1) << options[0] << " " << options[1];
        EXPECT_NE(s.run.err.find(platform_quotes("Option ‘" + options[0].substr(2) + "’ must be")), std::string::npos)
            << options[0] << " " << options[1] << ": " << s.run.err;
    }
}

TEST(Sheets, ReportSimulationAndLayerFilesOfTheSettings) {
    const Sheets plain = run_sheets({});
    EXPECT_EQ(plain.run.out.find("Sheet"), std::string::npos) << "no sheet lines without --sheet";
    EXPECT_EQ(plain.files.count("sheet-1.svg"), 0u);

    const Sheets simulated = run_sheets({"--sheet", "300x200", "--sheet-gap", "2.5", "-s"});
    ASSERT_EQ(simulated.run.status, 0) << simulated.run.err;
    EXPECT_NE(simulated.run.out.find("Sheet size: 300 x 200 mm\nSheet gap: 2.5 mm\n"), std::string::npos);
    EXPECT_NE(simulated.run.out.find("Placing box_Main on sheet 1 at (2.50, 2.50) mm\n"), std::string::npos)
        << simulated.run.out;
    EXPECT_NE(simulated.run.out.find("2 sheets, "), std::string::npos) << simulated.run.out;
    EXPECT_NE(simulated.run.out.find(" % of their area used\n## Currently on section: box_Back ##"), std::string::npos);
    EXPECT_TRUE(simulated.files.empty());

    // Placed once per run, though every layer pass writes its sheets.
    const Sheets layers = run_sheets({"--sheet", "300x200", "-e"});
    ASSERT_EQ(layers.run.status, 0) << layers.run.err;
    EXPECT_EQ(count_of(layers.run.out, "Placing box_Main "), 1);
    EXPECT_EQ(count_of(layers.run.out, "Creation of SVG for sheet-2_outline successful."), 1);
    EXPECT_EQ(layers.files.count("sheet-2_components.svg"), 1u);
    EXPECT_EQ(layers.files.count("sheet-3_text.svg"), 0u);
}

TEST(Sheets, RefusesASectionWhoseFileASheetWouldTake) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("sheet-1_vector": {}, "box_Main": {})"));
    const std::vector<std::string> args = {"-j", "box.json", "-o",      "out",          "-m",      "3",           "-b",
                                           "50", "--sheet",  "600x400", "--vectorizer", "builtin", "--keep-files"};
    const RunResult r = run_program(args, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("section \"sheet-1_vector\": its file sheet-1_vector.svg would be overwritten by the sheet "
                         "file sheet-1_vector.svg"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "out/box/box_Main.svg"));
}

TEST(Sheets, SheetFilesAreVectorizedAndDrawOnTheWriteBudget) {
    Arguments a = simulation();
    a.simulate = false;
    a.sheet_width = 600;
    a.sheet_height = 400;
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("a_Main": {"pot": {"location_x": 2, "location_y": 3, "id": 1,)"
                                              R"( "call_name": "Knob", "drill_diameter": 0.7}}, "b_Left": {})"));
    NoCommands commands;
    std::ostringstream out, err;
    RunContext context{out, err, commands};
    const auto pass = [&] {
        draw_all((dir / "box.json").string(), (dir / "out").string(), true, true, true, false, 0, 0, 0, a, context);
    };
    pass();
    const fs::path sheet = dir / "out/box/sheet-1.svg";
    const std::uintmax_t panels = fs::file_size(dir / "out/box/a_Main.svg") + fs::file_size(dir / "out/box/b_Left.svg");
    EXPECT_EQ(context.write_budget, max_run_write_bytes - panels - fs::file_size(sheet));
    EXPECT_EQ(count_of(out.str(), "Creating text"), 1) << "the sheet's drawings print nothing again:\n" << out.str();

    // Room for the panels but not the sheet: the sheet is refused and not written.
    fs::remove_all(dir / "out");
    context.write_budget = panels + 100;
    EXPECT_THROW(pass(), RunError);
    EXPECT_TRUE(fs::exists(dir / "out/box/b_Left.svg"));
    EXPECT_FALSE(fs::exists(sheet));

    // The sheet goes through the run's converter as every drawing does.
    class Recorder : public VectorConverter {
    public:
        void convert(const std::string& section, const fs::path& path, const Arguments&, RunContext&) override {
            seen += section + ":" + path.filename().string() + " ";
        }
        std::string seen;
    } recorder;
    context.converter = &recorder;
    context.write_budget = max_run_write_bytes;
    a.vectorize = true;
    pass();
    EXPECT_EQ(recorder.seen, "a_Main:a_Main.svg b_Left:b_Left.svg sheet-1:sheet-1.svg ");

    // A layer's sheet is named as a section is, the layer apart.
    recorder.seen.clear();
    fs::remove_all(dir / "out");
    draw_all((dir / "box.json").string(), (dir / "out").string(), false, false, true, false, 0, 0, 0,
             [&] { Arguments e = a; e.separate_files = true; return e; }(), context);
    EXPECT_EQ(recorder.seen,
              "a_Main:a_Main_outline.svg b_Left:b_Left_outline.svg sheet-1:sheet-1_outline.svg ");
}

// A sheet's DXF holds what its panels' DXF files hold together: every entity
// of every panel, jointed outlines included, placed as in the sheet.
TEST(Sheets, ASheetsDxfHoldsEveryEntityOfItsPanels) {
    const Sheets s = run_sheets({"--recess", "-n", "2", "-p", "3", "-d", "6", "--finger-joints", "--dxf", "--sheet",
                                 "600x300", "--font-file", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"});
    ASSERT_EQ(s.run.status, 0) << s.run.err;
    ASSERT_EQ(s.files.count("sheet-1.dxf"), 1u) << s.run.out;
    ASSERT_EQ(s.files.count("sheet-2.dxf"), 0u);
    std::map<std::string, int> panels, sheet;
    for (const auto& [name, text] : s.files) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".dxf") continue;
        for (const char* entity : {"\nLINE\n", "\nCIRCLE\n", "\nPOLYLINE\n"}) {
            (name.rfind("sheet-", 0) == 0 ? sheet : panels)[entity] += count_of(unix_lines(text), entity);
        }
    }
    EXPECT_GT(panels["\nPOLYLINE\n"], 6);
    EXPECT_EQ(sheet, panels);
}
