#include "parts/location.hpp"

#include <system_error>

#include "settings/windows_api.hpp"

namespace fs = std::filesystem;

fs::path program_file(const char* argv0) {
    std::error_code ec;
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size()) {
        buffer.resize(length);
        return fs::path(buffer);
    }
#else
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty()) return self;
#endif
    if (argv0 == nullptr) return {};
    fs::path given = fs::path(std::u8string(argv0, argv0 + std::char_traits<char>::length(argv0)));
    fs::path absolute = fs::absolute(given, ec);
    return ec ? given : absolute;
}

std::vector<fs::path> shipped_library_places(const fs::path& program) {
    const fs::path folder = program.parent_path();
    return {folder / "parts.json", folder / ".." / "share" / "svggenerator" / "parts.json"};
}

PartLibrary load_run_library(const fs::path& program, const std::string& user_file) {
    PartLibrary library;
    for (const fs::path& place : shipped_library_places(program)) {
        std::error_code ec;
        if (fs::is_regular_file(place, ec)) {
            const std::u8string text = place.lexically_normal().u8string();
            library = read_part_library(std::string(text.begin(), text.end()));
            break;
        }
    }
    if (!user_file.empty()) {
        add_parts(library, read_part_library(user_file));
    }
    return library;
}
