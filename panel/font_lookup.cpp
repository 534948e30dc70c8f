#include "panel/font_lookup.hpp"

#include "panel/glyphs.hpp"

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

}  // namespace

fs::path find_label_font() {
    const char* request = "sans-serif:bold";
    Pattern pattern(FcNameParse(reinterpret_cast<const FcChar8*>(request)));
    if (!pattern || !FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) {
        throw FontError(std::string("no font found for ") + request + " (fontconfig); name one with --font-file");
    }
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
        throw FontError(std::string("no font found for ") + request + " (fontconfig); name one with --font-file");
    }
    return fs::path(reinterpret_cast<const char*>(file));
}

#else

fs::path find_label_font() { return fs::path("C:\\Windows\\Fonts\\arialbd.ttf"); }

#endif
