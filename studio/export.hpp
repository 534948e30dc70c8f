#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "parts/library.hpp"
#include "studio/studio_settings.hpp"

struct ExportResult {
    std::vector<std::string> files;  // written into the output folder, by name
    std::string command;             // the command line that writes the same files
    int failed_vectorizations = 0;
};

// Writes the files of a whole run for `project` with `settings` into the
// output folder, with the command line's own passes (normal or separate
// files, sheets, DXF, conversion). The project is drawn as given; the command
// line writes the same files once it is saved. Messages of the run (a failed
// conversion) go to `err`. Throws RunError and SettingError.
ExportResult export_project(const StudioStart& start, const nlohmann::json& project, const nlohmann::json& settings,
                            const PartLibrary& parts, std::ostream& err);
