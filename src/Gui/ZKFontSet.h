#pragma once
// The toolkit's five fonts for one device: huge (3 h), large (2 h), normal (h), vertical (h, at 90 degrees)
// and small (h * 11 / 14), all "Tahoma" at normal weight. The screen's set (h = 14) is process-wide.
//
// Tahoma is looked up through fontconfig, with Debian's Wine font folder added when it exists; without it
// the set falls back to "DejaVu Sans".

#include <pango/pango.h>

#include <array>
#include <string>

class ZKFontSet {
public:
    enum Which { Huge, Large, Normal, Vertical, Small, kCount };

    struct Font {
        int height = 0;     // cell height in pixels
        int charWidth = 0;  // nominal character width: two thirds of the height
        bool vertical = false;
        PangoFontDescription* description = nullptr;
    };

    explicit ZKFontSet(int height = 14);
    ~ZKFontSet();
    ZKFontSet(const ZKFontSet&) = delete;
    ZKFontSet& operator=(const ZKFontSet&) = delete;

    const Font& Get(Which which) const { return fonts_[which]; }
    int Height() const { return height_; }

    static const ZKFontSet& Screen();
    // The family the fonts use: "Tahoma" when fontconfig has it, otherwise the fallback.
    static const std::string& Family();
    // `wanted` when fontconfig has that family (with the Wine font folder added), otherwise the fallback.
    static std::string FamilyFor(const std::string& wanted);

private:
    int height_;
    std::array<Font, kCount> fonts_{};
};
