// Micro-benchmarks of the drawing's hot spots: number text, the two hatches
// and one whole section. Built by the "bench" preset, not part of the tests.
#include <benchmark/benchmark.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "panel/fixed_text.hpp"
#include "panel/frame.hpp"
#include "panel/hatching.hpp"
#include "run/draw_all.hpp"
#include "panel/vectorize.hpp"

namespace {

// Coordinates as a panel has them: px values up to a few thousand.
std::vector<float> coordinates() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> px(-200.0f, 3000.0f);
    std::vector<float> values(4096);
    for (float& v : values) v = px(random);
    return values;
}

void two_decimals(benchmark::State& state) {
    const auto values = coordinates();
    char text[max_two_decimals_chars];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(put_two_decimals(text, values[i++ & 4095]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(two_decimals);

// The library's general conversion, for comparison.
void two_decimals_to_chars(benchmark::State& state) {
    const auto values = coordinates();
    char text[max_two_decimals_chars];
    std::size_t i = 0;
    for (auto _ : state) {
        const double value = values[i++ & 4095];
        benchmark::DoNotOptimize(
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(two_decimals_to_chars);

// Items are hatch lines, counted in the last document drawn.
void report_lines(benchmark::State& state, const std::string& svg) {
    std::int64_t lines = 0;
    for (auto at = svg.find("<line "); at != std::string::npos; at = svg.find("<line ", at + 1)) ++lines;
    state.SetItemsProcessed(state.iterations() * lines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(svg.size()));
}

// A 3 cm circle at 10 lines per mm: about 300 lines.
void circle_hatch_3cm(benchmark::State& state) {
    const float step = hatch_step_px(10);
    const LaserStyle style;
    SectionDocument doc;
    for (auto _ : state) {
        doc.svg.clear();
        circle_hatch(doc, 1000.0f, 700.0f, 1.5f * cm_to_px, step, as_px, style);
        benchmark::DoNotOptimize(doc.svg.data());
    }
    report_lines(state, doc.svg);
}
BENCHMARK(circle_hatch_3cm);

// A 3 x 3 cm rectangle at 10 lines per mm, axis-aligned and turned.
void rectangle_hatch_3cm(benchmark::State& state) {
    const bool turned = state.range(0) != 0;
    const json object = json::parse(std::string(R"({"location_x": 20, "location_y": 15, "visible_width": 3,
        "visible_height": 3, "rotation": )") + (turned ? "30" : "0") + "}");
    const Component c = read_component("k", object, Place{"bench.json", "box_Main", {}});
    const float lines_per_mm = 10;
    const LaserStyle style;
    std::ostringstream console;
    SectionDocument doc;
    for (auto _ : state) {
        doc.svg.clear();
        console.str({});
        draw_recess(c, lines_per_mm, style, doc, console);
        benchmark::DoNotOptimize(doc.svg.data());
    }
    report_lines(state, doc.svg);
}
BENCHMARK(rectangle_hatch_3cm)->Arg(0)->Arg(1);

class NoCommands : public CommandRunner {
public:
    CommandResult run(const std::string&, const std::filesystem::path&) override { return {1, ""}; }
    void pause() override {}
};

// One section of 1,000 components with 2.5 cm recesses at 10 lines per mm,
// every layer on, drawn without writing it (simulation): reading the
// project, the components, hatches, labels and screws.
void whole_section(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "svggenerator-bench";
    std::filesystem::create_directories(folder);
    const std::filesystem::path project = folder / "section.json";
    {
        std::ofstream file(project);
        file << R"({"Generic": {"width": 60, "height": 40}, "box_Main": {)";
        for (int i = 0; i < 1000; ++i) {
            file << (i ? ", " : "") << "\"pot" << i << "\": {\"id\": " << i
                 << R"(, "call_name": "Knob", "location_x": )" << 2 + i % 40 * 1.4 << R"(, "location_y": )"
                 << 2 + i / 40 * 1.4 << R"(, "drill_diameter": 0.7, )"
                 << (i % 2 ? R"("visible_diameter": 2.5)" : R"("visible_width": 2.5, "visible_height": 2.5, "rotation": 90)")
                 << "}";
        }
        file << "}}";
    }
    Arguments args{};
    args.material_thickness = 3;
    args.box_height_3d = 400;
    args.font_size = 8;
    args.recess_lines_per_mm = 10;
    args.screw_size_top = 3;
    args.screw_head_diameter = 6;
    args.simulate = true;
    NoCommands commands;
    std::ostringstream console, errors;
    RunContext context{console, errors, commands};
    for (auto _ : state) {
        console.str({});
        draw_all(project.string(), (folder / "out").string(), true, true, true, true, 3, 0, 6, args, context);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(whole_section)->Unit(benchmark::kMillisecond);

}  // namespace
