#include "lightburn/lightburn_file.hpp"

namespace fs = std::filesystem;

fs::path lightburn_path_for(const fs::path& svg_path) {
    fs::path path = svg_path;
    return path.replace_extension(".lbrn2");
}

LightBurnOutput::LightBurnOutput(const fs::path& svg_path, DxfFont& font, std::array<int, 3> colour_indices,
                                 const LightBurnSettings& settings)
    : DrawingExport(lightburn_path_for(svg_path), "LightBurn project"),
      drawing_([&font]() -> const LabelFont& { return font.get(); }, colour_indices, settings) {}

std::string LightBurnOutput::convert(std::string_view svg) {
    drawing_.feed(svg);
    return {};
}

std::string LightBurnOutput::finish() { return drawing_.finish(); }
