#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "dxf/svg_shapes.hpp"

// The machine settings of one LightBurn layer, as the project file writes
// them: its own names (speed, maxPower, ...) and values, in the order given.
using LayerValues = std::vector<std::pair<std::string, std::string>>;

// What --lightburn-settings gives each layer: engraving, inner cuts and
// outlines. A layer left out keeps LightBurn's defaults.
struct LightBurnSettings {
    std::array<LayerValues, 3> layers;
    const LayerValues& of(ShapeRole role) const { return layers[static_cast<std::size_t>(role)]; }
};

// Reads a JSON object such as
//   {"engrave": {"speed": 300, "power": 20}, "inner_cuts": {...}, "outlines": {...}}
// with, per layer, "speed" (mm/s), "power" and "min_power" (%) and "passes".
// Throws RunError naming the file, the layer and the key on anything else.
LightBurnSettings read_lightburn_settings(const std::string& file);
