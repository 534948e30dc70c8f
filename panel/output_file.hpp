#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "panel/drawing_sink.hpp"
#include "settings/utf8_path.hpp"

class ScratchGuard;

// A scratch file of this run in `folder`: a name no drawing can have, made
// unique by the process id, for "partial" drawings and captured output.
std::filesystem::path scratch_path(const std::filesystem::path& folder, const std::string& what);

// Creates the output folder with its parents. Throws RunError naming the folder.
void create_output_folder(const std::filesystem::path& folder);

// A drawing written piece by piece to a scratch file beside `path` and
// renamed to `path` only by commit(), once it is completely on disk. Until
// then an older file of that name stays as it was; destroyed without
// commit() (an error while drawing) it removes the scratch file, so a failed
// drawing leaves neither a torn file nor a lost one. The scratch file is
// opened by the first write. Errors throw RunError naming `path`.
class OutputFile : public DrawingSink {
public:
    explicit OutputFile(std::filesystem::path path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const std::string& text) override;
    void commit();

private:
    [[noreturn]] void fail(const std::string& reason);

    std::filesystem::path path_;
    std::filesystem::path partial_;
    std::ofstream file_;
    bool opened_ = false;
    // Removes the scratch file when the run is interrupted.
    std::unique_ptr<ScratchGuard> guard_;
};

// Writes the whole text to `path` through an OutputFile.
void write_output_file(const std::filesystem::path& path, const std::string& content);
