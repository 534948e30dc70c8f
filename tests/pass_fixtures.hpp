#pragma once

#include <filesystem>
#include <string>

#include "panel/vectorize.hpp"
#include "settings/arguments.hpp"

// A command runner for passes that must not run any command.
class NoCommands : public CommandRunner {
public:
    CommandResult run(const std::string&, const std::filesystem::path&) override { return {1, "not expected"}; }
    void pause() override {}
};

// Settings of a simulated run without vectorization: 3 mm material, a 50 mm
// high box, 8 px labels, one recess line per mm, no screws.
inline Arguments simulation() {
    Arguments a{};
    a.material_thickness = 3;
    a.box_height_3d = 50;
    a.font_size = 8;
    a.recess_lines_per_mm = 1;
    a.simulate = true;
    a.vectorize = false;
    return a;
}
