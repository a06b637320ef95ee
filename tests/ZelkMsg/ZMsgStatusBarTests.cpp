// The status bar by its pixels: the lamp's colour in each connection state and blink phase, the device
// texts on the left only with a device, and the state texts.
#include "ZelkMsg/ZMsgStatusBar.h"

#include "Gui/GuiWindowTest.h"

namespace {

using zktest::GuiWindowTest;

constexpr int kWidth = 390;                // inside the 400-pixel parent
constexpr ZKRGB kDarkLamp{255, 255, 255};  // light scheme: slot 5, the window background
constexpr ZKRGB kYellow{255, 128, 0};      // slot 37
constexpr ZKRGB kRed{192, 0, 0};           // slot 38
constexpr ZKRGB kGreen{0, 128, 0};         // slot 35

class StatusBarTest : public GuiWindowTest {
protected:
    ZMsgConnectionStatus status;
    ZMsgStatusBar bar{[this] { return status; }};

    void SetUp() override {
        GuiWindowTest::SetUp();
        ASSERT_TRUE(bar.Create(parent, {0, 0, kWidth, ZMsgStatusBar::kHeight}));
        Pump();
    }
    void Show(int state, bool searching = false) {
        status.state = state;
        status.searching = searching;
        status.hasDevice = state != 0;
        bar.Invalidate();
        Pump();
    }
    // The right edge of the lamp (exclusive), 4 pixels left of the right-aligned state text.
    int LampRight() const {
        ZKBitmap scratch(1, 1);
        ZKDC dc(scratch);
        return kWidth - 8 - dc.TextExtent(status.StateText(), ZKFontSet::Normal).cx;
    }
    ZKRGB Lamp() const { return PixelAt(bar.Window(), LampRight() - 9, 13); }
    // Pixels other than the bar's background in the left half, where the device texts go.
    int LeftInk() const {
        const Shot shot(bar.Window());
        const ZKRGB background = shot.At(kWidth / 2, 1);
        int ink = 0;
        for (int x = 5; x < kWidth / 2; ++x)
            for (int y = 4; y < 22; ++y)
                ink += shot.At(x, y) != background;
        return ink;
    }
    void Blink(std::uintptr_t timer) {
        SendMessage(bar.Window(), zk::WM_TIMER, timer, 0);
        Pump();
    }
};

TEST_F(StatusBarTest, TheLampTakesTheColourOfEachStateWhileLit) {
    ASSERT_TRUE(bar.LampLit());
    Show(0, true);
    EXPECT_EQ(kYellow, Lamp());
    Show(1);
    EXPECT_EQ(kRed, Lamp());
    Show(2);
    EXPECT_EQ(kYellow, Lamp());
    Show(3);
    EXPECT_EQ(kGreen, Lamp());
    Show(0, false);
    EXPECT_EQ(kDarkLamp, Lamp());
}

TEST_F(StatusBarTest, LitForTheLongTimerDarkForTheShortOne) {
    Show(3);
    Blink(ZMsgStatusBar::kLitTimer);
    EXPECT_FALSE(bar.LampLit());
    EXPECT_EQ(kDarkLamp, Lamp());
    Blink(ZMsgStatusBar::kDarkTimer);
    EXPECT_TRUE(bar.LampLit());
    EXPECT_EQ(kGreen, Lamp());
}

// Between the lamp's right edge and the state text's left edge: four columns of bar background only.
TEST_F(StatusBarTest, TheLampKeepsItsGapToTheStateText) {
    for (const auto& [state, searching] :
         {std::pair{0, true}, {0, false}, {1, false}, {2, false}, {3, false}}) {
        Show(state, searching);
        const Shot shot(bar.Window());
        const ZKRGB background = shot.At(kWidth / 2, 1);
        const int x0 = LampRight();
        int strayInk = 0;
        int textInk = 0;
        for (int y = 4; y < 22; ++y) {
            for (int x = x0; x < x0 + 4; ++x)
                strayInk += shot.At(x, y) != background;
            for (int x = x0 + 4; x < x0 + 8; ++x)
                textInk += shot.At(x, y) != background;
        }
        EXPECT_EQ(0, strayInk) << status.StateText();
        EXPECT_GT(textInk, 0) << status.StateText() << ": the text starts four pixels right of the lamp";
        EXPECT_NE(background, shot.At(x0 - 1, 13)) << "the lamp's outline ends at its right edge";
    }
}

TEST_F(StatusBarTest, DeviceTextsShowOnlyWithADevice) {
    Show(0, true);
    EXPECT_EQ(0, LeftInk());
    status.identityName = "Unknown";
    status.typeName = "PDU-16";
    status.serialNumber = 77;
    Show(1);
    EXPECT_GT(LeftInk(), 50);
}

TEST(ZMsgConnectionStatus, StateTexts) {
    ZMsgConnectionStatus s;
    EXPECT_EQ("OFFLINE", s.StateText());
    s.searching = true;
    EXPECT_EQ("OFFLINE Searching....", s.StateText());
    s.state = 1;
    EXPECT_EQ("DISCONNECTED", s.StateText());
    s.state = 2;
    EXPECT_EQ("CONNECTED (not in sync)", s.StateText());
    s.state = 3;
    EXPECT_EQ("CONNECTED", s.StateText());

    s.identityName = "Unknown";
    s.typeName = "PDU-16";
    s.serialNumber = 77;
    s.mainMajor = 2;
    s.mainMinor = 12;
    s.mainBuild = 40;
    EXPECT_EQ((std::vector<std::string>{"ID(Unknown)", "Dev(PDU-16 #0077)", "SwVer(2.12.40/0)"}),
              s.DeviceTexts());
    s.serialNumber = 123456;
    EXPECT_EQ("Dev(PDU-16 #123456)", s.DeviceTexts()[1]);
    s.state = 0;
    EXPECT_EQ((std::vector<std::string>{"ID(Unknown)"}), s.DeviceTexts());
}

}  // namespace
