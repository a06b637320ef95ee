#include "Gui/ZKDC.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Platform/MessageLoop.h"
#include "support/TestSupport.h"

namespace {

constexpr ZKRGB kWhite{255, 255, 255};
constexpr ZKRGB kBlack{0, 0, 0};
constexpr ZKRGB kRed{255, 0, 0};

// Pixels of a colour inside a rectangle of the bitmap.
int Count(const ZKBitmap& b, ZKRGB colour, zk::Rect r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += b.Pixel(x, y) == colour;
    return n;
}

class DCTest : public ::testing::Test {
protected:
    ZKBitmap bitmap{100, 60};
    ZKDC dc{bitmap};
    DCTest() { dc.FillRect({0, 0, 100, 60}, kWhite); }
};

TEST_F(DCTest, LinesAndFramesHitExactPixels) {
    // ..........
    // .RRRRR....   a 5-pixel line from (1,1) to (6,1): the end point is left out
    // .R........   a vertical one down from (1,1) to (1,4)
    dc.Line({1, 1}, {6, 1}, kRed);
    dc.Line({1, 1}, {1, 4}, kRed);
    EXPECT_EQ(5, Count(bitmap, kRed, {0, 1, 100, 2}));
    EXPECT_EQ(kWhite, bitmap.Pixel(6, 1));
    EXPECT_EQ(3, Count(bitmap, kRed, {1, 0, 2, 60}));
    EXPECT_EQ(0, Count(bitmap, kRed, {0, 0, 100, 1}));  // nothing bleeds into the row above
    dc.FrameRect({20, 20, 30, 25}, kBlack);
    EXPECT_EQ(2 * 10 + 2 * 3, Count(bitmap, kBlack, {0, 0, 100, 60}));
    EXPECT_EQ(kWhite, bitmap.Pixel(21, 21));
    // No grey edge pixels anywhere: shapes are not anti-aliased.
    dc.Ellipse({40, 10, 80, 50}, kRed, kBlack);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const ZKRGB p = bitmap.Pixel(x, y);
            EXPECT_TRUE(p == kWhite || p == kBlack || p == kRed) << x << "," << y;
        }
    EXPECT_EQ(kRed, bitmap.Pixel(60, 30));
    EXPECT_EQ(kWhite, bitmap.Pixel(41, 11));  // outside the curve
}

TEST_F(DCTest, GradientsRunFromEdgeToEdgeAndTheCheckerboardAlternates) {
    dc.GradientFill({0, 0, 100, 10}, kBlack, kWhite, false);
    EXPECT_EQ(kBlack, bitmap.Pixel(0, 5));
    EXPECT_EQ(kWhite, bitmap.Pixel(99, 5));
    EXPECT_LT(bitmap.Pixel(30, 5).r, bitmap.Pixel(60, 5).r);
    dc.GradientFill({0, 10, 10, 20}, kRed, kBlack, true);
    EXPECT_EQ(kRed, bitmap.Pixel(5, 10));
    EXPECT_EQ(kBlack, bitmap.Pixel(5, 19));
    EXPECT_EQ(bitmap.Pixel(0, 15), bitmap.Pixel(9, 15));

    dc.FillCheckerboard({20, 20, 40, 40}, kBlack, kRed);
    EXPECT_EQ(kBlack, bitmap.Pixel(20, 20));
    EXPECT_EQ(kRed, bitmap.Pixel(21, 20));
    EXPECT_EQ(kRed, bitmap.Pixel(20, 21));
    EXPECT_EQ(200, Count(bitmap, kBlack, {20, 20, 40, 40}));
}

TEST_F(DCTest, TextIsMeasuredAndDrawnInTheNormalFont) {
    // Debian's fonts-wine brings a Tahoma; without it the fallback stands in.
    std::error_code error;
    if (std::filesystem::exists("/usr/share/wine/fonts/tahoma.ttf", error)) {
        EXPECT_EQ("Tahoma", ZKFontSet::Family());
    }
    EXPECT_EQ("DejaVu Sans", ZKFontSet::FamilyFor("No Such Family Anywhere"));
    const ZKFontSet& fonts = ZKFontSet::Screen();
    EXPECT_EQ(14, fonts.Get(ZKFontSet::Normal).height);
    EXPECT_EQ(42, fonts.Get(ZKFontSet::Huge).height);
    EXPECT_EQ(11, fonts.Get(ZKFontSet::Small).height);
    EXPECT_EQ(9, fonts.Get(ZKFontSet::Normal).charWidth);

    const zk::Size wide = dc.TextExtent("WWWW", ZKFontSet::Normal);
    const zk::Size narrow = dc.TextExtent("iiii", ZKFontSet::Normal);
    EXPECT_EQ(14, wide.cy);
    EXPECT_GT(wide.cx, narrow.cx);
    EXPECT_GT(dc.TextExtent("WWWW", ZKFontSet::Large).cx, wide.cx);
    EXPECT_EQ(0, dc.TextExtent("", ZKFontSet::Normal).cx);

    // Right alignment ends the text at x; nothing is drawn right of it.
    dc.TextOut(90, 5, "Hello", ZKFontSet::Normal, kBlack, ZKDC::Align::Right);
    int inked = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 91; x < 100; ++x)
            inked += bitmap.Pixel(x, y) != kWhite;
    EXPECT_EQ(0, inked);
}

TEST_F(DCTest, AnUnderlinedLetterAddsALineBelowIt) {
    ZKBitmap plain(100, 30);
    ZKBitmap marked(100, 30);
    for (auto* b : {&plain, &marked}) {
        ZKDC d(*b);
        d.FillRect({0, 0, 100, 30}, kWhite);
        d.TextOut(2, 2, "Exit", ZKFontSet::Normal, kBlack, ZKDC::Align::Left, b == &marked ? 1 : -1);
    }
    const int firstWidth = dc.TextExtent("E", ZKFontSet::Normal).cx;
    int differing = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (plain.Pixel(x, y) != marked.Pixel(x, y)) {
                ++differing;
                EXPECT_GE(x, 2 + firstWidth - 1);  // under the "x", not the "E"
            }
    EXPECT_GT(differing, 3);
}

TEST_F(DCTest, BitmapsRoundTripThroughPngAndKeepTheirTransparentColour) {
    zktest::TempDir dir;
    ZKBitmap icon(4, 4);
    {
        ZKDC d(icon);
        d.FillRect({0, 0, 4, 4}, ZKRGB{255, 0, 255});
        d.FillRect({1, 1, 3, 3}, kBlack);
    }
    ASSERT_TRUE(icon.SavePng(dir.File("icon.png")));
    auto loaded = ZKBitmap::FromPngFile(dir.File("icon.png"));
    ASSERT_TRUE(loaded);
    const std::string bytes = zktest::ReadWholeFile(dir.File("icon.png"));
    auto fromMemory =
        ZKBitmap::FromPngData(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(fromMemory);
    EXPECT_FALSE(ZKBitmap::FromPngData(std::span<const unsigned char>()));

    dc.DrawBitmap(*fromMemory, {10, 10}, ZKRGB{255, 0, 255});
    EXPECT_EQ(kWhite, bitmap.Pixel(10, 10));  // transparent corner
    EXPECT_EQ(kBlack, bitmap.Pixel(11, 11));

    // Copy and stretch between contexts.
    ZKBitmap target(20, 20);
    ZKDC t(target);
    t.FillRect({0, 0, 20, 20}, kWhite);
    ZKDC source(*loaded);
    t.BitBlt({0, 0, 4, 4}, source, {0, 0});
    EXPECT_EQ(kBlack, target.Pixel(1, 1));
    t.StretchBlt({8, 8, 16, 16}, source, {0, 0, 4, 4});  // twice the size
    EXPECT_EQ((ZKRGB{255, 0, 255}), target.Pixel(9, 9));
    EXPECT_EQ(kBlack, target.Pixel(10, 10));
    EXPECT_EQ(kBlack, target.Pixel(13, 13));
    EXPECT_EQ((ZKRGB{255, 0, 255}), target.Pixel(14, 14));
}

TEST(ZKDCPrinter, APrinterContextHasItsOwnFontsAndScale) {
    ZKBitmap page(10, 10);
    cairo_t* cr = cairo_create(page.Surface());
    {
        ZKDC printer(cr, ZKColourContext{true}, ZKDC::Resolution{600, 600, 4960, 7016});
        EXPECT_EQ(58, printer.Fonts().Height());
        EXPECT_EQ(5, printer.ScaleX());
        EXPECT_NE(&ZKFontSet::Screen(), &printer.Fonts());
        ZKDC screen(cr);
        EXPECT_EQ(&ZKFontSet::Screen(), &screen.Fonts());
        EXPECT_EQ(1, screen.ScaleY());
    }
    cairo_destroy(cr);
}

// A child window's paint lands at its place in the top-level surface, clipped to the child, crisp.
TEST(ZKDCWindow, APaintDrawsIntoTheWindowsSurfaceAtItsClientOrigin) {
    zk::WindowSystemScope scope{
        zk::WindowSystemOptions{{800, 600}, std::nullopt, zk::BackendChoice::Headless}};
    auto painter = [](ZKRGB frame) {
        return [frame](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
            if (m != zk::WM_PAINT) return zk::DefWindowProc(h, m, w, l);
            zk::PAINTSTRUCT ps;
            zk::BeginPaint(h, ps);
            {
                ZKDC dc(ps);
                dc.FillRect({-50, -50, 500, 500}, kWhite);  // far beyond the window: clipped
                dc.FrameRect(zk::GetClientRect(h), frame);
            }
            zk::EndPaint(h, ps);
            return 0;
        };
    };
    zk::WindowCreateParams p;
    p.style = zk::WS_POPUP | zk::WS_VISIBLE | zk::WS_CLIPCHILDREN;
    p.x = 50, p.y = 50, p.cx = 40, p.cy = 30;
    p.proc = painter(kBlack);
    const zk::HWND top = zk::CreateWindowEx(p);
    p.style = zk::WS_CHILD | zk::WS_VISIBLE;
    p.x = 10, p.y = 10, p.cx = 10, p.cy = 5;
    p.parent = top;
    p.proc = painter(kRed);
    zk::CreateWindowEx(p);
    ASSERT_TRUE(zk::PumpPendingMessages());

    // Read the window's pixels through a bitmap of the same size.
    ZKBitmap view(40, 30);
    cairo_surface_t* copy = zk::CopyWindowSurface(top);
    cairo_t* cr = cairo_create(view.Surface());
    cairo_set_source_surface(cr, copy, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(copy);
    EXPECT_EQ(2 * 40 + 2 * 28, Count(view, kBlack, {0, 0, 40, 30}));
    EXPECT_EQ(2 * 10 + 2 * 3, Count(view, kRed, {0, 0, 40, 30}));
    EXPECT_EQ(kRed, view.Pixel(10, 10));
    EXPECT_EQ(kRed, view.Pixel(19, 14));
    EXPECT_EQ(kWhite, view.Pixel(11, 11));
    EXPECT_EQ(kWhite, view.Pixel(20, 15));
}

}  // namespace
