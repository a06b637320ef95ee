#include "Gui/ZKFontSet.h"

#include <fontconfig/fontconfig.h>

#include <strings.h>
#include <filesystem>
#include <mutex>

namespace {

constexpr const char* kWineFontFolder = "/usr/share/wine/fonts";
constexpr const char* kWanted = "Tahoma";
constexpr const char* kFallback = "DejaVu Sans";

bool FontconfigHas(const char* family) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    bool found = false;
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        found = strcasecmp(reinterpret_cast<const char*>(name), family) == 0;
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

void AddWineFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        FcInit();
        std::error_code error;
        if (std::filesystem::is_directory(kWineFontFolder, error))
            FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8*>(kWineFontFolder));
    });
}

}  // namespace

std::string ZKFontSet::FamilyFor(const std::string& wanted) {
    AddWineFonts();
    return FontconfigHas(wanted.c_str()) ? wanted : kFallback;
}

const std::string& ZKFontSet::Family() {
    static const std::string family = FamilyFor(kWanted);
    return family;
}

ZKFontSet::ZKFontSet(int height) : height_(height) {
    const int heights[kCount] = {3 * height, 2 * height, height, height, height * 11 / 14};
    for (int i = 0; i < kCount; ++i) {
        Font& f = fonts_[i];
        f.height = heights[i];
        f.charWidth = f.height * 2 / 3;
        f.vertical = i == Vertical;
        f.description = pango_font_description_new();
        pango_font_description_set_family(f.description, Family().c_str());
        pango_font_description_set_weight(f.description, PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(f.description, PANGO_STYLE_NORMAL);
        // The height is the cell height (ascent + descent); the em of these faces is about 0.83 of it.
        pango_font_description_set_absolute_size(f.description, f.height * PANGO_SCALE * 83 / 100.0);
    }
}

ZKFontSet::~ZKFontSet() {
    for (Font& f : fonts_)
        pango_font_description_free(f.description);
}

const ZKFontSet& ZKFontSet::Screen() {
    static const ZKFontSet screen(14);
    return screen;
}
