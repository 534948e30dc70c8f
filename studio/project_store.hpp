#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

// The project file as the studio reads and writes it. The page gets the
// file's members in the file's order and sends them all back, so a save
// keeps every key, the ones the studio does not know included.

// The file changed on disk since the page loaded it.
class SaveConflict : public std::runtime_error {
public:
    explicit SaveConflict(std::string current)
        : std::runtime_error("the project file was changed by another program since it was loaded; reload it first"),
          current_etag(std::move(current)) {}
    std::string current_etag;
};

struct ProjectFile {
    bool exists = false;
    std::string etag;  // empty when there is no file yet
    nlohmann::ordered_json project;
};

// A fingerprint of the file's bytes, to notice changes from outside.
std::string text_etag(const std::string& text);

// The file's etag now, or empty when there is none. Throws RunError when it
// cannot be read.
std::string current_etag(const std::string& path);

// Reads the file; a missing one gives a new box: 20 x 10 cm with one empty
// face panel "box_Main". Throws RunError for a file that cannot be read or
// is no project.
ProjectFile read_project_file(const std::string& path);

// Writes `project` to the file through a scratch file renamed into place, so
// the file is either the old one or the new one, whole. Refuses, writing
// nothing, when the file's etag is no longer `loaded_etag`. Returns the new
// etag. Throws SaveConflict, or RunError when the file cannot be written.
std::string save_project_file(const std::string& path, const nlohmann::ordered_json& project,
                              const std::string& loaded_etag);
