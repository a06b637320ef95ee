#pragma once
// The modal machinery every dialog of the toolkit shares: the nested message loop and the message filter
// that keeps input inside the top dialog.
//
// While a dialog's loop runs, its filter sees every message the loop takes:
//   - messages for the dialog, its children, or a window it owns (OwnsWindow) pass; a button press while
//     another application is active brings the top modal window (or the main window) to the front;
//   - keys and wheel turns aimed at any other window are re-addressed to the dialog, so typing always
//     reaches the top dialog wherever the focus is; those aimed at a window that no longer exists are
//     dropped;
//   - mouse input aimed at other windows is eaten; with close-on-outside-click, a press and a release
//     outside close the dialog (a press outside and a release inside do not);
//   - WMU_SERVER_LOST_CLOSE is kept, the dialog closes, and the message is posted again when the loop has
//     ended, so that it travels down through every open dialog to the main window.
//
// Nested dialogs nest their loops; only the innermost filter sees messages.

#include <optional>

#include "Gui/IZKModalOwner.h"
#include "Platform/MessageLoop.h"

// The program's private messages that dialogs answer or pass on.
constexpr zk::UINT WMU_SERVER_LOST_CLOSE = zk::WM_USER + 39;  // closes the main window, dialogs first
constexpr zk::UINT WMU_ASSERT_REPORT = zk::WM_USER + 41;      // queued assertion reports are shown
constexpr zk::UINT WMU_POPUP_STATE = zk::WM_USER + 48;        // lParam 1: a popup menu opened, 0: closed
constexpr zk::UINT WMU_POPUP_STATE_QUERY = zk::WM_USER + 49;  // answers the popup-open flag

class ZKDialogBase : public zk::CMessageFilter {
public:
    ZKDialogBase() = default;
    ZKDialogBase(const ZKDialogBase&) = delete;
    ZKDialogBase& operator=(const ZKDialogBase&) = delete;

    // --- operations, in slot order ---
    // The filter described above; true when the message was consumed.
    bool PreTranslateMessage(zk::MSG* msg) override;
    // Creates the window, runs it modally and returns the dialog result.
    virtual int DoModal() = 0;
    // A mouse move aimed outside the dialog (popup menus follow the mouse over the menu bar).
    virtual void OnMouseMoveOutside(const zk::MSG&) {}
    // Whether a button message outside the dialog counts for closing it; the flag by default.
    virtual bool CloseOnOutsideClick(const zk::MSG&) const { return closeOnOutsideClick_; }
    // Whether a window that is neither the dialog nor its child belongs to it (a popup menu's submenus).
    virtual bool OwnsWindow(zk::HWND) const { return false; }
    virtual zk::HWND DialogWindow() const = 0;

    void SetCloseOnOutsideClick(bool close) { closeOnOutsideClick_ = close; }
    // The modal owner found when the dialog opened; null without one.
    IZKModalOwner* ModalOwner() const { return modalOwner_; }

protected:
    // Brings the dialog to the top and runs the nested loop until WM_QUIT; returns its exit code (the
    // dialog result, posted by WM_DESTROY). Then posts a kept WMU_SERVER_LOST_CLOSE again.
    int RunModalLoop();
    // The top of the modal stack, or the main window when the stack is empty; without a modal owner, the
    // dialog itself.
    zk::HWND TopModalOrMain() const;
    // Whether the dialog is the top of the modal stack (always, without a modal owner).
    bool IsTopModal() const;

    IZKModalOwner* modalOwner_ = nullptr;

private:
    bool BelongsToDialog(zk::HWND hwnd) const;
    bool FilterOutsideMessage(zk::MSG& msg);
    void BringTopToFront() const;

    bool pendingOutsideClose_ = false;
    bool closeOnOutsideClick_ = false;
    std::optional<zk::MSG> deferred_;
};
