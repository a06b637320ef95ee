// Check boxes and radio buttons: a click or Space moves the tick and notifies, setting it by program does
// not, a press that leaves does nothing, a disabled one ignores input, and the background is the parent's.
#include "Gui/ZKSelectionCtrl.h"

#include "Gui/ZKBackgroundProvider.h"
#include "Gui/ZKCheckBox.h"
#include "Gui/ZKRadioButton.h"
#include "GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::Posted;

constexpr ZKRGB kProviderColour{200, 220, 180};

struct FlatBackground : ZKBackgroundProvider {
    void PaintBackground(ZKDC& dc, const Rect& rect) override { dc.FillRect(rect, kProviderColour); }
};

class SelectionCtrlTest : public GuiWindowTest {
protected:
    FlatBackground background;
    ZKCheckBox box{"Enable Device Filter", 'E', &background, 4};

    void SetUp() override {
        GuiWindowTest::SetUp();
        ASSERT_TRUE(box.Create(parent, {20, 20, 220, 40}));
        Pump();
    }
    Point Inside() const { return OnScreen(box.Window(), 5, 10); }
    Posted Notice(UINT message) const {
        return {message, 4, reinterpret_cast<LPARAM>(static_cast<const ZKControl*>(&box))};
    }
};

TEST_F(SelectionCtrlTest, AClickOrSpaceTogglesAndNotifiesButSettingByProgramDoesNot) {
    input::Click(input::Button::Left, Inside());
    Pump();
    EXPECT_TRUE(box.Ticked());
    EXPECT_EQ((std::vector<Posted>{Notice(WMU_CONTROL_ACTIVATE), Notice(WMU_CONTROL_NOTIFY)}), TakePosted());
    SendMessage(box.Window(), WM_CHAR, ' ', 0);
    EXPECT_FALSE(box.Ticked());
    box.SetTicked(true);
    Pump();
    EXPECT_EQ(std::vector<Posted>{Notice(WMU_CONTROL_NOTIFY)}, TakePosted());
    EXPECT_EQ(1, box.State());
}

TEST_F(SelectionCtrlTest, APressThatLeavesAndADisabledControlChangeNothing) {
    input::MouseMove(Inside());
    input::MouseDown(input::Button::Left, Inside());
    input::MouseMove(OnScreen(parent, 300, 200));
    input::MouseUp(input::Button::Left, OnScreen(parent, 300, 200));
    Pump();
    EXPECT_FALSE(box.Ticked());
    box.SetEnabled(false);
    TakePosted();
    input::Click(input::Button::Left, Inside());
    SendMessage(box.Window(), WM_CHAR, ' ', 0);
    box.Press();
    Pump();
    EXPECT_FALSE(box.Ticked());
    EXPECT_TRUE(posted.empty());
}

TEST_F(SelectionCtrlTest, ARadioButtonStaysTickedAndTheBackgroundIsTheProvidersOrSlotFive) {
    ZKRadioButton radio("Root", 'R');
    ASSERT_TRUE(radio.Create(parent, {20, 60, 120, 80}));
    radio.Press();
    radio.Press();
    EXPECT_TRUE(radio.Ticked());
    Pump();
    EXPECT_EQ(kProviderColour, PixelAt(box.Window(), 199, 2));
    EXPECT_EQ(ZKRGB(255, 255, 255), PixelAt(radio.Window(), 99, 2));

    ZKBitmap scratch(1, 1);
    const ZKDC dc(scratch);
    const Size text = dc.TextExtent("Root", ZKFontSet::Normal);
    EXPECT_EQ(Size(text.cx + 20, text.cy + 4), radio.PreferredSize());
    EXPECT_EQ(Size(20, text.cy + 4), ZKCheckBox("", 0).PreferredSize());
}

}  // namespace
