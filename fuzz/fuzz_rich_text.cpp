// Parses arbitrary bytes as rich text, in multi-line and single-line mode, and lays each result out in a
// narrow and a wide rectangle, as the list rows and the text view do with whatever a device sends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Gui/ZKDC.h"
#include "Gui/ZKRichText.h"

// fontconfig and pango keep process-wide caches that they never free; they are not our leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libpango\nleak:libharfbuzz\nleak:libglib\nleak:libgobject\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every word is measured by pango; long inputs only slow the fuzzer down without new paths.
    if (size > 512) return 0;
    static ZKBitmap bitmap(8, 8);
    static ZKDC dc(bitmap);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::array<ZKRGB, 3> colours{ZKRGB{1, 2, 3}, ZKRGB{200, 0, 0}, ZKRGB{0, 0, 200}};
    const std::array tabs{30, 90, 180};

    for (bool singleLine : {false, true}) {
        ZKRichText rt;
        rt.SetColours(colours);
        rt.SetTabs(tabs);
        rt.SetSingleLine(singleLine);
        try {
            rt.Measure(dc, text);
        } catch (const ZKRichTextError&) {
            continue;
        }
        // Every parsed text that has tokens ends with a line break.
        if (!rt.Tokens().empty() && rt.Tokens().back().type != ZKRichText::TokenType::LineBreak) std::abort();
        for (int right : {5, 400}) {
            try {
                zk::Size extent;
                rt.Draw(dc, 0, 0, right, 100, &extent);
                if (extent.cx < 0 || extent.cy < 0) std::abort();
                rt.LayOut(dc, {0, 0, right, 100});
            } catch (const ZKRichTextError&) {
            }
        }
    }
    // Stripping never fails and never grows the text.
    if (ZKRichText::StripCodes(text).size() > text.size()) std::abort();
    return 0;
}
