#include "Gui/ZKGDI.h"

#include <algorithm>
#include <mutex>

#include "Platform/ZKAssert.h"

namespace {

struct SlotColours {
    ZKRGB dark;
    ZKRGB light;
};

// clang-format off
constexpr SlotColours kSlots[ZKGDI::kSlotCount] = {
    {{255, 255, 255}, {0, 0, 0}},       {{160, 160, 160}, {128, 128, 128}}, {{255, 255, 255}, {0, 0, 0}},
    {{96, 96, 96}, {192, 192, 192}},    {{255, 255, 255}, {0, 0, 0}},       {{0, 0, 0}, {255, 255, 255}},
    {{32, 32, 32}, {225, 238, 255}},    {{64, 64, 64}, {190, 220, 255}},    {{255, 0, 0}, {255, 0, 0}},
    {{255, 255, 0}, {255, 128, 0}},     {{32, 32, 32}, {224, 224, 224}},    {{64, 64, 64}, {192, 192, 192}},
    {{144, 144, 144}, {128, 128, 128}}, {{80, 0, 0}, {192, 219, 255}},      {{160, 0, 0}, {101, 147, 207}},
    {{255, 0, 0}, {65, 95, 153}},       {{48, 0, 0}, {232, 242, 255}},      {{64, 0, 0}, {214, 232, 255}},
    {{192, 0, 0}, {65, 95, 153}},       {{32, 32, 32}, {246, 246, 246}},    {{64, 64, 64}, {230, 230, 230}},
    {{96, 96, 96}, {192, 192, 192}},    {{128, 128, 128}, {128, 128, 128}}, {{64, 0, 0}, {192, 219, 255}},
    {{128, 0, 0}, {150, 195, 255}},     {{192, 0, 0}, {101, 147, 207}},     {{64, 32, 64}, {250, 245, 224}},
    {{112, 48, 96}, {241, 221, 176}},   {{160, 64, 128}, {233, 195, 160}},  {{64, 64, 128}, {255, 245, 204}},
    {{96, 96, 192}, {255, 219, 117}},   {{128, 128, 255}, {255, 189, 105}}, {{160, 32, 128}, {255, 189, 105}},
    {{192, 64, 192}, {251, 151, 66}},   {{255, 96, 255}, {251, 140, 60}},   {{0, 255, 0}, {0, 128, 0}},
    {{0, 255, 255}, {0, 0, 255}},       {{255, 255, 0}, {255, 128, 0}},     {{255, 0, 0}, {192, 0, 0}},
    {{0, 255, 0}, {0, 128, 0}},         {{0, 255, 255}, {0, 0, 255}},       {{160, 192, 0}, {0, 160, 100}},
    {{160, 192, 192}, {0, 100, 255}},   {{255, 255, 255}, {0, 0, 0}},       {{255, 255, 0}, {255, 128, 0}},
    {{0, 255, 255}, {0, 128, 128}},     {{0, 255, 0}, {0, 128, 0}},         {{255, 255, 255}, {0, 0, 0}},
    {{255, 0, 0}, {192, 0, 0}},         {{128, 128, 128}, {128, 128, 128}}, {{0, 255, 0}, {0, 128, 0}},
    {{255, 0, 0}, {160, 0, 0}},         {{255, 64, 0}, {230, 0, 0}},        {{255, 128, 0}, {255, 92, 0}},
    {{255, 255, 0}, {255, 150, 0}},     {{0, 255, 0}, {0, 128, 0}},         {{0, 0, 255}, {0, 0, 160}},
    {{0, 64, 255}, {0, 0, 255}},        {{0, 128, 255}, {0, 128, 255}},     {{0, 255, 255}, {0, 200, 255}},
    {{0, 255, 255}, {0, 200, 255}},     {{0, 192, 255}, {0, 164, 255}},     {{0, 128, 255}, {0, 128, 255}},
    {{0, 96, 255}, {0, 64, 255}},       {{0, 64, 255}, {0, 0, 255}},        {{0, 32, 255}, {0, 0, 208}},
    {{0, 0, 255}, {0, 0, 160}},         {{42, 0, 213}, {42, 0, 150}},       {{85, 0, 171}, {85, 0, 139}},
    {{128, 0, 128}, {128, 0, 128}},     {{170, 0, 86}, {138, 0, 86}},       {{212, 0, 43}, {149, 0, 43}},
    {{255, 0, 0}, {160, 0, 0}},         {{255, 32, 0}, {195, 0, 0}},        {{255, 64, 0}, {230, 0, 0}},
    {{255, 96, 0}, {242, 46, 0}},       {{255, 128, 0}, {255, 92, 0}},      {{255, 191, 0}, {255, 121, 0}},
    {{255, 255, 0}, {255, 150, 0}},
};
// clang-format on

constexpr int kWarningSlot = 37;
constexpr ZKRGB kColourBlindDark{255, 128, 255};
constexpr ZKRGB kColourBlindLight{160, 64, 160};

std::mutex g_sourceLock;
std::function<ZKSchemeOptions()> g_source;

// Scales a value by the printable length when it exceeds the page length (integer steps, multiplication
// first).
int FitToPage(int value, int lengthMm, int pageMm) {
    return lengthMm > pageMm ? value * lengthMm / pageMm : value;
}

}  // namespace

void ZKGDI::SetOptionsSource(std::function<ZKSchemeOptions()> source) {
    std::lock_guard lock(g_sourceLock);
    g_source = std::move(source);
}

ZKSchemeOptions ZKGDI::CurrentOptions() {
    std::function<ZKSchemeOptions()> source;
    {
        std::lock_guard lock(g_sourceLock);
        source = g_source;
    }
    return source ? source() : ZKSchemeOptions{};
}

ZKColourScheme ZKGDI::SchemeFor(const ZKColourContext& context, const ZKSchemeOptions& options) {
    if (context.printer) return ZKColourScheme::Printer;
    return options.blackOnWhite ? ZKColourScheme::Light : ZKColourScheme::Dark;
}

ZKRGB ZKGDI::Colour(const ZKColourContext& context, int slot) {
    const ZKSchemeOptions options = CurrentOptions();
    return Colour(SchemeFor(context, options), options.colourBlind, slot);
}

ZKRGB ZKGDI::Colour(ZKColourScheme scheme, bool colourBlind, int slot) {
    if (slot < 0 || slot >= kSlotCount) {
        // Reported under the unit name the colour table has always had.
        zk::ReportAssertion("Common/ZKGDI.cpp", __LINE__, "slot >= 0 && slot < kSlotCount");
        slot = 2;
    }
    const bool dark = scheme == ZKColourScheme::Dark;
    if (slot == kWarningSlot && colourBlind) return dark ? kColourBlindDark : kColourBlindLight;
    return dark ? kSlots[slot].dark : kSlots[slot].light;
}

ZKDeviceMetrics ZKGDI::DeviceMetrics(int pixelsPerInchX, int pixelsPerInchY, int widthPixels,
                                     int heightPixels) {
    ZKDeviceMetrics m;
    if (pixelsPerInchX <= 0 || pixelsPerInchY <= 0) return m;
    const int heightMm = heightPixels * 254 / (pixelsPerInchY * 10);
    const int widthMm = widthPixels * 254 / (pixelsPerInchX * 10);
    const bool portrait = heightPixels > widthPixels;
    const bool landscape = widthPixels > heightPixels;
    m.fontHeight = pixelsPerInchY * 14 / 72 / 2;
    m.scaleY = 2 * pixelsPerInchY / 72 / 3;
    m.scaleX = 2 * pixelsPerInchX / 72 / 3;
    if (portrait) {
        m.fontHeight = FitToPage(m.fontHeight, heightMm, 297);
        m.scaleY = FitToPage(m.scaleY, heightMm, 297);
        m.scaleX = FitToPage(m.scaleX, widthMm, 210);
    } else if (landscape) {
        m.fontHeight = FitToPage(m.fontHeight, heightMm, 210);
        m.scaleY = FitToPage(m.scaleY, heightMm, 210);
        m.scaleX = FitToPage(m.scaleX, widthMm, 297);
    }
    m.scaleX = std::max(m.scaleX, 1);
    m.scaleY = std::max(m.scaleY, 1);
    return m;
}
