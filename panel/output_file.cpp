#include "panel/output_file.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include "panel/errors.hpp"
#include "panel/interrupts.hpp"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

long process_id() { return static_cast<long>(getpid()); }

}  // namespace

fs::path scratch_path(const fs::path& folder, const std::string& what) {
    return folder / (".svggenerator-" + std::to_string(process_id()) + "." + what);
}

void create_output_folder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        throw RunError("cannot create the output folder \"" + folder.string() + "\": " + ec.message());
    }
    if (!fs::is_directory(folder, ec)) {
        throw RunError("cannot create the output folder \"" + folder.string() + "\": a file of that name is in the way");
    }
}

OutputFile::OutputFile(fs::path path) : path_(std::move(path)) {}

OutputFile::~OutputFile() {
    if (opened_) {
        file_.close();
        std::error_code ignored;
        fs::remove(partial_, ignored);
    }
}

void OutputFile::fail(const std::string& reason) {
    throw RunError("cannot write the output file \"" + path_.string() + "\": " + reason);
}

void OutputFile::write(const std::string& text) {
    if (!opened_) {
        // A short name of its own, so that the longest names still fit and no
        // file of the user's is mistaken for it.
        partial_ = scratch_path(path_.parent_path(), "partial");
        guard_ = std::make_unique<ScratchGuard>(partial_);
        // A leftover of an interrupted run goes first, link or file, so the
        // write below never follows it somewhere else.
        std::error_code stale;
        fs::remove(partial_, stale);
        file_.open(partial_, std::ios::trunc);
        opened_ = true;
    }
    if (file_) {
        file_.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    if (!file_) {
        fail(std::strerror(errno));
    }
}

void OutputFile::commit() {
    write({});
    file_.close();
    if (!file_) {
        fail(std::strerror(errno));
    }
    std::error_code ec;
    fs::rename(partial_, path_, ec);
    if (ec) {
        fail(ec.message());
    }
    opened_ = false;
    guard_.reset();
}

void write_output_file(const fs::path& path, const std::string& content) {
    OutputFile file(path);
    file.write(content);
    file.commit();
}
