// The auto-connect options dialog driven by its keys: hot letters toggle the boxes at once, Enter keeps
// the result, Escape returns 0 (the caller then ignores the flags).
#include "ZelkMsg/ZMsgAutoConnectOptionsDialog.h"

#include "Gui/GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using zktest::GuiWindowTest;

class AutoConnectOptionsDialogTest : public GuiWindowTest {};

TEST_F(AutoConnectOptionsDialogTest, HotLettersToggleAndEnterConfirms) {
    ZMsgAutoConnectOptionsDialog dialog(parent, {0, 0, 1});
    zk::input::KeyPress('A', 'a');
    zk::input::KeyPress('O', 'o');
    zk::input::KeyPress(zk::VK_RETURN, '\r');
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ((ZMsgAutoConnectOptions{1, 0, 0}), dialog.Options());
}

TEST_F(AutoConnectOptionsDialogTest, EscapeCancelsAndTheBoxesStartFromTheFlags) {
    ZMsgAutoConnectOptionsDialog dialog(parent, {1, 1, 1});
    zk::input::KeyPress('S', 's');
    zk::input::KeyPress(zk::VK_ESCAPE, 0x1B);
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ((ZMsgAutoConnectOptions{1, 0, 1}), dialog.Options());
}

}  // namespace
