#include "lightburn/drawing_exports.hpp"

#include "lightburn/lightburn_file.hpp"

PassExports::PassExports(const Arguments& args) : args_(args), font_(args) {
    if (args.lightburn && !args.lightburn_settings.empty()) {
        lightburn_settings_ = read_lightburn_settings(args.lightburn_settings);
    }
}

std::vector<std::unique_ptr<DrawingExport>> PassExports::for_drawing(const std::filesystem::path& svg_path) {
    std::vector<std::unique_ptr<DrawingExport>> exports;
    if (args_.simulate) return exports;
    if (args_.dxf) exports.push_back(std::make_unique<DxfOutput>(svg_path, font_));
    if (args_.lightburn) {
        exports.push_back(std::make_unique<LightBurnOutput>(
            svg_path, font_, layer_colour_indices(args_.engrave_color, args_.cut_color), lightburn_settings_));
    }
    return exports;
}

void feed_all(std::vector<std::unique_ptr<DrawingExport>>& exports, const std::string& svg) {
    for (auto& file : exports) file->feed(svg);
}

void commit_all(std::vector<std::unique_ptr<DrawingExport>>& exports, const std::string& name, RunContext& context,
                const Place& place) {
    for (auto& file : exports) file->commit(name, context, place);
}
