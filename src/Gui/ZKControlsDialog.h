#pragma once
// A pop-up dialog whose toolkit controls are navigated by keyboard (ZKControlsManager): keys and characters
// that reach the dialog go to the manager, a control that asks for the focus (WMU_CONTROL_ACTIVATE) gets
// it, and the controls' notices (WMU_CONTROL_NOTIFY) arrive at OnControlNotify.
//
// A derived dialog creates its controls on WM_CREATE, adds them in Tab order with their hot keys, and
// ends itself with EndDialog from OnControlNotify or OnKeyDown.

#include <span>

#include "Gui/ZKButton.h"
#include "Gui/ZKCheckBox.h"
#include "Gui/ZKControlsManager.h"
#include "Gui/ZKPopupDialog.h"

class ZKControlsDialog : public ZKPopupDialog {
public:
    using ZKPopupDialog::ZKPopupDialog;

    ZKControlsManager& Controls() { return controls_; }
    const ZKControlsManager& Controls() const { return controls_; }

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;

protected:
    // A control of the dialog reported a press or a change.
    virtual void OnControlNotify(ZKControl&) {}
    // A key went down before the controls see it; true when the dialog used it (Enter, Escape).
    virtual bool OnKeyDown(int) { return false; }

    // Creates the boxes in a column at (left, top), `gap` pixels apart, adds them with their access letters
    // and returns the y below the last box plus the gap.
    int PlaceCheckBoxColumn(zk::HWND hwnd, std::span<ZKCheckBox* const> boxes, int left, int top, int gap);
    // Creates OK and Cancel as a row centred in `width` at `top`, `gap` pixels apart, and adds them.
    void PlaceOkCancel(zk::HWND hwnd, ZKButton& ok, ZKButton& cancel, int width, int top, int gap);
    // Enter presses OK and Escape presses Cancel; true when the key was one of them.
    static bool PressOkOrCancel(int vk, ZKButton& ok, ZKButton& cancel);

private:
    ZKControlsManager controls_;
    // The dialog took the last key down (a button's key): the characters of that key press are not typed.
    bool dropKeyChars_ = false;
};
