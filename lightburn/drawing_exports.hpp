#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dxf/drawing_export.hpp"
#include "dxf/dxf_file.hpp"
#include "lightburn/lightburn_settings.hpp"
#include "settings/arguments.hpp"

// The files a pass makes beside each drawing from its text: the DXF file
// with --dxf, the LightBurn project with --lightburn. One per pass: the
// labels' font is looked for once, the LightBurn settings read once.
class PassExports {
public:
    // Throws RunError when --lightburn-settings cannot be used.
    explicit PassExports(const Arguments& args);

    // The exports of the drawing written to `svg_path`; none in simulation.
    std::vector<std::unique_ptr<DrawingExport>> for_drawing(const std::filesystem::path& svg_path);

private:
    const Arguments& args_;
    DxfFont font_;
    LightBurnSettings lightburn_settings_;
};

// Hands every export the next piece of the drawing's text.
void feed_all(std::vector<std::unique_ptr<DrawingExport>>& exports, const std::string& svg);
// Once the drawing is on disk: writes every export's file.
void commit_all(std::vector<std::unique_ptr<DrawingExport>>& exports, const std::string& name, RunContext& context,
                const Place& place);
