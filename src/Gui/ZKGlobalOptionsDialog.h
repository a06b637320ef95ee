#pragma once
// The global options dialog: the five display flags as check boxes, "OK" (Enter) and "Cancel" (Escape).
//
//   +-----------------------------------------+
//   | Global Options                          |
//   | [ ] Apply to ZelkMsg only               |
//   | [x] Black-on-White colour scheme        |
//   | [ ] Color Blind (yellow/green)          |
//   | [ ] Reverse Folder Order (in file menu) |
//   | [ ] Floating Mouse Focus (in dialogs)   |
//   |           [ OK ]  [Cancel]              |
//   +-----------------------------------------+
//
// The boxes start from the flags in force. Unticking the first box shows the maker's shared values in the
// other four; ticking it keeps what they show. Nothing is stored before "OK", which applies the boxes
// (ZKGlobalOptions::Apply: written, then announced to the running programs by the options' notifier) and
// ends the dialog with 1; "Cancel" ends it with 0.

#include <string>

#include "Gui/ZKButton.h"
#include "Gui/ZKCheckBox.h"
#include "Gui/ZKControlsDialog.h"
#include "Gui/ZKGlobalOptions.h"

class ZKGlobalOptionsDialog final : public ZKControlsDialog {
public:
    static constexpr const char* kTitle = "Global Options";
    static constexpr int kMargin = 10;

    // `applicationName` names this program in the first box's label; `options` must outlive the dialog.
    ZKGlobalOptionsDialog(zk::HWND owner, ZKGlobalOptions& options, std::string applicationName);

    // What the boxes show now, which "OK" applies.
    ZKGlobalOptions::Flags Chosen() const;

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void OnControlNotify(ZKControl& control) override;
    bool OnKeyDown(int vk) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;

private:
    void OnCreate(zk::HWND hwnd);
    void Show(const ZKGlobalOptions::Flags& flags);

    ZKGlobalOptions& options_;
    std::string applicationName_;
    ZKCheckBox local_{"Local", 'L', this, 1};
    ZKCheckBox blackOnWhite_{"Black-on-White colour scheme", 'B', this, 2};
    ZKCheckBox colourBlind_{"Color Blind (yellow/green)", 'C', this, 3};
    ZKCheckBox reverseFolderOrder_{"Reverse Folder Order (in file menu)", 'R', this, 4};
    ZKCheckBox floatingFocus_{"Floating Mouse Focus (in dialogs)", 'F', this, 5};
    ZKButton ok_{"OK", 0, 6};
    ZKButton cancel_{"Cancel", 0, 7};
};
