// The double buffer: the bitmap's size as the window grows and one second after, paints from the bitmap,
// and the window's lifetime tied to the object.
#include "Gui/ZKDoubleBuffer.h"

#include <memory>

#include "GuiWindowTest.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

constexpr ZKRGB kLeft{200, 0, 0};
constexpr ZKRGB kRight{0, 0, 200};

// Paints the left half of the client red and the right half blue, and counts its paints.
class HalvesWindow : public ZKDoubleBuffer {
public:
    int paints = 0;
    std::vector<Rect> paintRects;
    std::vector<Size> resizes;

    void Resized(int, int width, int height) override { resizes.push_back({width, height}); }
    void Paint(ZKDC& dc, const Rect& rect) override {
        ++paints;
        paintRects.push_back(rect);
        dc.FillRect({rect.left, rect.top, rect.right / 2, rect.bottom}, kLeft);
        dc.FillRect({rect.right / 2, rect.top, rect.right, rect.bottom}, kRight);
    }
};

class DoubleBufferTest : public GuiWindowTest {
protected:
    HalvesWindow window;

    void SetUp() override {
        GuiWindowTest::SetUp();
        WindowCreateParams p;
        p.style = WS_CHILD | WS_VISIBLE;
        p.parent = parent;
        p.x = 10;
        p.y = 10;
        p.cx = 100;
        p.cy = 50;
        ASSERT_TRUE(window.Create(p));
    }
};

TEST_F(DoubleBufferTest, TheBitmapGrowsWithAMarginAndShrinksToTheWindowASecondAfterTheLastResize) {
    // Creation grew the 1 x 1 bitmap for 100 x 50, with 10 % to spare, and drew into it at once.
    EXPECT_EQ((Size{110, 55}), window.BitmapSize());
    EXPECT_EQ((Size{100, 50}), window.DrawnSize());
    EXPECT_EQ(std::vector<Size>{(Size{100, 50})}, window.resizes);
    ASSERT_EQ(1, window.paints);

    // Within the margin nothing is re-created; beyond it, the new size gets its own margin.
    MoveWindow(window.Window(), 10, 10, 105, 55);
    EXPECT_EQ((Size{110, 55}), window.BitmapSize());
    EXPECT_EQ(1, window.paints);
    MoveWindow(window.Window(), 10, 10, 111, 55);
    EXPECT_EQ((Size{122, 60}), window.BitmapSize());
    EXPECT_EQ(2, window.paints);
    EXPECT_EQ((Size{111, 55}), window.ClientSize());

    // One second after the last resize the bitmap fits the window exactly and the window is redrawn.
    RunFor(1500, [&] { return window.BitmapSize() == Size{111, 55}; });
    EXPECT_EQ((Size{111, 55}), window.BitmapSize());
    Pump();
    EXPECT_EQ(kRight, PixelAt(window.Window(), 110, 54));

    // After the shrink, one more pixel re-creates it 10 % larger again.
    MoveWindow(window.Window(), 10, 10, 112, 55);
    EXPECT_EQ((Size{123, 60}), window.BitmapSize());
}

TEST_F(DoubleBufferTest, PaintsComeFromTheBitmapRedrawnWholeUnlessTurnedOff) {
    Pump();
    int paints = window.paints;
    // Part of the window uncovered: still a full redraw, for the whole client rectangle.
    const Rect part{0, 0, 100, 10};
    InvalidateRect(window.Window(), &part, true);
    Pump();
    EXPECT_EQ(++paints, window.paints);
    EXPECT_EQ((Rect{0, 0, 100, 50}), window.paintRects.back());
    for (int y : {0, 25, 49})
        for (int x : {0, 49, 50, 99})
            EXPECT_EQ(window.Bitmap().Pixel(x, y), PixelAt(window.Window(), x, y)) << x << "," << y;
    EXPECT_EQ(1, SendMessage(window.Window(), WM_ERASEBKGND, 0, 0));  // nothing erased under the bitmap

    // Turned off, a partial paint copies the last drawing. After a shrink without repaint the drawing for
    // 100 px is squeezed into 50 px: the colour boundary moves from x 50 to x 25.
    window.SetRedrawOnEveryPaint(false);
    MoveWindow(window.Window(), 10, 10, 50, 50, false);
    ValidateRect(window.Window(), nullptr);
    InvalidateRect(window.Window(), &part, true);
    Pump();
    EXPECT_EQ(paints, window.paints);
    EXPECT_EQ(kLeft, PixelAt(window.Window(), 24, 5));
    EXPECT_EQ(kRight, PixelAt(window.Window(), 25, 5));
    // A paint of the whole client area draws afresh.
    InvalidateRect(window.Window(), nullptr, true);
    Pump();
    EXPECT_EQ(++paints, window.paints);
    EXPECT_EQ((Size{50, 50}), window.DrawnSize());
}

TEST_F(DoubleBufferTest, TheObjectOwnsItsWindowAndOutlivesItSafely) {
    auto other = std::make_unique<HalvesWindow>();
    WindowCreateParams p;
    p.style = WS_CHILD;
    p.parent = parent;
    p.cx = p.cy = 20;
    const HWND otherWindow = other->Create(p);
    ASSERT_TRUE(IsWindow(otherWindow));
    other.reset();
    EXPECT_FALSE(IsWindow(otherWindow));
    // The window destroyed first: the object forgets it and its own end does nothing more.
    DestroyWindow(window.Window());
    EXPECT_FALSE(window.Window());
}

}  // namespace
