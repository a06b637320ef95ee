// Push buttons: the notices of a click, of a press that leaves before the release, of Space and of the
// right button; a disabled button ignoring everything; the repeat while held; flashing; the colours of every
// state as they reach the screen.
#include "Gui/ZKButton.h"

#include "GuiWindowTest.h"
#include "Platform/Input.h"
#include "Platform/ZKAssert.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::Posted;

// Light scheme.
constexpr ZKRGB kBlack{0, 0, 0};
constexpr ZKRGB kWhite{255, 255, 255};
constexpr ZKRGB kGrey{128, 128, 128};

// The top row of a gradient face is within a few steps of its first colour.
::testing::AssertionResult Near(ZKRGB want, ZKRGB got) {
    if (std::abs(want.r - got.r) + std::abs(want.g - got.g) + std::abs(want.b - got.b) <= 12)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << int(got.r) << "," << int(got.g) << "," << int(got.b) << " want " << int(want.r) << ","
           << int(want.g) << "," << int(want.b);
}

class ButtonTest : public GuiWindowTest {
protected:
    ZKButton button{"Connect", 'C', 9};

    void SetUp() override {
        GuiWindowTest::SetUp();
        ASSERT_TRUE(button.Create(parent, {20, 20, 120, 44}));
        Pump();
    }
    Point Inside() const { return OnScreen(button.Window(), 50, 12); }
    Point Outside() const { return OnScreen(parent, 300, 200); }
    Posted Notice(UINT message) const {
        return {message, 9, reinterpret_cast<LPARAM>(static_cast<const ZKControl*>(&button))};
    }
    int Count(UINT message) const {
        return static_cast<int>(std::count_if(posted.begin(), posted.end(),
                                              [message](const Posted& p) { return p.message == message; }));
    }
    ZKRGB Frame() const { return PixelAt(button.Window(), 0, 12); }
    ZKRGB FaceTop() const { return PixelAt(button.Window(), 2, 1); }
};

TEST_F(ButtonTest, AClickAsksForTheFocusAndPostsDownUpAndTheClick) {
    input::Click(input::Button::Left, Inside());
    Pump();
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_CONTROL_ACTIVATE), Notice(WMU_BUTTON_DOWN),
                                   Notice(WMU_BUTTON_UP), Notice(WMU_CONTROL_NOTIFY)}),
              TakePosted());
    EXPECT_TRUE(button.Hovered());
    EXPECT_FALSE(button.Down());

    input::Click(input::Button::Right, Inside());
    Pump();
    EXPECT_EQ((std::vector<Posted>{
                  {WMU_BUTTON_RCLICK, 0, reinterpret_cast<LPARAM>(static_cast<const ZKControl*>(&button))}}),
              TakePosted());
}

TEST_F(ButtonTest, PressingAndLeavingBeforeTheReleaseDoesNotClick) {
    input::MouseMove(Inside());
    input::MouseDown(input::Button::Left, Inside());
    input::MouseMove(Outside());
    input::MouseUp(input::Button::Left, Outside());
    Pump();
    EXPECT_EQ(
        (std::vector<Posted>{Notice(WMU_CONTROL_ACTIVATE), Notice(WMU_BUTTON_DOWN), Notice(WMU_BUTTON_UP)}),
        TakePosted());
    EXPECT_FALSE(button.Hovered());
    EXPECT_FALSE(button.Pressed());
}

TEST_F(ButtonTest, SpaceDrawsItDownAtOnceClicksAndComesUpAfterHalfASecond) {
    SendMessage(button.Window(), WM_CHAR, ' ', 0);
    EXPECT_TRUE(button.Down());
    EXPECT_EQ(ZKGDI::Colour(ZKColourContext{}, 34), Frame()) << "drawn pressed before any paint message";
    Pump();
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_BUTTON_DOWN), Notice(WMU_CONTROL_NOTIFY)}), TakePosted());
    RunFor(1000, [&] { return !posted.empty(); });
    EXPECT_EQ(std::vector<Posted>{Notice(WMU_BUTTON_UP)}, TakePosted());
    EXPECT_FALSE(button.Down());
}

TEST_F(ButtonTest, ADisabledButtonIgnoresTheMouseSpaceAndPressesAndLooksDisabled) {
    button.SetEnabled(false);
    input::Click(input::Button::Left, Inside());
    input::Click(input::Button::Right, Inside());
    Pump();
    SendMessage(button.Window(), WM_CHAR, ' ', 0);
    button.Press();
    Pump();
    EXPECT_TRUE(posted.empty());
    EXPECT_FALSE(button.Hovered());
    EXPECT_EQ((ZKButton::Colours{{230, 230, 230}, {192, 192, 192}, kGrey, kGrey}), button.CurrentColours());
    EXPECT_EQ(kGrey, Frame());
}

TEST_F(ButtonTest, EveryStateDrawsItsThreeColours) {
    struct Case {
        const char* state;
        std::function<void()> enter;
        ZKRGB faceTop, frame;
    };
    const Case cases[] = {
        {"normal", [] {}, {192, 219, 255}, {101, 147, 207}},
        {"hovered", [&] { input::MouseMove(Inside()); }, {250, 245, 224}, {233, 195, 160}},
        {"pressed",
         [&] { input::MouseDown(input::Button::Left, Inside()); },
         {255, 189, 105},
         {251, 140, 60}},
        {"focused",
         [&] {
             input::MouseUp(input::Button::Left, Inside());
             input::MouseMove(Outside());
             button.FocusChanged(true);
         },
         {255, 245, 204},
         {255, 189, 105}},
        // Another window active: the dialog counts as inactive.
        {"inactive",
         [&] {
             SetActiveWindow(HWND());
             button.Invalidate();
         },
         {230, 230, 230},
         kGrey},
    };
    for (const Case& c : cases) {
        c.enter();
        Pump();
        EXPECT_TRUE(Near(c.faceTop, FaceTop())) << c.state;
        EXPECT_EQ(c.frame, Frame()) << c.state;
        EXPECT_EQ(kBlack, button.CurrentColours().text) << c.state;
    }
}

TEST_F(ButtonTest, AHeldRepeatButtonClicksAfterHalfASecondThenEveryTenthOfASecond) {
    button.SetRepeat(true);
    input::MouseMove(Inside());
    input::MouseDown(input::Button::Left, Inside());
    RunFor(400);
    EXPECT_EQ(0, Count(WMU_CONTROL_NOTIFY)) << "no click before half a second";
    const auto start = std::chrono::steady_clock::now();
    RunFor(2000, [&] { return Count(WMU_CONTROL_NOTIFY) == 1; });
    RunFor(2000, [&] { return Count(WMU_CONTROL_NOTIFY) == 3; });
    const auto twoRepeats = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(3, Count(WMU_CONTROL_NOTIFY));
    EXPECT_GE(twoRepeats, std::chrono::milliseconds(190)) << "one click every 100 ms";
    input::MouseUp(input::Button::Left, Inside());
    Pump();
    EXPECT_EQ(4, Count(WMU_CONTROL_NOTIFY)) << "and one at the release";
    EXPECT_EQ(1, Count(WMU_BUTTON_UP));
}

TEST_F(ButtonTest, FlashingAlternatesTheFlashLookAndKeepsItsFirstColour) {
    button.SetFlash(true, 37);  // warning colour, far from the black text
    button.SetFlash(true, 38);  // ignored: already flashing
    EXPECT_EQ(37, button.FlashSlot());
    Pump();
    const ZKRGB warning{255, 128, 0};
    EXPECT_EQ((ZKButton::Colours{warning, warning, kBlack, kBlack}), button.CurrentColours());
    EXPECT_EQ(warning, FaceTop());
    EXPECT_EQ(1, button.FlashPhase());
    RunFor(2000, [&] { return button.FlashPhase() == 0; });
    Pump();
    EXPECT_TRUE(Near({192, 219, 255}, FaceTop())) << "the normal look between two flashes";
    RunFor(2000, [&] { return button.FlashPhase() == 1; });
    button.SetFlash(false);
    EXPECT_EQ(0, button.FlashPhase());

    // Red is within 256 of the black text: text and frame turn to the background colour.
    button.SetFlash(true, 38);
    const ZKRGB red{192, 0, 0};
    EXPECT_EQ((ZKButton::Colours{red, red, kWhite, kWhite}), button.CurrentColours());
}

TEST_F(ButtonTest, PreferredSizeIsTheTextPlusMarginsAndABitmapButtonHasNoText) {
    ZKBitmap scratch(1, 1);
    const ZKDC dc(scratch);
    const Size text = dc.TextExtent("Connect", ZKFontSet::Normal);
    EXPECT_EQ(Size(text.cx + 10, text.cy + 5), button.PreferredSize());
    EXPECT_EQ("NOT SET UP", ZKButton().Text());

    auto bitmap = std::make_shared<ZKBitmap>(16, 12);
    ZKButton icon(bitmap, 'X');
    ASSERT_TRUE(icon.Create(parent, {200, 20, 220, 36}));
    EXPECT_EQ(Size(18, 14), icon.PreferredSize());
    const unsigned long before = AssertReportCount();
    icon.SetText("text", 't');
    EXPECT_EQ(before + 1, AssertReportCount());
    EXPECT_EQ("", icon.Text());
}

}  // namespace
