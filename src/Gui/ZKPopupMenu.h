#pragma once
// The toolkit's popup menu: a modal list of ZKPopupMenuItem rows that closes with a result. The caller owns
// the rows; the popup shows them, lets the user pick one, and tells the owner window that a popup is open
// (WMU_POPUP_STATE, lParam 1 when it opens and 0 after it closed).
//
// Results:
//   kClosed     0  Escape, a click (press and release) outside, or the mouse capture taken away
//   kChosen     1  Enter, a click on a row, or the key of a row
//   kDelete     2  Backspace or Delete, only with kMayDelete
//   kMenuLeft   3  Left, only with kHasLeft (a menu lies to the left)
//   kMenuRight  4  Right, only with kHasRight
//   kMenuHover  5  the mouse moved over another title of the owner's menu bar (the owner answered non-zero
//                  to WMU_POPUP_HOVER, sent with the mouse point in screen coordinates)
// A disabled row is never chosen, and neither the keys nor the mouse move onto it (its letter does); choosing
// with no current row stores the result and keeps the popup open.
//
// The popup holds the mouse capture while it runs, so every mouse move and click reaches it, also those
// over other windows. Keys reach it wherever the focus is, through the modal loop's filter.
//
// Placement at the anchor point: below-right (the anchor is the popup's top-left corner), below-left (its
// top-right), above-right (its bottom-left), above-left (its bottom-right). A popup taller than the work
// area of the anchor's monitor is cut to it and made 13 pixels wider for the scroll bar; then it is moved
// into the work area.

#include "Gui/CWndShadow.h"
#include "Gui/TZKListBox.h"
#include "Gui/ZKDialogBase.h"
#include "Gui/ZKPopupMenuItem.h"

constexpr zk::UINT WMU_POPUP_HOVER = zk::WM_USER + 33;

class ZKPopupMenu : public TZKListBox<ZKPopupMenuItem>, public ZKDialogBase {
public:
    enum Flags : zk::DWORD { kMayDelete = 1, kHasLeft = 2, kHasRight = 4 };
    enum Result { kClosed = 0, kChosen = 1, kDelete = 2, kMenuLeft = 3, kMenuRight = 4, kMenuHover = 5 };
    enum Placement { kBelowRight = 0, kBelowLeft = 1, kAboveRight = 2, kAboveLeft = 3 };
    static constexpr int kScrollBarRoom = 13;

    // `rows` must outlive the popup; `owner` receives WMU_POPUP_STATE and WMU_POPUP_HOVER.
    ZKPopupMenu(ZKListBoxContents& rows, zk::HWND owner, zk::Point anchor, int placement = kBelowRight,
                zk::DWORD flags = 0);

    // Runs the popup until it closes; returns its result (kClosed when the window could not be made). It may
    // run again afterwards.
    int DoModal() override;
    zk::HWND DialogWindow() const override { return Window(); }
    int Result() const { return result_; }
    zk::DWORD Flags() const { return flags_; }
    zk::HWND OwnerWindow() const { return owner_; }

    // The popup's screen rectangle for its preferred size at `anchor` inside `work`.
    static zk::Rect PlaceRect(zk::Size size, zk::Point anchor, int placement, const zk::Rect& work);

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;

protected:
    // The current row was chosen with `result` (kChosen or kDelete). The default stores the result and
    // closes; file menus browse instead when the row is a folder.
    virtual void ChooseCurrent(int result);
    // Stores the result and closes the popup (through WM_CLOSE).
    void Close(int result);
    // Shows other rows in the open popup (must outlive it), resized and placed again.
    void ShowRows(ZKListBoxContents& rows);
    // A mouse move outside the popup (screen coordinates): over another menu title, the popup closes.
    void OnMouseMoveOutside(const zk::MSG& msg) override;

private:
    // Attaches the rows with the first enabled one current and places the window for them.
    void ShowFirstRows();
    bool Selectable(int row) const;
    void PlaceWindow();
    bool OnKey(int vk);
    void OnMouse(zk::UINT message, zk::WPARAM wParam, zk::Point client);
    bool ForwardToScrollBar(zk::UINT message, zk::WPARAM wParam, zk::Point client);
    void AskOwnerAbout(zk::Point screen);
    void AfterClose(const zk::Rect& former) const;

    ZKListBoxContents* rows_;
    zk::HWND owner_;
    zk::Point anchor_;
    int placement_;
    zk::DWORD flags_;
    CWndShadow shadow_;
    int result_ = kClosed;
    bool closing_ = false;
    bool pressedOutside_ = false;
    bool loopEndedByOtherQuit_ = false;
};
