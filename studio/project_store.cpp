#include "studio/project_store.hpp"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "panel/errors.hpp"
#include "panel/output_file.hpp"
#include "panel/project.hpp"
#include "settings/utf8_path.hpp"

namespace {

// The bytes of the file; nothing when there is none.
std::optional<std::string> file_bytes(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(utf8_path(path), ec)) return std::nullopt;
    if (std::filesystem::file_size(utf8_path(path), ec) > max_project_bytes) {
        fail_at(Place{path, {}, {}}, "", "the file is larger than 16 MiB; no box design is that large");
    }
    std::ifstream file(utf8_path(path), std::ios::binary);
    if (!file) fail_at(Place{path, {}, {}}, "", "cannot open the file");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::string text_etag(const std::string& text) {
    // FNV-1a over the bytes, 64 bits: only a change from outside is sought.
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char ch : text) {
        hash ^= ch;
        hash *= 1099511628211ull;
    }
    const char* const digits = "0123456789abcdef";
    std::string etag(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) etag[static_cast<std::size_t>(i)] = digits[hash & 0xF];
    return etag;
}

std::string current_etag(const std::string& path) {
    const auto bytes = file_bytes(path);
    return bytes ? text_etag(*bytes) : std::string();
}

ProjectFile read_project_file(const std::string& path) {
    ProjectFile file;
    const auto bytes = file_bytes(path);
    if (!bytes) {
        file.project = {{"Generic", {{"width", 20}, {"height", 10}}}, {"box_Main", nlohmann::ordered_json::object()}};
        return file;
    }
    // The checks of a run first (size, depth, JSON, an object at the top).
    load_project(path);
    file.exists = true;
    file.etag = text_etag(*bytes);
    file.project = nlohmann::ordered_json::parse(*bytes);
    return file;
}

std::string save_project_file(const std::string& path, const nlohmann::ordered_json& project,
                              const std::string& loaded_etag) {
    const std::string now = current_etag(path);
    if (now != loaded_etag) throw SaveConflict(now);
    const std::string text = project.dump(4) + "\n";
    write_output_file(utf8_path(path), text);
    // On Windows the file holds "\r\n" where the text has "\n"; the etag is
    // the file's.
    return current_etag(path);
}
