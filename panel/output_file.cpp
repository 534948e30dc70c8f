#include "panel/output_file.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "panel/errors.hpp"

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

fs::path utf8_path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

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

void write_output_file(const fs::path& path, const std::string& content) {
    // A short name of its own, so that the longest names still fit and no
    // file of the user's is mistaken for it.
    const fs::path partial = scratch_path(path.parent_path(), "partial");
    // A leftover of an interrupted run goes first, link or file, so the
    // write below never follows it somewhere else.
    std::error_code stale;
    fs::remove(partial, stale);
    {
        std::ofstream file(partial, std::ios::trunc);
        if (file) {
            file.write(content.data(), static_cast<std::streamsize>(content.size()));
            file.close();
        }
        if (!file) {
            const std::string reason = std::strerror(errno);
            std::error_code ignored;
            fs::remove(partial, ignored);
            throw RunError("cannot write the output file \"" + path.string() + "\": " + reason);
        }
    }
    std::error_code ec;
    fs::rename(partial, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw RunError("cannot write the output file \"" + path.string() + "\": " + ec.message());
    }
}
