#pragma once
// For the message box tests: a stand-in owner to run boxes over, and helpers to run a box with steps
// inside its loop, find its controls and press keys.

#include <functional>

#include "DialogTestSupport.h"
#include "Gui/ZKMessageBoxButtons.h"
#include "Platform/Input.h"

namespace zktest {

constexpr ZKRGB kWhite{255, 255, 255};

class MessageBoxTest : public GuiWindowTest {
protected:
    StandInOwner owner;

    void SetUp() override {
        GuiWindowTest::SetUp();
        zk::ShowWindow(parent, zk::SW_HIDE);
    }
    // Runs the box with `step` run inside its loop; returns its result. What is left of the input (a key's
    // release, its character) goes to the owner, not to the next box.
    int Run(ZKMessageBoxButtons& box, std::function<void()> step) {
        owner.Later(std::move(step));
        const int result = box.DoModal();
        Pump();
        return result;
    }
    // The window's rectangle in the client coordinates of the box.
    static zk::Rect InBox(ZKMessageBoxButtons& box, zk::HWND child) {
        const zk::Rect r = zk::GetWindowRect(child);
        const zk::Point o = zk::ClientToScreen(box.Window(), {0, 0});
        return r.Offset(-o.x, -o.y);
    }
    // Presses a key with the character it types: a space, or a lower-case letter.
    static void Key(int vk) {
        const unsigned char ch = vk == zk::VK_SPACE       ? ' '
                                 : vk >= 'A' && vk <= 'Z' ? static_cast<unsigned char>(vk + 32)
                                                          : 0;
        zk::input::KeyPress(vk, ch);
    }
};

}  // namespace zktest
