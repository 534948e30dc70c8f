#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "dxf/drawing_export.hpp"
#include "dxf/dxf_file.hpp"
#include "lightburn/lbrn_drawing.hpp"
#include "lightburn/lightburn_settings.hpp"

// The drawing's file name with ".svg" replaced by ".lbrn2", in the same folder.
std::filesystem::path lightburn_path_for(const std::filesystem::path& svg_path);

// The LightBurn project beside one drawing (see DrawingExport).
class LightBurnOutput : public DrawingExport {
public:
    LightBurnOutput(const std::filesystem::path& svg_path, DxfFont& font, std::array<int, 3> colour_indices,
                    const LightBurnSettings& settings);

private:
    std::string convert(std::string_view svg) override;
    std::string finish() override;

    LightBurnDrawing drawing_;
};
