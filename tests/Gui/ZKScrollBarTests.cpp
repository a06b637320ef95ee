// The scroll bar: where a click lands and what it posts, auto-repeat while held, incremental thumb drags
// with their limits, arrow keys, and the colours it draws by state.
#include "Gui/ZKScrollBar.h"

#include "GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::Posted;

// Light scheme colours of the slots the bar draws with.
constexpr ZKRGB kTrough{225, 238, 255};        // 6
constexpr ZKRGB kNormalFace{192, 219, 255};    // 23
constexpr ZKRGB kNormalEdge{150, 195, 255};    // 24
constexpr ZKRGB kHoveredFace{250, 245, 224};   // 26
constexpr ZKRGB kPressedFace{255, 189, 105};   // 32
constexpr ZKRGB kDisabledFace{230, 230, 230};  // 20

class ScrollBarTest : public GuiWindowTest {
protected:
    // 13 x 113: arrows 0..13 and 100..113, trough 13..100; with page 1/4 at 1/2 the thumb spans 57..79.
    //   y   0 +---+
    //       | ^ |
    //      13 +---+
    //       |   |   page step -1
    //      57 |###|
    //       |###|   thumb
    //      79 |###|
    //       |   |   page step +1
    //     100 +---+
    //       | v |
    //     113 +---+
    ZKScrollBar bar{false, 7};

    void SetUp() override {
        GuiWindowTest::SetUp();
        ASSERT_TRUE(bar.Create(parent, {20, 20, 33, 133}));
        bar.SetPageAndPosition(0.25, 0.5);
        Pump();
    }

    Point At(int y) const { return OnScreen(bar.Window(), 6, y); }
    Posted Notice(UINT message, LPARAM amount) const {
        return {message, reinterpret_cast<WPARAM>(&bar), amount};
    }
    Posted Activate() const { return {WMU_CONTROL_ACTIVATE, 7, reinterpret_cast<LPARAM>(&bar)}; }
    void Click(int y) {
        input::Click(input::Button::Left, At(y));
        Pump();
    }
};

TEST_F(ScrollBarTest, GeometryFollowsPageAndPositionWithRounding) {
    EXPECT_EQ((ZKScrollBar::Geometry{{0, 13, 13, 100}, {1, 57, 12, 79}}), bar.GeometryFor({0, 0, 13, 113}));
    // Twice the scale: arrows 26 long, thumb inset by 2 across.
    EXPECT_EQ((ZKScrollBar::Geometry{{0, 26, 26, 200}, {2, 113, 24, 157}}),
              bar.GeometryFor({0, 0, 26, 226}, 2, 2));
    ZKScrollBar horizontal(true);
    horizontal.SetPageAndPosition(0.5, 0.1);
    EXPECT_EQ((ZKScrollBar::Geometry{{13, 0, 87, 13}, {20, 1, 57, 12}}),
              horizontal.GeometryFor({0, 0, 100, 13}));
}

TEST_F(ScrollBarTest, ClicksPostTheStepOfWhereTheyLandAndAskForTheFocusFirst) {
    const struct {
        int y;
        UINT message;
        int amount;
    } cases[] = {{5, WMU_SCROLL_LINE, -1},
                 {30, WMU_SCROLL_PAGE, -1},
                 {90, WMU_SCROLL_PAGE, 1},
                 {105, WMU_SCROLL_LINE, 1}};
    for (const auto& c : cases) {
        Click(c.y);
        EXPECT_EQ((std::vector<Posted>{Activate(), Notice(c.message, c.amount)}), TakePosted())
            << "y " << c.y;
        EXPECT_EQ(0u, bar.Action());
    }
    // A click on the thumb is a drag that did not move.
    Click(60);
    EXPECT_EQ((std::vector<Posted>{Activate(), Notice(WMU_SCROLL_THUMB, 0), Notice(WMU_SCROLL_END, 0)}),
              TakePosted());
    EXPECT_EQ(0.5, bar.GetPosition());  // the parent moves the bar, not the click

    bar.FocusChanged(true);
    Click(105);
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_LINE, 1)}), TakePosted());

    bar.SetEnabled(false);
    Click(105);
    EXPECT_EQ(std::vector<Posted>{}, TakePosted());

    // With floating mouse focus, moving over a bar that is not focused asks for the focus.
    bar.SetEnabled(true);
    bar.FocusChanged(false);
    ZKControl::SetFloatingFocusSource([] { return true; });
    input::MouseMove(At(40));
    Pump();
    ZKControl::SetFloatingFocusSource(nullptr);
    EXPECT_EQ(std::vector<Posted>{Activate()}, TakePosted());
}

TEST_F(ScrollBarTest, HoldingAnArrowRepeatsAfterHalfASecondTenTimesASecondUntilReleased) {
    bar.FocusChanged(true);
    input::MouseMove(At(105));
    input::MouseDown(input::Button::Left, At(105));
    Pump();
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_LINE, 1)}), TakePosted());
    EXPECT_EQ(kPressedFace, PixelAt(bar.Window(), 2, 2));  // held: pressed colours

    RunFor(450);
    EXPECT_EQ(std::vector<Posted>{}, TakePosted());
    RunFor(320);  // 770 ms after the press: repeats at about 500, 600 and 700 ms
    const std::vector<Posted> repeats = TakePosted();
    EXPECT_GE(repeats.size(), 2u);
    EXPECT_LE(repeats.size(), 3u);
    for (const Posted& p : repeats)
        EXPECT_EQ(Notice(WMU_SCROLL_LINE, 1), p);

    input::MouseUp(input::Button::Left, At(105));
    Pump();
    TakePosted();
    RunFor(250);
    EXPECT_EQ(std::vector<Posted>{}, TakePosted());
    EXPECT_EQ(0u, bar.Action());
}

TEST_F(ScrollBarTest, DraggingTheThumbMovesItByTheMouseWithinTheTrough) {
    bar.FocusChanged(true);
    input::MouseMove(At(60));
    input::MouseDown(input::Button::Left, At(60));
    Pump();
    EXPECT_EQ(bar.Window(), GetCapture());
    TakePosted();

    input::MouseMove(At(70));  // thumb top 57 + 10 -> (67 - 13) / 87
    Pump();
    EXPECT_DOUBLE_EQ(54.0 / 87, bar.GetPosition());
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_THUMB, 10)}), TakePosted());

    input::MouseMove(At(300));  // far below the bar: the thumb stops at the end
    input::MouseMove(At(310));  // no further to go: nothing posted
    Pump();
    EXPECT_DOUBLE_EQ(0.75, bar.GetPosition());
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_THUMB, 230)}), TakePosted());

    input::MouseUp(input::Button::Left, At(310));
    Pump();
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_END, 10)}), TakePosted());
    EXPECT_FALSE(GetCapture());

    // The thumb now spans 78..100; dragged above the trough it stops at the top.
    input::MouseMove(At(90));
    input::MouseDown(input::Button::Left, At(90));
    input::MouseMove(At(-80));
    input::MouseUp(input::Button::Left, At(-80));
    Pump();
    EXPECT_EQ(0.0, bar.GetPosition());
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_THUMB, 0), Notice(WMU_SCROLL_THUMB, -170),
                                   Notice(WMU_SCROLL_END, -170)}),
              TakePosted());
}

TEST_F(ScrollBarTest, ArrowKeysAlongTheBarStepAndHidingResetsTheFractions) {
    EXPECT_TRUE(bar.KeyDown(VK_DOWN));
    EXPECT_TRUE(bar.KeyDown(VK_UP));
    EXPECT_FALSE(bar.KeyDown(VK_RIGHT));
    EXPECT_FALSE(bar.KeyDown(VK_NEXT));
    // The key as a message to the focused bar window.
    SetFocus(bar.Window());
    input::KeyPress(VK_DOWN);
    Pump();
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_SCROLL_LINE, 1), Notice(WMU_SCROLL_LINE, -1),
                                   Notice(WMU_SCROLL_LINE, 1)}),
              TakePosted());

    ZKScrollBar horizontal(true);
    ASSERT_TRUE(horizontal.Create(parent, {40, 20, 140, 33}));
    EXPECT_TRUE(horizontal.KeyDown(VK_LEFT));
    EXPECT_FALSE(horizontal.KeyDown(VK_DOWN));
    Pump();
    EXPECT_EQ((std::vector<Posted>{{WMU_SCROLL_LINE, reinterpret_cast<WPARAM>(&horizontal), -1}}),
              TakePosted());

    bar.SetEnabled(false);
    EXPECT_FALSE(bar.KeyDown(VK_DOWN));

    ShowWindow(bar.Window(), SW_HIDE);
    EXPECT_EQ(1.0, bar.GetPage());
    EXPECT_EQ(0.0, bar.GetPosition());
}

TEST_F(ScrollBarTest, ColoursFollowTheControlState) {
    EXPECT_EQ(kTrough, PixelAt(bar.Window(), 6, 30));
    EXPECT_EQ(kNormalFace, PixelAt(bar.Window(), 6, 68));
    EXPECT_EQ(kNormalEdge, PixelAt(bar.Window(), 2, 68));  // the thumb's face is inset by 1 and framed

    input::MouseMove(At(30));
    Pump();
    EXPECT_TRUE(bar.Hovered());
    EXPECT_EQ(kHoveredFace, PixelAt(bar.Window(), 6, 68));
    input::MouseMove(OnScreen(parent, 200, 200));
    Pump();
    EXPECT_FALSE(bar.Hovered());
    EXPECT_EQ(kNormalFace, PixelAt(bar.Window(), 6, 68));

    bar.SetEnabled(false);
    Pump();
    EXPECT_EQ(kDisabledFace, PixelAt(bar.Window(), 6, 68));
}

}  // namespace
