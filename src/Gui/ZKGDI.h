#pragma once
// Colours and device metrics of the toolkit's drawing. Colours are asked for by slot number (0..78) and come
// from the dark scheme, the light (black-on-white) scheme, or the printer scheme; the colour-blind option
// turns the warning yellow of slot 37 into a magenta tone. Nothing should cache a colour across a redraw:
// the scheme may change between two paints.

#include <cstdint>
#include <functional>

struct ZKRGB {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const ZKRGB&, const ZKRGB&) = default;
};

// Whether a drawing context is a printer.
struct ZKColourContext {
    bool printer = false;
};

enum class ZKColourScheme { Dark, Light, Printer };

// The two display options the colours depend on.
struct ZKSchemeOptions {
    bool blackOnWhite = true;
    bool colourBlind = false;
};

// Printer metrics: the font height and the scale factors for a device whose resolution differs from the
// screen's.
struct ZKDeviceMetrics {
    int fontHeight = 14;
    int scaleX = 1;
    int scaleY = 1;
    bool OwnFontSet() const { return fontHeight != 14; }
    friend bool operator==(const ZKDeviceMetrics&, const ZKDeviceMetrics&) = default;
};

class ZKGDI {
public:
    static constexpr int kSlotCount = 79;

    // Where the colour lookup reads the display options; without a source: light scheme, no colour-blind.
    static void SetOptionsSource(std::function<ZKSchemeOptions()> source);
    static ZKSchemeOptions CurrentOptions();

    static ZKColourScheme SchemeFor(const ZKColourContext& context, const ZKSchemeOptions& options);
    // Colour of a slot in the context's scheme under the current options. A slot outside 0..78 is an
    // internal error and gives the colour of slot 2.
    static ZKRGB Colour(const ZKColourContext& context, int slot);
    static ZKRGB Colour(ZKColourScheme scheme, bool colourBlind, int slot);

    // pixelsPerInch and sizes in device pixels (horizontal, vertical).
    static ZKDeviceMetrics DeviceMetrics(int pixelsPerInchX, int pixelsPerInchY, int widthPixels,
                                         int heightPixels);
};
