#pragma once

#include <filesystem>
#include <string>

// A path from UTF-8 text. Options, project keys and everything the program
// prints are UTF-8 on every platform (on Windows by the code page that the
// program's manifest sets), but MinGW's path(std::string) reads its text in
// the C library's locale, which turns "grün" into "grÃ¼n".
inline std::filesystem::path utf8_path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
