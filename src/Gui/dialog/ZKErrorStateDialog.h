#pragma once
// The error state dialog: the connected device's errors as a tree (ZKErrorTree) named by its profile, a
// "Show" frame with three filters, and Refresh, Clear and Dismiss.
//
//   +----------------------------------------------------------------+
//   | [-] Output channels                                            |
//   |     [-] Output channel 3 (2)          (red: active)            |
//   |             Over current                                       |
//   |     Output channel 4                  (green: nothing)         |
//   | [+] System                                                     |
//   |                                                                |
//   | +-------------------------------------+                        |
//   | | Show [All] [Warnings] [Errors]      | [Refresh] [Clear]   [Dismiss]
//   | +-------------------------------------+                        |
//   +----------------------------------------------------------------+
//
// Buttons and keys: All (A) shows every group, Errors (E) only the red ones, Warnings (W) the red and the
// yellow ones; Refresh (R) reads the states again; Clear (C) clears the device's stored errors and reads
// again; Dismiss (D, Escape) ends the dialog with 1. Enter is the tree's action on its current line, Page
// Up, Page Down, Up and Down move in the tree, "+" opens and "-" closes the current branch.
//
// The device is asked for anew at every read, because the main window may drop it while the dialog is open
// (a disconnect); without a device, without error databases, or when the device does not answer, the tree
// stays empty and says why.

#include <functional>

#include "Gui/ZKButton.h"
#include "Gui/ZKControlsDialog.h"
#include "Gui/ZKTreeCtrl.h"
#include "Gui/dialog/ZKErrorTree.h"

class ZKDevice;
class ZPProfile;

class ZKErrorStateDialog final : public ZKControlsDialog {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kMargin = 10;
    static constexpr const char* kNoDevice = "No device is connected";
    static constexpr const char* kNoDatabases = "The device's profile has no error databases";
    static constexpr const char* kReadFailed =
        "The device did not answer: its error states could not be read";

    enum class Filter { All, Errors, Warnings };

    // `device` gives the device to read (null when there is none); `profile` names its errors and must
    // outlive the dialog.
    ZKErrorStateDialog(zk::HWND parent, std::function<ZKDevice*()> device, const ZPProfile& profile);

    // Builds the tree from the device and the profile again and redraws it; every group is shown.
    void Refresh();
    // Asks the device to clear its stored errors, then refreshes.
    void ClearErrors();
    // Shows or hides the groups (their lines follow).
    void ShowGroups(Filter filter);

    const ZKTreeItems& Items() const { return items_; }
    ZKTreeCtrl& Tree() { return tree_; }
    ZKErrorTree::Result LastResult() const { return lastResult_; }
    zk::Rect ShowFrame() const { return showFrame_; }
    ZKButton& Button(char accessLetter);

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void OnControlNotify(ZKControl& control) override;
    bool OnKeyDown(int vk) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;

private:
    void OnCreate(zk::HWND hwnd);
    // Places the buttons in and beside the "Show" frame along the bottom; returns the frame.
    zk::Rect LayOutButtons(zk::HWND hwnd);

    std::function<ZKDevice*()> device_;
    const ZPProfile& profile_;
    ZKTreeItems items_;
    ZKTreeCtrl tree_;
    ZKErrorTree::Result lastResult_ = ZKErrorTree::Result::NoDevice;
    zk::Rect showFrame_;
    ZKButton all_{"All", 'A', 1};
    ZKButton errors_{"Errors", 'E', 2};
    ZKButton warnings_{"Warnings", 'W', 3};
    ZKButton refresh_{"Refresh", 'R', 4};
    ZKButton clear_{"Clear", 'C', 5};
    ZKButton dismiss_{"Dismiss", 'D', 6};
};
