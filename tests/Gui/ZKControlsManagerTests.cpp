// Keyboard navigation among a dialog's controls: Tab and Shift+Tab in list order with wrapping and
// skipping, the arrow keys' nearest-control rule with its two passes, and hot keys by character and by
// function key.
#include "Gui/ZKControlsManager.h"

#include <memory>

#include "Gui/ZKButton.h"
#include "GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

class ControlsManagerTest : public GuiWindowTest {
protected:
    // Controls in the parent (400 x 300), in list order:
    //
    //   y 10  [ A 10..110 ]            [ C 250..330 ]
    //   y 40     [ B 60..140 ]
    //   y 80                                           [ D 340..390 ]
    //   y 120 [ E 10..50 ]
    //
    // Down from A: B overlaps A horizontally and is nearer than E, which does too; down from C: nothing
    // overlaps C, so pass 2 finds B (its top is the nearest below C's bottom).
    ZKControlsManager manager;
    std::vector<std::unique_ptr<ZKButton>> buttons;

    ZKButton& Add(const char* text, char letter, Rect r) {
        buttons.push_back(std::make_unique<ZKButton>(text, letter, static_cast<UINT>(buttons.size())));
        buttons.back()->Create(parent, r);
        manager.AddControl(buttons.back().get());
        return *buttons.back();
    }
    void SetUp() override {
        GuiWindowTest::SetUp();
        Add("A", 'A', {10, 10, 110, 30});
        Add("B", 'B', {60, 40, 140, 60});
        Add("C", 'C', {250, 10, 330, 30});
        Add("D", 'D', {340, 80, 390, 100});
        Add("E", 'E', {10, 120, 50, 140});
    }
    ZKControl* Control(int i) { return buttons[static_cast<std::size_t>(i)].get(); }
    // The focused control's index, -1 for none.
    int Focus() const {
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (manager.Focus() == buttons[i].get()) return static_cast<int>(i);
        return -1;
    }
    void Shift(bool down) {
        down ? input::KeyDown(VK_SHIFT) : input::KeyUp(VK_SHIFT);
        Pump();
    }
    int Clicks() const {
        return static_cast<int>(std::count_if(posted.begin(), posted.end(), [](const zktest::Posted& p) {
            return p.message == WMU_CONTROL_NOTIFY;
        }));
    }
};

TEST_F(ControlsManagerTest, TabWrapsBothWaysAndSkipsWhatCannotTakeTheFocus) {
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(0, Focus()) << "from no focus to the first";
    EXPECT_TRUE(Control(0)->Focused());
    Control(1)->SetEnabled(false);
    ShowWindow(buttons[2]->Window(), SW_HIDE);
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(3, Focus());
    EXPECT_FALSE(Control(0)->Focused());
    manager.KeyDown(VK_TAB);
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(0, Focus()) << "from the last to the first";
    Shift(true);
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(4, Focus()) << "Shift+Tab from the first to the last";
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(3, Focus());
    Shift(false);

    for (int i = 0; i < 5; ++i)
        Control(i)->SetEnabled(false);
    manager.KeyDown(VK_TAB);
    EXPECT_EQ(3, Focus()) << "nothing can take the focus: it stays";
}

TEST_F(ControlsManagerTest, ArrowsMoveToTheNearestOverlappingControlElseTheNearestAtAll) {
    manager.SetFocus(Control(0));
    manager.KeyDown(VK_DOWN);
    EXPECT_EQ(1, Focus()) << "A down: B overlaps";
    manager.KeyDown(VK_DOWN);
    EXPECT_EQ(3, Focus()) << "B down: nothing overlaps; D's top is nearer below than E's";
    manager.KeyDown(VK_DOWN);
    EXPECT_EQ(4, Focus()) << "D down: E";
    manager.KeyDown(VK_DOWN);
    EXPECT_EQ(4, Focus()) << "nothing below E: the focus stays";
    manager.SetFocus(Control(2));
    manager.KeyDown(VK_DOWN);
    EXPECT_EQ(1, Focus()) << "C down: no overlap, B's top is the nearest below";
    manager.SetFocus(Control(0));
    manager.KeyDown(VK_RIGHT);
    EXPECT_EQ(2, Focus()) << "A right: C overlaps vertically";
    manager.KeyDown(VK_LEFT);
    EXPECT_EQ(0, Focus());
    manager.SetFocus(Control(3));
    manager.KeyDown(VK_UP);
    EXPECT_EQ(1, Focus()) << "D up: no overlap; B's bottom (60) is nearer than A's or C's (30)";
    Control(1)->SetEnabled(false);
    manager.SetFocus(Control(3));
    manager.KeyDown(VK_UP);
    EXPECT_EQ(0, Focus()) << "A and C tie at 50: the earlier one";
}

TEST_F(ControlsManagerTest, HotKeysFocusAndPressTheirControl) {
    manager.AddHotKey('c', Control(2));
    manager.AddFunctionHotKey(VK_F1 + 4, Control(3));
    EXPECT_TRUE(manager.Char('C'));
    EXPECT_EQ(2, Focus());
    EXPECT_TRUE(manager.KeyDown(VK_F1 + 4));
    EXPECT_EQ(3, Focus());
    Pump();
    EXPECT_EQ(2, Clicks());
    EXPECT_FALSE(manager.KeyDown('C')) << "keys below F1 are not hot keys";
    EXPECT_FALSE(manager.Char('x'));
    Control(2)->SetEnabled(false);
    EXPECT_FALSE(manager.Char('c')) << "a disabled control's hot key does nothing";
    // Space goes to the focused control, which presses itself.
    EXPECT_TRUE(manager.Char(' '));
    Pump();
    EXPECT_EQ(3, Clicks());
}

}  // namespace
