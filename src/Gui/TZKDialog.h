#pragma once
// The dialog window of the toolkit: a borderless, owner-drawn window owned by another window, run modally
// over the main window (ZKDialogBase). TWindow is the window implementation: ZKPlainWindow for
// ZKPopupDialog, ZKDoubleBuffer for ZKDBPopupDialog.
//
// Frame behaviour:
//   - a dialog that is not sizable is dragged by any point no control covers; a sizable one has a sizing
//     grip in its 10 x 10 bottom-right corner and is dragged elsewhere; it never gets smaller than its
//     minimum size (160 x 120 unless changed) on the dragged edges;
//   - its frame is drawn in the active colour (slot 18) while the application is active and the dialog is
//     the top of the modal stack (or has a popup menu open), in slot 12 otherwise;
//   - clicking it does not change the active window;
//   - WM_CLOSE destroys it at once when it is the top of the modal stack; otherwise timer 17 retries every
//     500 ms until it is, so a close is never lost;
//   - WM_DESTROY ends the modal loop with the dialog result.
//
// Derived dialogs handle WM_CREATE (create controls, size themselves) in ProcessWindowMessage and pass
// everything else on to this class; they draw in PaintDialog, over the background. The object lives on
// its caller's stack for the duration of DoModal. It casts a drop shadow (CWndShadow) where the display shows
// one.

#include "Gui/CWndShadow.h"
#include "Gui/ZKBackgroundProvider.h"
#include "Gui/ZKDialogBase.h"
#include "Gui/ZKDoubleBuffer.h"
#include "Gui/ZKPlainWindow.h"

template <class TWindow>
class TZKDialog : public TWindow, public ZKDialogBase, public ZKBackgroundProvider {
public:
    static constexpr std::uintptr_t kDeferredCloseTimer = 17;
    static constexpr zk::UINT kDeferredCloseMs = 500;
    static constexpr int kGripSize = 10;
    static constexpr int kActiveFrameSlot = 18;
    static constexpr int kInactiveFrameSlot = 12;

    // `owner` is the window the dialog is created over (the main window or another dialog).
    explicit TZKDialog(zk::HWND owner, bool sizable = false);

    // Restores a minimised main window, takes its sizing frame away while the first dialog runs, creates,
    // pushes and shows the dialog, runs its loop, pops it, brings the new top (or the main window) to the
    // front and redraws it. Returns the dialog result (0 when the window could not be created).
    int DoModal() override;
    zk::HWND DialogWindow() const override { return this->Window(); }

    // Ends the dialog with `result` (through WM_CLOSE, so a dialog that is not on top closes later).
    void EndDialog(int result);
    int Result() const { return result_; }
    void SetResult(int result) { result_ = result; }

    zk::HWND OwnerWindow() const { return owner_; }
    bool Sizable() const { return sizable_; }
    zk::Size MinimumSize() const { return minimumSize_; }
    void SetMinimumSize(zk::Size size) { minimumSize_ = size; }
    bool PopupOpen() const { return popupOpen_; }
    // Whether the frame shows the active colour now.
    bool LooksActive() const;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    // Background, sizing grip, then PaintDialog.
    void Paint(ZKDC& dc, const zk::Rect& rect) override;
    // The dialog's background for `rect` (client coordinates): also what transparent children show.
    void PaintBackground(ZKDC& dc, const zk::Rect& rect) override;

protected:
    // The creation parameters: a hidden popup of the minimum size owned by the owner window. Derived
    // dialogs usually size themselves on WM_CREATE instead.
    virtual zk::WindowCreateParams CreateParams() const;
    // Places the created window before it is shown: centred over the owner, inside the work area.
    virtual void Place();
    // Draws the dialog's own content over its background.
    virtual void PaintDialog(ZKDC&, const zk::Rect&) {}

private:
    zk::LRESULT HitTest(zk::Point screen) const;
    void KeepMinimumSize(int edge, zk::Rect& r) const;
    void OnClose();

    zk::HWND owner_;
    bool sizable_;
    CWndShadow shadow_;
    zk::Size minimumSize_{160, 120};
    bool popupOpen_ = false;
    int result_ = 0;
    // Set when a quit that was not this dialog's ended its loop: the window is then destroyed without
    // posting another quit.
    bool loopEndedByOtherQuit_ = false;
};

extern template class TZKDialog<ZKPlainWindow>;
extern template class TZKDialog<ZKDoubleBuffer>;
