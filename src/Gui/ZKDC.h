#pragma once
// The drawing context every toolkit drawing call takes: a cairo context with the toolkit's fonts, scale
// factors and colour context. Shapes are drawn without anti-aliasing so that one-pixel lines and frames are
// crisp; text is anti-aliased. Text is 8-bit (Windows-1252).
//
// ZKBitmap is an off-screen surface: a double buffer, a PNG loaded from a file or from memory.

#include <cairo.h>

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "Gui/ZKFontSet.h"
#include "Gui/ZKGDI.h"
#include "Platform/Geometry.h"
#include "Platform/Window.h"

class ZKBitmap {
public:
    ZKBitmap(int width, int height);
    ~ZKBitmap();
    ZKBitmap(const ZKBitmap&) = delete;
    ZKBitmap& operator=(const ZKBitmap&) = delete;

    // Nothing when the data is not a PNG.
    static std::unique_ptr<ZKBitmap> FromPngFile(const std::string& path);
    static std::unique_ptr<ZKBitmap> FromPngData(std::span<const unsigned char> data);
    bool SavePng(const std::string& path) const;

    int Width() const;
    int Height() const;
    ZKRGB Pixel(int x, int y) const;  // for tests and checks
    cairo_surface_t* Surface() const { return surface_; }

private:
    explicit ZKBitmap(cairo_surface_t* surface) : surface_(surface) {}
    cairo_surface_t* surface_;
};

// Pixels per inch and size in pixels of a drawing device; the screen's are 96 dpi.
struct ZKDeviceResolution {
    int dpiX = 96;
    int dpiY = 96;
    int widthPixels = 0;
    int heightPixels = 0;
};

class ZKDC {
public:
    enum class Align { Left, Right };

    using Resolution = ZKDeviceResolution;

    // A context at the screen's resolution uses the screen's fonts and scale 1; any other resolution (a
    // printer) gets its own font set and scale factors.
    explicit ZKDC(cairo_t* cr, ZKColourContext colours = {}, Resolution resolution = {});
    explicit ZKDC(ZKBitmap& bitmap);
    // Draws into a window between BeginPaint and EndPaint; the context must end before EndPaint.
    explicit ZKDC(const zk::PAINTSTRUCT& ps, ZKColourContext colours = {});
    ~ZKDC();
    ZKDC(const ZKDC&) = delete;
    ZKDC& operator=(const ZKDC&) = delete;

    cairo_t* Cairo() const { return cr_; }
    const ZKFontSet& Fonts() const { return *fonts_; }
    int ScaleX() const { return scaleX_; }
    int ScaleY() const { return scaleY_; }
    const ZKColourContext& ColourContext() const { return colours_; }
    ZKRGB Colour(int slot) const { return ZKGDI::Colour(colours_, slot); }

    zk::Size TextExtent(const std::string& text, ZKFontSet::Which font) const;
    // Left alignment puts the text's left edge at x, right alignment its right edge. `underline` is the
    // index of the character to underline (the access letter), or -1.
    void TextOut(int x, int y, const std::string& text, ZKFontSet::Which font, ZKRGB colour,
                 Align align = Align::Left, int underline = -1);

    void FillRect(const zk::Rect& r, ZKRGB colour);
    void FrameRect(const zk::Rect& r, ZKRGB colour);  // one-pixel frame inside r
    // A line from `from` up to but not including `to`, `width` pixels wide.
    void Line(zk::Point from, zk::Point to, ZKRGB colour, int width = 1);
    void Ellipse(const zk::Rect& r, std::optional<ZKRGB> fill, std::optional<ZKRGB> pen);
    void GradientFill(const zk::Rect& r, ZKRGB from, ZKRGB to, bool vertical);
    // The 8x8 pattern brush of alternating pixels.
    void FillCheckerboard(const zk::Rect& r, ZKRGB even, ZKRGB odd);
    // Draws a bitmap with its top-left at `at`; pixels of the transparent colour are left out.
    void DrawBitmap(const ZKBitmap& bitmap, zk::Point at, std::optional<ZKRGB> transparent = std::nullopt);
    void BitBlt(const zk::Rect& dst, const ZKDC& src, zk::Point srcOrigin);
    void StretchBlt(const zk::Rect& dst, const ZKDC& src, const zk::Rect& srcRect);

private:
    PangoLayout* Layout(const std::string& text, ZKFontSet::Which font) const;

    cairo_t* cr_;
    bool ownsCairo_ = false;
    ZKColourContext colours_;
    std::unique_ptr<ZKFontSet> ownFonts_;
    const ZKFontSet* fonts_;
    int scaleX_ = 1;
    int scaleY_ = 1;
};

// A context for measuring text and layouts outside a paint: the screen's fonts and scale on a one-pixel
// scratch surface.
struct ZKMeasuringDC {
    ZKBitmap bitmap{1, 1};
    ZKDC dc{bitmap};
};
