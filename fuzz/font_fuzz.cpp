// Feeds arbitrary bytes as the label font to the builtin converter: a label
// document with plain text, kerned pairs, a ligature and characters outside
// the usual ranges, at each anchor and baseline the labels use.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "vector/builtin_vectorizer.hpp"
#include "vector/glyphs.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path& font_path() {
    static const fs::path path = fs::temp_directory_path() / ("svggenerator-font-fuzz-" + std::to_string(getpid()));
    return path;
}

struct RemoveAtExit {
    ~RemoveAtExit() {
        std::error_code ignored;
        fs::remove(font_path(), ignored);
    }
} remove_at_exit;

const std::string labels =
    "<svg><style>text { font-size: 8.00px; }</style>"
    "<text x=\"10\" y=\"20\">Knob 1 fi AV To</text>"
    "<text x=\"10\" y=\"40\" text-anchor=\"middle\" dominant-baseline=\"central\">Vol2 \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</text>"
    "<text x=\"10\" y=\"60\" text-anchor=\"end\">\xEF\xBF\xBF\x01 ffi</text>"
    "</svg>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(font_path(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::optional<LabelFont> font;
    const FontSource source = [&]() -> const LabelFont& {
        if (!font) font.emplace(font_path());
        return *font;
    };
    try {
        vectorize_document(labels, source);
    } catch (const std::runtime_error&) {
        // A font refused as unusable or damaged is the expected end for most inputs.
    }
    return 0;
}
