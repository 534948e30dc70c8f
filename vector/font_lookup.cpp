#include "vector/font_lookup.hpp"

#include "vector/glyphs.hpp"

#ifdef SVGGENERATOR_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>

#include <memory>
#endif

namespace fs = std::filesystem;

#ifdef SVGGENERATOR_HAVE_FONTCONFIG

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using Config = std::unique_ptr<FcConfig, ConfigDeleter>;

[[noreturn]] void fail(const char* request) {
    throw FontError(std::string("no font found for ") + request + " (fontconfig); name one with --font-file");
}

}  // namespace

// A configuration of its own, released after the look-up: fontconfig's shared
// one would live until the program ends.
fs::path find_label_font() {
    const char* request = "sans-serif:bold";
    Config config(FcInitLoadConfigAndFonts());
    Pattern pattern(FcNameParse(reinterpret_cast<const FcChar8*>(request)));
    if (!config || !pattern || !FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern)) {
        fail(request);
    }
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(config.get(), pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
        fail(request);
    }
    return fs::path(reinterpret_cast<const char*>(file));
}

#else

fs::path find_label_font() { return fs::path("C:\\Windows\\Fonts\\arialbd.ttf"); }

#endif
