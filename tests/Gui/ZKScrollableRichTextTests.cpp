// The scrollable rich-text view: when the bar shows and how the text wraps beside it, scrolling by the bar's
// steps, drags and keys within the limits, back to the top on every re-layout, and what reaches the screen.
#include "Gui/ZKScrollableRichText.h"

#include "Gui/ZKBackgroundProvider.h"
#include "GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

constexpr ZKRGB kWhite{255, 255, 255};  // slot 5 in the light scheme
constexpr int h = 14;

std::string Lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += (i > 1 ? "$n" : "") + std::string("Line ") + std::to_string(i);
    return text;
}

class ScrollableRichTextTest : public GuiWindowTest {
protected:
    std::unique_ptr<ZKScrollableRichText> view;

    // A 200 x 100 view: seven lines fit, eight do not.
    void Make(const std::string& text, ZKBackgroundProvider* background = nullptr) {
        view = std::make_unique<ZKScrollableRichText>(text, background);
        ASSERT_TRUE(view->Create(parent, {10, 10, 210, 110}));
        Pump();
    }
    HWND View() const { return view->Window(); }
    HWND Bar() const { return view->ScrollBar().Window(); }

    // The leftmost column at or right of `from` with anything but background on it; -1 for none.
    int LeftmostInk(int from) const {
        const Shot shot(View());
        for (int x = from; x < 200; ++x)
            for (int y = 0; y < 100; ++y)
                if (shot.At(x, y) != kWhite) return x;
        return -1;
    }
    // The screen shows the back buffer everywhere beside the bar.
    void ExpectScreenIsBackBuffer() const {
        const Shot shot(View());
        int differing = 0;
        for (int x = ZKScrollBar::kUnit; x < 200; ++x)
            for (int y = 0; y < 100; ++y)
                differing += shot.At(x, y) != view->Bitmap().Pixel(x, y);
        EXPECT_EQ(0, differing);
    }
    void ClickBar(int y) {
        input::Click(input::Button::Left, OnScreen(Bar(), 6, y));
        Pump();
    }
};

TEST_F(ScrollableRichTextTest, OneLineTooManyShowsTheBarAtTheLeftAndWrapsTheTextBesideIt) {
    Make(Lines(7));  // fits: no bar, drawn from the left edge
    EXPECT_FALSE(view->ScrollBarShown());
    EXPECT_EQ(7 * h, view->WrappedExtent().cy);
    EXPECT_EQ((Point{0, 0}), view->TextOrigin());
    EXPECT_LT(LeftmostInk(0), 4);
    EXPECT_GE(LeftmostInk(0), 0);

    // The last line is 188..200 px wide: it fits the window but not the 187 px beside the bar.
    ZKBitmap scratch(1, 1);
    ZKDC dc(scratch);
    ZKRichText probe;
    std::string last = "mm mm mm mm mm mm";
    for (probe.Measure(dc, last); probe.Extent().cx <= 187; probe.Measure(dc, last))
        last += "i";
    ASSERT_LE(probe.Extent().cx, 200);

    view->SetText(Lines(7) + "$n" + last);
    Pump();
    ASSERT_TRUE(view->ScrollBarShown());
    EXPECT_EQ((Rect{0, 0, 13, 100}), GetWindowRect(Bar()).Offset(-110, -110));
    EXPECT_EQ(9 * h, view->WrappedExtent().cy);  // eight lines, the last one wrapped
    EXPECT_LE(view->WrappedExtent().cx, 187);
    EXPECT_DOUBLE_EQ(100.0 / (9 * h), view->ScrollBar().GetPage());
    EXPECT_EQ(0.0, view->ScrollBar().GetPosition());
    EXPECT_EQ((Point{13, 0}), view->TextOrigin());
    const int ink = LeftmostInk(ZKScrollBar::kUnit);
    EXPECT_GE(ink, 13);
    EXPECT_LT(ink, 17);
    ExpectScreenIsBackBuffer();
}

TEST_F(ScrollableRichTextTest, TheBarScrollsByLinesPagesKeysAndDragsWithinTheText) {
    Make(Lines(30));  // 420 px in 100: page 100 / 420
    const double page = 100.0 / (30 * h);
    ASSERT_DOUBLE_EQ(page, view->ScrollBar().GetPage());

    ClickBar(5);  // up from the top: stays
    EXPECT_EQ(0.0, view->ScrollBar().GetPosition());
    ClickBar(95);  // one tenth of a page down
    EXPECT_DOUBLE_EQ(page / 10, view->ScrollBar().GetPosition());
    EXPECT_EQ((Point{13, -10}), view->TextOrigin());
    ExpectScreenIsBackBuffer();

    view->ScrollBar().KeyDown(VK_DOWN);
    Pump();
    EXPECT_DOUBLE_EQ(2 * page / 10, view->ScrollBar().GetPosition());

    // Page steps from the trough below the thumb stop at the end.
    for (int i = 0; i < 5; ++i)
        ClickBar(84);
    EXPECT_DOUBLE_EQ(1 - page, view->ScrollBar().GetPosition());
    EXPECT_EQ(-static_cast<int>(30 * h * (1 - page)), view->TextOrigin().y);
    // The last line now ends at the bottom edge (within the pixel that truncation costs).
    EXPECT_NEAR(100, 30 * h + view->TextOrigin().y, 1);
    ExpectScreenIsBackBuffer();

    // Dragging the thumb to the top scrolls back to the first line.
    const Point thumb = OnScreen(Bar(), 6, 80);
    input::MouseMove(thumb);
    input::MouseDown(input::Button::Left, thumb);
    input::MouseMove({thumb.x, thumb.y - 200});
    input::MouseUp(input::Button::Left, {thumb.x, thumb.y - 200});
    Pump();
    EXPECT_EQ(0.0, view->ScrollBar().GetPosition());
    EXPECT_EQ((Point{13, 0}), view->TextOrigin());
    ExpectScreenIsBackBuffer();
}

TEST_F(ScrollableRichTextTest, NewTextOrANewSizeStartsAtTheTopAgain) {
    Make(Lines(30));
    ClickBar(84);
    ASSERT_GT(view->ScrollBar().GetPosition(), 0.0);
    view->SetText(Lines(20));
    EXPECT_EQ(0.0, view->ScrollBar().GetPosition());
    EXPECT_DOUBLE_EQ(100.0 / (20 * h), view->ScrollBar().GetPage());

    ClickBar(84);
    ASSERT_GT(view->ScrollBar().GetPosition(), 0.0);
    MoveWindow(View(), 10, 10, 200, 140);
    Pump();
    EXPECT_EQ(0.0, view->ScrollBar().GetPosition());
    EXPECT_DOUBLE_EQ(140.0 / (20 * h), view->ScrollBar().GetPage());
    EXPECT_EQ((Rect{0, 0, 13, 140}), GetWindowRect(Bar()).Offset(-110, -110));

    // Tall enough for all: the bar goes and the text moves back to the left edge.
    MoveWindow(View(), 10, 10, 200, 20 * h);
    Pump();
    EXPECT_FALSE(view->ScrollBarShown());
    EXPECT_EQ((Point{0, 0}), view->TextOrigin());
}

TEST_F(ScrollableRichTextTest, EmptyAndMalformedTextsShowWhatTheyCan) {
    Make("");
    EXPECT_FALSE(view->ScrollBarShown());
    EXPECT_EQ((Size{0, 0}), view->WrappedExtent());
    EXPECT_EQ(-1, LeftmostInk(0));

    // A stray "$" at the end and a second justification that only fails when laid out: shown as plain text.
    view->SetText("costs 5$");
    Pump();
    EXPECT_EQ(h, view->WrappedExtent().cy);
    EXPECT_GE(LeftmostInk(0), 0);
    view->SetText("$jcA$jrB$n$$");
    Pump();
    EXPECT_EQ(2 * h, view->WrappedExtent().cy);
    EXPECT_GE(LeftmostInk(0), 0);
}

// Paints red left of x 60 and blue from there, in its own client coordinates.
struct SplitBackground : ZKBackgroundProvider {
    std::vector<Rect> asked;
    void PaintBackground(ZKDC& dc, const Rect& rect) override {
        asked.push_back(rect);
        dc.FillRect({0, 0, 60, 300}, {255, 0, 0});
        dc.FillRect({60, 0, 400, 300}, {0, 0, 255});
    }
};

TEST_F(ScrollableRichTextTest, TheViewShowsItsProvidersBackgroundAndLetsTheMouseThrough) {
    SplitBackground background;
    Make("x", &background);
    ASSERT_FALSE(background.asked.empty());
    EXPECT_EQ((Rect{10, 10, 210, 110}), background.asked.back());
    const Shot shot(View());
    EXPECT_EQ((ZKRGB{255, 0, 0}), shot.At(49, 90));  // parent x 59
    EXPECT_EQ((ZKRGB{0, 0, 255}), shot.At(50, 90));  // parent x 60

    input::Click(input::Button::Left, OnScreen(View(), 100, 50));
    Pump();
    EXPECT_EQ(std::vector<Point>{(Point{110, 60})}, parentClicks);
}

}  // namespace
