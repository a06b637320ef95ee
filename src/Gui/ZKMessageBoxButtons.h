#pragma once
// The button part of the toolkit's message boxes: one to three buttons from a fixed set, the keys that
// press them, and the result each press ends the box with.
//
//   set  buttons (left to right)   keys                                   results
//   0    Ok                        Enter, Escape, Space: Ok               2
//   1    Ok, Cancel                Enter: Ok; Escape: Cancel              2, 0
//   2    Yes, No                   Y: Yes; N, Escape: No                  3, 1
//   3    Yes, No, Cancel           Y: Yes; N: No; Escape: Cancel          3, 1, 0
//   4-6  User1 [, User2 [, User3]] none unless the caller sets some       4 [, 5 [, 6]]
//
// The first button has the focus when the box opens; Tab, Shift+Tab and the arrow keys move it, and Space
// presses the focused button. A key that no button's list holds goes to OnUnhandledKey first.

#include <array>
#include <string>
#include <vector>

#include "Gui/ZKButton.h"
#include "Gui/ZKControlsDialog.h"

class ZKMessageBoxButtons : protected ZKControlsDialog {
public:
    enum ButtonSet {
        kOk = 0,
        kOkCancel = 1,
        kYesNo = 2,
        kYesNoCancel = 3,
        kUser1 = 4,
        kUser12 = 5,
        kUser123 = 6
    };
    enum Result { kResultCancel = 0, kResultNo = 1, kResultOk = 2, kResultYes = 3, kResultUser1 = 4 };
    static constexpr int kMaxButtons = 3;
    static constexpr int kButtonGap = 10;

    // A set outside 0..6 is an internal error: such a box has no buttons and no keys.
    ZKMessageBoxButtons(zk::HWND parent, int buttonSet);

    // Opens the box modally; returns the result of the button that ended it.
    using ZKControlsDialog::Controls;
    using ZKControlsDialog::DoModal;
    using ZKControlsDialog::EndDialog;
    using ZKControlsDialog::Window;

    // Only for the user sets 4 to 6, on a button the set has (index 0 to 2); false otherwise (for sets 0
    // to 3 also an internal error).
    bool SetUserButtonText(int index, const std::string& text, char accessLetter = 0);
    bool SetUserButtonEnabled(int index, bool enabled);
    // The key codes (virtual keys) that press a user button.
    bool SetUserButtonKeys(int index, std::vector<int> keys);

    int ButtonSet() const { return set_; }
    int ButtonCount() const { return count_; }
    ZKButton& Button(int index) { return buttons_[static_cast<std::size_t>(index)]; }

protected:
    // Creates the set's buttons in `hwnd` and returns the row's size.
    zk::Size CreateButtons(zk::HWND hwnd);
    // Sizes the box `hwnd` for a title of extent `title` (0 x 0 for none) and content of extent `content`
    // over the button row of size `row`, lays the buttons out and returns the content's rectangle:
    //   W = max(content, title, row width) + 20;  H = row height + 30 + content height (+ 6 + title
    //   height), cut to the work area;  content (10, top, W - 10, H - row height - 20) with top = title
    //   height + 16 under a title, else 10.
    zk::Rect SizeBox(zk::HWND hwnd, zk::Size row, zk::Size title, zk::Size content);
    // A key no button took, before the keyboard navigation sees it; true when used.
    virtual bool OnUnhandledKey(int) { return false; }
    bool OnKeyDown(int vk) override;
    void OnControlNotify(ZKControl& control) override;

private:
    // Places the row centred in a box of width × height, 10 pixels above its bottom.
    void LayOutButtons(int width, int height);
    bool UserButtonIndexValid(int index) const;

    int set_;
    int count_ = 0;
    std::array<ZKButton, kMaxButtons> buttons_;
    std::array<std::vector<int>, kMaxButtons> keys_;
};
