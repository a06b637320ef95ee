// The message log: following the end on Update and AddLine but not on AddFormatted, the scroll bar that
// appears one row past a full window, scrolling and key limits, tab stops, and what the rows draw. A log's
// layout takes in only the rows appended since the last Update, so it is checked across batches, Clear and
// resizing.
#include "Gui/ZKListContainer.h"

#include "GuiWindowTest.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

constexpr ZKRGB kWhite{255, 255, 255};  // slot 5 in the light scheme
constexpr int kRow = 18;                // one line of text on the screen

class ListContainerTest : public GuiWindowTest {
protected:
    ZKListContainer log;

    // A 300 x `height` log; 100 shows five whole rows and part of a sixth.
    void Make(int height = 100) {
        ASSERT_TRUE(log.Create(parent, {10, 10, 310, 10 + height}));
        Pump();
    }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i)
            log.AddFormatted("Row %d", log.Rows().Count() + 1);
    }
    ZKListBoxBase& List() { return log.List(); }
    double Position() const { return log.List().ScrollBar().GetPosition(); }
    double End() const { return 1.0 - log.List().ScrollBar().GetPage(); }
    int Current() const { return log.Rows().Current(); }
    void Key(int vk) {
        SendMessage(List().Window(), WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
        Pump();
    }
    // The leftmost column at or right of `from` with ink (neither background nor the current row's frame)
    // in the row at `top`.
    int LeftmostInk(int top, int from = 0) const {
        const Shot shot(log.List().Window());
        for (int x = from; x < 300; ++x)
            for (int y = top + 2; y < top + kRow - 2; ++y)
                if (shot.At(x, y) != kWhite && shot.At(x, y) != ZKRGB{128, 128, 128}) return x;
        return -1;
    }
};

TEST_F(ListContainerTest, AnEmptyLogShowsOnlyTheBackgroundAndHasNoText) {
    Make();
    const Shot shot(log.List().Window());
    int other = 0;
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 100; ++y)
            other += shot.At(x, y) != kWhite;
    EXPECT_EQ(0, other);
    std::string text = "stale";
    EXPECT_FALSE(log.GetAllText(text));
    EXPECT_EQ("", text);
    EXPECT_FALSE(log.GetCurrentText(text));
    EXPECT_FALSE(List().ScrollBarShown());
}

TEST_F(ListContainerTest, UpdateFollowsTheEndAddFormattedKeepsTheViewAddLineJumpsBack) {
    Make();
    AddRows(40);
    EXPECT_FALSE(List().ScrollBarShown());  // nothing is laid out before Update
    log.Update();
    Pump();
    ASSERT_TRUE(List().ScrollBarShown());
    EXPECT_DOUBLE_EQ(100.0 / (40 * kRow), log.List().ScrollBar().GetPage());
    EXPECT_DOUBLE_EQ(End(), Position());
    EXPECT_EQ(39, Current());

    // The user scrolls up; more rows added without Update leave the view and the current row alone.
    List().ScrollRows(-10);
    const double scrolled = Position();
    EXPECT_NEAR(End() - 10.0 / 40, scrolled, 1e-9);
    AddRows(5);
    Pump();
    EXPECT_EQ(scrolled, Position());
    EXPECT_EQ(39, Current());

    // Update after the batch keeps the pixel offset, then brings the new last row into view.
    log.Update();
    EXPECT_EQ(45 * kRow, log.Rows().TotalSize().cy);
    EXPECT_DOUBLE_EQ(End(), Position());
    EXPECT_EQ(44, Current());
    int top = 0;
    EXPECT_EQ(45 - 100 / kRow - 1, List().FirstVisibleRow(&top));
    EXPECT_LE(top, 0);

    List().ScrollRows(-3);
    log.AddLine("$cgthe end");
    Pump();
    EXPECT_DOUBLE_EQ(End(), Position());
    std::string text;
    ASSERT_TRUE(log.GetCurrentText(text));
    EXPECT_EQ("$cgthe end", text);
}

TEST_F(ListContainerTest, OneRowMoreThanFitsShowsTheBarAtTheLeftAndMovesTheTextRight) {
    Make(5 * kRow);
    AddRows(5);
    log.Update();
    Pump();
    EXPECT_FALSE(List().ScrollBarShown());
    const int before = LeftmostInk(0);
    EXPECT_GE(before, 4);
    EXPECT_LT(before, 8);

    log.AddLine("Row 6");
    Pump();
    ASSERT_TRUE(List().ScrollBarShown());
    EXPECT_EQ((Rect{0, 0, 13, 5 * kRow}), GetWindowRect(log.List().ScrollBar().Window()).Offset(-110, -110));
    // The view follows the new last row: row 2 is now at the top.
    int top = -1;
    EXPECT_EQ(1, List().FirstVisibleRow(&top));
    EXPECT_EQ(0, top);
    EXPECT_EQ(before + 13, LeftmostInk(0, ZKScrollBar::kUnit));
}

TEST_F(ListContainerTest, ScrollingAndKeysStopAtTheEnds) {
    Make();
    AddRows(20);
    log.Refresh();  // first row current, view at the top
    Pump();
    EXPECT_EQ(0, Current());
    EXPECT_EQ(0.0, Position());

    // Wheel: one notch down scrolls the wheel step (100 / 18 / 8, at least one row).
    ASSERT_EQ(1, List().WheelStep());
    SendMessage(List().Window(), WM_MOUSEWHEEL, static_cast<WPARAM>(-WHEEL_DELTA) << 16, 0);
    EXPECT_DOUBLE_EQ(1.0 / 20, Position());
    SendMessage(List().Window(), WM_MOUSEWHEEL, static_cast<WPARAM>(2 * WHEEL_DELTA) << 16, 0);
    EXPECT_EQ(0.0, Position());
    // The bar's line and page steps, clamped at both ends.
    const auto bar = reinterpret_cast<WPARAM>(&log.List().ScrollBar());
    SendMessage(List().Window(), WMU_SCROLL_LINE, bar, -1);
    EXPECT_EQ(0.0, Position());
    SendMessage(List().Window(), WMU_SCROLL_PAGE, bar, 1);
    EXPECT_DOUBLE_EQ(100.0 / (20 * kRow), Position());
    for (int i = 0; i < 5; ++i)
        SendMessage(List().Window(), WMU_SCROLL_PAGE, bar, 1);
    EXPECT_DOUBLE_EQ(End(), Position());
    EXPECT_EQ(0, Current());  // view-only scrolling

    // Keys move the current row: a page is the five whole rows that fit.
    Key(VK_UP);
    EXPECT_EQ(0, Current());
    EXPECT_EQ(0.0, Position());  // the current row came back into view
    Key(VK_NEXT);
    EXPECT_EQ(5, Current());
    Key(VK_DOWN);
    EXPECT_EQ(6, Current());
    Key(VK_END);
    EXPECT_EQ(19, Current());
    EXPECT_DOUBLE_EQ(End(), Position());
    Key(VK_DOWN);
    Key(VK_NEXT);
    EXPECT_EQ(19, Current());
    Key(VK_PRIOR);
    EXPECT_EQ(14, Current());
    Key(VK_HOME);
    EXPECT_EQ(0, Current());
    EXPECT_EQ(0.0, Position());
}

TEST_F(ListContainerTest, RowsDrawTheirColoursAtTheirTabsAndSetTabsMovesEveryRow) {
    Make();
    log.AddFormatted("$crred$tafter tab");
    log.AddFormatted("%s", "one\nrow");  // the line feed is dropped
    log.AddLine("$cw50$");               // a stray "$" does not break the log
    Pump();
    std::string all;
    ASSERT_TRUE(log.GetAllText(all));
    EXPECT_EQ("$crred$tafter tab\nonerow\n$cw50$\n", all);

    auto inkIn = [&](int x0, int x1, int top) {
        const Shot shot(log.List().Window());
        int red = 0, ink = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = top + 2; y < top + kRow - 2; ++y) {
                red += shot.At(x, y) == ZKRGB{192, 0, 0};
                ink += shot.At(x, y) != kWhite;
            }
        return std::pair{red, ink};
    };
    EXPECT_GT(inkIn(4, 30, 0).first, 0);     // "red" in red, from the inset
    EXPECT_EQ(0, inkIn(0, 4, 0).second);     // nothing left of the inset
    EXPECT_EQ(0, inkIn(60, 183, 0).second);  // nothing up to the tab at 180 + 4
    EXPECT_GT(inkIn(184, 200, 0).second, 0);
    EXPECT_GT(inkIn(4, 40, kRow).second, 0);  // "onerow" on the second row

    const int tab = 80;
    log.SetTabs(std::span(&tab, 1));
    Pump();
    EXPECT_GT(inkIn(84, 100, 0).second, 0);
    EXPECT_EQ(0, inkIn(150, 300, 0).second);
    EXPECT_EQ(std::vector<int>{80}, log.Tabs());
}

TEST_F(ListContainerTest, ClearEmptiesTheLogAndItsView) {
    Make();
    AddRows(30);
    log.UpdateAndRedraw();
    Pump();
    log.ClearAndRedraw();
    Pump();
    EXPECT_EQ(0, log.Rows().Count());
    EXPECT_EQ(ZKListBoxContents::kNone, Current());
    EXPECT_FALSE(List().ScrollBarShown());
    EXPECT_EQ(kWhite, PixelAt(log.List().Window(), 20, 8));
}

TEST_F(ListContainerTest, EachBatchExtendsTheLayoutAndClearStartsItAgain) {
    Make();
    AddRows(3);
    log.Update();
    Pump();  // the three rows are drawn and so measured
    EXPECT_EQ(3 * kRow, log.Rows().TotalSize().cy);
    EXPECT_FALSE(List().ScrollBarShown());

    AddRows(40);
    log.Update();
    Pump();
    EXPECT_EQ(43 * kRow, log.Rows().TotalSize().cy);
    ASSERT_TRUE(List().ScrollBarShown());
    EXPECT_DOUBLE_EQ(100.0 / (43 * kRow), log.List().ScrollBar().GetPage());
    EXPECT_DOUBLE_EQ(End(), Position());
    EXPECT_EQ(43 - 100 / kRow - 1, List().FirstVisibleRow());
    std::string text;
    ASSERT_TRUE(log.GetCurrentText(text));
    EXPECT_EQ("Row 43", text);

    log.Clear();
    AddRows(2);
    log.Update();
    Pump();
    EXPECT_EQ(2 * kRow, log.Rows().TotalSize().cy);
    EXPECT_FALSE(List().ScrollBarShown());
    EXPECT_EQ(1, Current());

    // A font change may change every row's height: the next layout measures them all again.
    log.Remeasure();
    log.Update();
    EXPECT_EQ(2 * kRow, log.Rows().TotalSize().cy);
}

TEST_F(ListContainerTest, ResizingShowsOrHidesTheBarForAllRowsLaidOutSoFar) {
    Make();
    AddRows(10);
    log.Update();
    Pump();
    ASSERT_TRUE(List().ScrollBarShown());  // 180 pixels of rows in 100

    MoveWindow(log.Window(), 10, 10, 300, 200);
    Pump();
    EXPECT_FALSE(List().ScrollBarShown());
    AddRows(1);
    log.Update();
    EXPECT_FALSE(List().ScrollBarShown());  // 198 pixels fit
    AddRows(1);
    log.Update();
    Pump();
    ASSERT_TRUE(List().ScrollBarShown());
    EXPECT_DOUBLE_EQ(200.0 / (12 * kRow), log.List().ScrollBar().GetPage());

    MoveWindow(log.Window(), 10, 10, 300, 100);
    Pump();
    EXPECT_DOUBLE_EQ(100.0 / (12 * kRow), log.List().ScrollBar().GetPage());
    EXPECT_DOUBLE_EQ(End(), Position());  // the current last row stays in view
    EXPECT_GE(LeftmostInk(100 - kRow, ZKScrollBar::kUnit), ZKScrollBar::kUnit + 4);
}

TEST_F(ListContainerTest, RowsAppendedSelectedOrFlashingCountAtTheNextUpdate) {
    Make();
    AddRows(3);
    log.Update();
    Pump();
    auto alarm = std::make_unique<ZKRichTextListItem>("alarm", log.Tabs());
    alarm->SetSelected(true);
    alarm->SetFlashing(true);
    log.Rows().Append(std::move(alarm));
    log.Update();
    EXPECT_FALSE(log.Rows().At(3).Selected());  // the log keeps no selection

    // The new row flashes: its second look (slot 7) shows within a second.
    log.List().SetCurrent(0);
    const ZKRGB second{190, 220, 255};
    auto flashOn = [&] { return PixelAt(log.List().Window(), 150, 3 * kRow + 9) == second; };
    RunFor(1000, flashOn);
    EXPECT_TRUE(flashOn());
}

}  // namespace
