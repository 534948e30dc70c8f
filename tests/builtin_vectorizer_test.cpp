#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <set>

#include "ink_compare.hpp"
#include "panel/vectorize.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

const std::string example_project = (source_dir() / "examples/midi_controller.json").string();
const std::string dejavu_bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// The example project with recesses and screws, converted by the builtin
// vectorizer with the plain files kept; returns the plain files.
std::vector<fs::path> convert_example(const TempDir& dir, const std::string& out, bool separate) {
    std::vector<std::string> args = {"-j", example_project, "-o", out, "-m", "3", "-b", "50", "--recess", "-p", "3",
                                     "-d", "6", "--vectorizer", "builtin", "--keep-files"};
    if (separate) args.push_back("--separate-files");
    // Wine has no Arial, the font Windows labels default to.
    if (running_on_windows) args.insert(args.end(), {"--font-file", fs::absolute(dejavu_bold).string()});
    const RunResult run = run_program(args, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<fs::path> plain;
    for (const auto& entry : fs::directory_iterator(dir / out / "midi_controller")) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".svg") && !name.ends_with("_vector.svg")) plain.push_back(entry.path());
    }
    std::sort(plain.begin(), plain.end());
    return plain;
}

std::set<std::string> element_names(const std::string& svg) {
    std::set<std::string> names;
    const std::regex start_tag("<([A-Za-z][A-Za-z0-9:_-]*)");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), start_tag); it != std::sregex_iterator(); ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

std::string root_tag(const std::string& svg) {
    const auto at = svg.find("<svg");
    return at == std::string::npos ? "" : svg.substr(at, svg.find('>', at) - at + 1);
}

// Every number pair of the path data in `svg`, as points.
std::vector<std::pair<double, double>> path_points(const std::string& svg) {
    std::vector<std::pair<double, double>> points;
    const std::regex data(" d=\"([^\"]*)\"");
    const std::regex number("-?[0-9]+(\\.[0-9]+)?");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), data); it != std::sregex_iterator(); ++it) {
        const std::string d = (*it)[1];
        std::vector<double> values;
        for (auto n = std::sregex_iterator(d.begin(), d.end(), number); n != std::sregex_iterator(); ++n) {
            values.push_back(std::stod(n->str()));
        }
        for (std::size_t i = 0; i + 1 < values.size(); i += 2) points.emplace_back(values[i], values[i + 1]);
    }
    return points;
}

// Where the table `tag` starts in a font file's text.
std::size_t table_start(const std::string& font, const std::string& tag) {
    const auto byte = [&](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(font[at])); };
    const std::size_t tables = byte(4) << 8 | byte(5);
    for (std::size_t record = 12; record < 12 + 16 * tables; record += 16) {
        if (font.compare(record, 4, tag) == 0) {
            return byte(record + 8) << 24 | byte(record + 9) << 16 | byte(record + 10) << 8 | byte(record + 11);
        }
    }
    return std::string::npos;
}

void put_u32(std::string& font, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) font[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// The bold font with its glyph locations (long offsets) rewritten: far past
// the end of the file, or every even glyph a composite that holds itself.
std::string damaged_font(bool self_holding) {
    std::string font = read_text(dejavu_bold);
    const std::size_t loca = table_start(font, "loca");
    const std::size_t glyf = table_start(font, "glyf");
    const std::size_t glyph_count = 1000;
    for (std::size_t i = 0; i <= glyph_count; ++i) {
        put_u32(font, loca + 4 * i, self_holding ? (i % 2 ? 16 : 0) : 0x40000000u + 16 * static_cast<std::uint32_t>(i));
    }
    if (self_holding) {
        // Contours -1 and a box, then one part: placed by offsets, glyph 0.
        const char composite[16] = {'\xff', '\xff', 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0};
        font.replace(glyf, 16, composite, 16);
    }
    return font;
}

// The bold font with every character map's subtable made format 99, or with
// its range groups (format 12, the map the library picks) counted far past the end.
std::string font_with_broken_character_map(bool unknown_format) {
    std::string font = read_text(dejavu_bold);
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(font[at])) << 8 |
               static_cast<unsigned char>(font[at + 1]);
    };
    const std::size_t cmap = table_start(font, "cmap");
    for (std::size_t record = cmap + 4; record < cmap + 4 + 8 * u16(cmap + 2); record += 8) {
        const std::size_t map = cmap + (u16(record + 4) << 16 | u16(record + 6));
        if (unknown_format) {
            font[map] = 0;
            font[map + 1] = 99;
        } else if (u16(map) == 12) {
            put_u32(font, map + 12, 0x10000000u);
        }
    }
    return font;
}

}  // namespace

// The drawings a laser program sees must be the ones Inkscape would have made.
TEST(BuiltinVectorizer, MatchesInkscapeOnEveryExampleFile) {
    REQUIRE_INKSCAPE_OR_SKIP();
    TempDir dir;
    std::vector<fs::path> plain = convert_example(dir, "normal", false);
    const std::vector<fs::path> separate = convert_example(dir, "separate", true);
    plain.insert(plain.end(), separate.begin(), separate.end());
    ASSERT_EQ(plain.size(), 6u + 36u);
    convert_with_inkscape(plain);
    long long labelled = 0;
    for (const fs::path& file : plain) {
        const InkComparison result = compare_renderings(vector_path_for(file), inkscape_file_for(file));
        EXPECT_LE(result.share(), 0.03) << file << ": " << result.differ << " of " << result.inked
                                        << " inked pixels differ";
        if (read_text(file).find("<text") != std::string::npos) labelled += result.inked;
    }
    // The comparison saw the labels at all.
    EXPECT_GT(labelled, 0);
}

TEST(BuiltinVectorizer, LeavesOnlyPathsGroupsAndClipPaths) {
    TempDir dir;
    std::vector<fs::path> plain = convert_example(dir, "normal", false);
    const std::vector<fs::path> separate = convert_example(dir, "separate", true);
    plain.insert(plain.end(), separate.begin(), separate.end());
    const std::set<std::string> allowed = {"svg", "defs", "style", "g", "path", "clipPath"};
    int labels = 0;
    for (const fs::path& file : plain) {
        const fs::path vector = vector_path_for(file);
        ASSERT_TRUE(fs::exists(vector)) << vector;
        if (can_check_xml) {
            EXPECT_TRUE(parses_as_xml(vector)) << vector;
        }
        const std::string original = read_text(file);
        const std::string converted = read_text(vector);
        for (const std::string& name : element_names(converted)) {
            EXPECT_TRUE(allowed.count(name)) << "<" << name << "> left in " << vector;
        }
        EXPECT_EQ(root_tag(converted), root_tag(original)) << vector;
        EXPECT_EQ(count_of(converted, "aria-label="), count_of(original, "<text ")) << vector;
        EXPECT_EQ(count_of(converted, "<clipPath"), count_of(original, "<clipPath")) << vector;
        labels += count_of(original, "<text ");
    }
    EXPECT_GT(labels, 0);
}

// Labels turned by each supported angle land beside their components, as the
// plain drawing places them, and match Inkscape where it is at hand.
TEST(BuiltinVectorizer, TurnsLabelsAtEveryRotation) {
    struct Case {
        int rotation;
        double centre_x, centre_y;  // the label's centre on the page in px: beside the component
    };
    // Components at (5 cm, 5 cm) = 188.975 px with visible height 1 cm = 37.795 px.
    const double at = 188.975;
    const double half = 37.795 / 2;
    const std::vector<Case> cases = {
        {0, at, at - half - 8}, {90, at + half + 5, at}, {180, at, at + half + 10}, {270, at - half - 6, at}};
    std::string components;
    for (const Case& c : cases) {
        if (!components.empty()) components += ", ";
        components += "\"enc" + std::to_string(c.rotation) + R"(": {"call_name": "HH", "location_x": 5,
            "location_y": 5, "visible_height": 1, "rotation": )" + std::to_string(c.rotation) + "}";
    }
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {)" + components + "}"));
    const RunResult run = run_program({"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--components=false",
                                       "--outline=false", "--vectorizer", "builtin", "--font-file", dejavu_bold,
                                       "--keep-files"},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path plain = dir / "out" / "box" / "box_Main.svg";
    const std::string converted = read_text(vector_path_for(plain));
    for (const Case& c : cases) {
        SCOPED_TRACE("rotation " + std::to_string(c.rotation));
        const std::string turn = "transform=\"rotate(" + std::to_string(c.rotation) + ".00)\"";
        ASSERT_EQ(count_of(converted, turn), 1) << converted;
        const auto group_start = converted.find(turn);
        const std::string group = converted.substr(group_start, converted.find("</g>", group_start) - group_start);
        // The ink of "HH" is symmetric about the label's centre along the
        // line; across it the font's central baseline puts it within a pixel.
        const auto points = path_points(group);
        ASSERT_FALSE(points.empty());
        double min_x = 1e9, max_x = -1e9, min_y = 1e9, max_y = -1e9;
        const double turn_radians = c.rotation * 3.14159265358979323846 / 180;
        for (const auto& [x, y] : points) {
            const double page_x = x * std::cos(turn_radians) - y * std::sin(turn_radians);
            const double page_y = x * std::sin(turn_radians) + y * std::cos(turn_radians);
            min_x = std::min(min_x, page_x);
            max_x = std::max(max_x, page_x);
            min_y = std::min(min_y, page_y);
            max_y = std::max(max_y, page_y);
        }
        EXPECT_NEAR((min_x + max_x) / 2, c.centre_x, 1.0);
        EXPECT_NEAR((min_y + max_y) / 2, c.centre_y, 1.0);
    }
    REQUIRE_INKSCAPE_OR_SKIP();
    convert_with_inkscape({plain});
    const InkComparison result = compare_renderings(vector_path_for(plain), inkscape_file_for(plain));
    EXPECT_GT(result.inked, 0);
    EXPECT_LE(result.share(), 0.03) << result.differ << " of " << result.inked << " inked pixels differ";
}

// Ligatures, kerning pairs, accented letters, escaped characters and runs of
// spaces come out as Inkscape lays them out, label by label.
TEST(BuiltinVectorizer, LaysOutLabelsAsInkscape) {
    REQUIRE_INKSCAPE_OR_SKIP();
    const std::vector<std::string> labels = {"Office Shuffle", "AV Tempo Wave", "Ünïcödé Größe", "Fx & <Dry>",
                                             "MIDI   IN"};
    TempDir dir;
    std::vector<fs::path> plain;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::string folder = "out" + std::to_string(i);
        write_text(dir / (folder + ".json"),
                   project_with(R"("box_Main": {"a": {"location_x": 5, "location_y": 5, "visible_height": 1,
                                "call_name": ")" + labels[i] + "\"}}"));
        const RunResult run = run_program({"-j", folder + ".json", "-o", ".", "-m", "3", "-b", "50",
                                           "--components=false", "--outline=false", "--vectorizer", "builtin",
                                           "--font-file", dejavu_bold, "--keep-files"},
                                          dir.path());
        ASSERT_EQ(run.status, 0) << run.err;
        plain.push_back(dir / folder / "box_Main.svg");
    }
    convert_with_inkscape(plain);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const InkComparison result = compare_renderings(vector_path_for(plain[i]), inkscape_file_for(plain[i]));
        EXPECT_GT(result.inked, 0) << labels[i];
        EXPECT_LE(result.share(), 0.03) << labels[i] << ": " << result.differ << " of " << result.inked
                                        << " inked pixels differ";
    }
}

// Without a usable font the labels cannot be drawn: the run says so, names the
// font and keeps the plain file; files without labels still convert.
TEST(BuiltinVectorizer, FontFailuresKeepThePlainFile) {
    TempDir fonts;
    write_text(fonts / "notes.ttf", "this is not a font at all, only some text\n");
    write_text(fonts / "cut.ttf", read_text(dejavu_bold).substr(0, 4096));
    write_text(fonts / "far.ttf", damaged_font(false));
    write_text(fonts / "self.ttf", damaged_font(true));
    write_text(fonts / "map.ttf", font_with_broken_character_map(true));
    write_text(fonts / "steps.ttf", font_with_broken_character_map(false));
    write_text(fonts / "fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    struct Case {
        std::string name;
        std::string font_file;       // --font-file, or "" for the system's font
        std::string fontconfig_file;  // FONTCONFIG_FILE, or ""
        std::string expected;         // in the failure line
        bool text = true;
    };
    const std::vector<Case> cases = {
        {"missing file", (fonts / "absent.ttf").string(), "", (fonts / "absent.ttf").string()},
        {"not a font", (fonts / "notes.ttf").string(), "", (fonts / "notes.ttf").string() + " is not a"},
        {"cut-off font", (fonts / "cut.ttf").string(), "", (fonts / "cut.ttf").string() + " is not a"},
        {"no system font", "", (fonts / "fonts.conf").string(), "sans-serif:bold"},
        {"glyphs past the end", (fonts / "far.ttf").string(), "", (fonts / "far.ttf").string() + " is damaged"},
        {"glyph holding itself", (fonts / "self.ttf").string(), "", (fonts / "self.ttf").string() + " is damaged"},
        {"unknown character map", (fonts / "map.ttf").string(), "", (fonts / "map.ttf").string() + " is damaged"},
        {"map groups past its end", (fonts / "steps.ttf").string(), "", (fonts / "steps.ttf").string() + " is damaged"},
        {"CFF outlines", (source_dir() / "tests/fonts/dejavu_cff_subset.otf").string(), "",
         "dejavu_cff_subset.otf cannot be used: CFF outlines are not supported"},
        // Found by the font fuzz target: encoding records past the file's end.
        {"character map cut short", (source_dir() / "tests/fonts/cmap_cut_short.ttf").string(), "",
         "cmap_cut_short.ttf is damaged: its table cmap is cut short"},
        {"kerning past the end", (source_dir() / "tests/fonts/kerning_outside.ttf").string(), "",
         "kerning_outside.ttf is damaged: its kerning reaches outside the file"},
        {"byte map longer than the file", (source_dir() / "tests/fonts/byte_map_too_long.ttf").string(), "",
         "byte_map_too_long.ttf is damaged: its character map"},
        {"segment map without segments", (source_dir() / "tests/fonts/map_without_segments.ttf").string(), "",
         "map_without_segments.ttf is damaged: its character map"},
        // The library looks past the points of a last contour that starts off the curve.
        {"lone off-curve point", (source_dir() / "tests/fonts/lone_off_curve_point.ttf").string(), "",
         "lone_off_curve_point.ttf is damaged: glyph 3"},
#ifdef __linux__
        // A file whose reading fails part way.
        {"unreadable font", "/proc/self/mem", "", "cannot read the font file /proc/self/mem"},
#endif
        {"no labels need no font", (fonts / "notes.ttf").string(), "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_text(dir / "box.json",
                   project_with(R"("box_Main": {"pot1": {"id": 0, "call_name": "Knob", "location_x": 3,
                    "location_y": 3, "drill_diameter": 0.7}})"));
        std::vector<std::string> args = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "--vectorizer",
                                         "builtin"};
        if (!c.font_file.empty()) args.insert(args.end(), {"--font-file", c.font_file});
        if (!c.text) args.push_back("--text=false");
#ifdef _WIN32
        // Windows has no fontconfig; its default font is a fixed path.
        if (!c.fontconfig_file.empty()) continue;
#else
        if (!c.fontconfig_file.empty()) setenv("FONTCONFIG_FILE", c.fontconfig_file.c_str(), 1);
#endif
        const RunResult run = run_program(args, dir.path());
#ifndef _WIN32
        setenv("FONTCONFIG_FILE", pinned_fontconfig_file().c_str(), 1);
#endif
        EXPECT_EQ(run.status, 0) << run.err;
        const fs::path plain = dir / "out" / "box" / "box_Main.svg";
        if (c.expected.empty()) {
            EXPECT_EQ(run.err, "");
            EXPECT_FALSE(fs::exists(plain));
            EXPECT_TRUE(fs::exists(vector_path_for(plain)));
            continue;
        }
        EXPECT_EQ(run.err.rfind("Vectorization failed: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("Vectorization success"), std::string::npos);
        EXPECT_TRUE(fs::exists(plain));
        EXPECT_FALSE(fs::exists(vector_path_for(plain)));
    }
}

// The option chooses the converter; with builtin no outside program runs and
// the console reads as with Inkscape.
TEST(BuiltinVectorizer, OptionReportAndConsoleLines) {
    TempDir dir;
    write_text(dir / "box.json", project_with(R"("box_Main": {}, "box_Top": {})"));
    const fs::path record = dir / "inkscape-ran";
    const fs::path fake = dir / "fake-inkscape.sh";
    write_text(fake, "#!/bin/sh\ntouch '" + record.string() + "'\n");
    fs::permissions(fake, fs::perms::owner_exec, fs::perm_options::add);
    const std::vector<std::string> base = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "50", "-i", fake.string()};

    std::vector<std::string> builtin = base;
    builtin.insert(builtin.end(), {"--vectorizer", "builtin", "--font-file", dejavu_bold});
    const RunResult run = run_program(builtin, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(fs::exists(record));
    EXPECT_NE(run.out.find("Inkscape path: " + fake.string() + "\nVectorizer: builtin\nFont file: " + dejavu_bold +
                           "\n======================\n"),
              std::string::npos)
        << run.out;
    for (const std::string section : {"box_Main", "box_Top"}) {
        EXPECT_NE(run.out.find("Creation of SVG for " + section + " successful.\nStarting vectorization for " +
                               section + ". This may take some time...\nVectorization success for " + section + ".\n"),
                  std::string::npos)
            << run.out;
        EXPECT_FALSE(fs::exists(dir / "out" / "box" / (section + ".svg")));
        EXPECT_TRUE(fs::exists(dir / "out" / "box" / (section + "_vector.svg")));
    }

    std::vector<std::string> unknown = base;
    unknown.insert(unknown.end(), {"--vectorizer", "potrace"});
    const RunResult refused = run_program(unknown, dir.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("vectorizer"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("potrace"), std::string::npos) << refused.err;

    // Named explicitly, the default changes nothing in the report.
    std::vector<std::string> inkscape = base;
    inkscape.insert(inkscape.end(), {"--vectorizer", "inkscape", "-s"});
    const RunResult simulated = run_program(inkscape, dir.path());
    EXPECT_EQ(simulated.status, 0);
    EXPECT_EQ(simulated.out.find("Vectorizer:"), std::string::npos);
    EXPECT_EQ(simulated.out.find("Font file:"), std::string::npos);
}
