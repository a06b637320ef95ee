#include "Gui/TZKDialog.h"

#include <algorithm>

#include "Platform/ZKAssert.h"

using namespace zk;

template <class TWindow>
TZKDialog<TWindow>::TZKDialog(HWND owner, bool sizable) : owner_(owner), sizable_(sizable) {}

template <class TWindow>
int TZKDialog<TWindow>::DoModal() {
    modalOwner_ = FindModalOwner(owner_);
    const HWND main = modalOwner_ ? modalOwner_->MainWindow() : HWND();
    if (main && IsIconic(main)) ShowWindow(main, SW_RESTORE);
    bool frameTaken = false;
    if (main && modalOwner_->ModalStack().Empty() && (GetWindowStyle(main) & WS_THICKFRAME)) {
        SetWindowStyle(main, GetWindowStyle(main) & ~WS_THICKFRAME);
        frameTaken = true;
    }
    int result = result_;
    const HWND hwnd = this->Create(CreateParams());
    if (hwnd) {
        if (modalOwner_) modalOwner_->ModalStack().Push(hwnd);
        shadow_.Create(hwnd);
        Place();
        ShowWindow(hwnd, SW_SHOW);
        result = RunModalLoop();
        if (IsWindow(hwnd)) {
            // Another loop's quit ended ours: close the dialog and hand the quit on.
            loopEndedByOtherQuit_ = true;
            DestroyWindow(hwnd);
            PostQuitMessage(result);
            result = result_;
        }
        if (modalOwner_) {
            modalOwner_->ModalStack().Remove(hwnd);
            const HWND next = modalOwner_->ModalStack().Empty() ? main : modalOwner_->ModalStack().Top();
            if (IsWindow(next)) {
                SetForegroundWindow(next);
                RedrawWindow(next, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            }
        }
    }
    if (frameTaken && IsWindow(main)) SetWindowStyle(main, GetWindowStyle(main) | WS_THICKFRAME);
    return result;
}

template <class TWindow>
void TZKDialog<TWindow>::EndDialog(int result) {
    result_ = result;
    if (this->Window()) SendMessage(this->Window(), WM_CLOSE, 0, 0);
}

template <class TWindow>
bool TZKDialog<TWindow>::LooksActive() const {
    return IsApplicationActive() && (IsTopModal() || popupOpen_);
}

template <class TWindow>
WindowCreateParams TZKDialog<TWindow>::CreateParams() const {
    WindowCreateParams p;
    p.style = WS_POPUP | WS_CLIPCHILDREN | (sizable_ ? WS_THICKFRAME : 0);
    p.parent = owner_;
    p.x = 0;
    p.y = 0;
    p.cx = minimumSize_.cx;
    p.cy = minimumSize_.cy;
    return p;
}

template <class TWindow>
void TZKDialog<TWindow>::Place() {
    const HWND hwnd = this->Window();
    const Rect r = GetWindowRect(hwnd);
    const Rect over = IsWindow(owner_) ? GetWindowRect(owner_) : GetMonitorInfoFromWindow(hwnd).work;
    const Rect work =
        GetMonitorInfoFromPoint({over.left + over.Width() / 2, over.top + over.Height() / 2}).work;
    int x = over.left + (over.Width() - r.Width()) / 2;
    int y = over.top + (over.Height() - r.Height()) / 2;
    x = std::max(work.left, std::min(x, work.right - r.Width()));
    y = std::max(work.top, std::min(y, work.bottom - r.Height()));
    SetWindowPos(hwnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

template <class TWindow>
LRESULT TZKDialog<TWindow>::HitTest(Point screen) const {
    if (!sizable_) return HTCAPTION;
    const Point p = ScreenToClient(this->Window(), screen);
    const Rect client = GetClientRect(this->Window());
    const Rect grip{client.right - kGripSize, client.bottom - kGripSize, client.right, client.bottom};
    return grip.Contains(p) ? HTBOTTOMRIGHT : HTCAPTION;
}

template <class TWindow>
void TZKDialog<TWindow>::KeepMinimumSize(int edge, Rect& r) const {
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    if (r.Width() < minimumSize_.cx) {
        if (left) r.left = r.right - minimumSize_.cx;
        if (right) r.right = r.left + minimumSize_.cx;
    }
    if (r.Height() < minimumSize_.cy) {
        if (top) r.top = r.bottom - minimumSize_.cy;
        if (bottom) r.bottom = r.top + minimumSize_.cy;
    }
}

template <class TWindow>
void TZKDialog<TWindow>::OnClose() {
    const HWND hwnd = this->Window();
    if (IsTopModal()) {
        KillTimer(hwnd, kDeferredCloseTimer);
        DestroyWindow(hwnd);
    } else {
        SetTimer(hwnd, kDeferredCloseTimer, kDeferredCloseMs);
    }
}

template <class TWindow>
bool TZKDialog<TWindow>::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              LRESULT& result) {
    switch (message) {
        case WM_NCHITTEST:
            result = HitTest(LParamToPoint(lParam));
            return true;
        case WM_SETCURSOR:
            // Over the dialog itself: the hand where it drags, the sizing arrows on the grip.
            if (HWND::FromParam(wParam) != hwnd) break;
            SetCursor(LOWORD(lParam) == HTCAPTION       ? Cursor::Hand
                      : LOWORD(lParam) == HTBOTTOMRIGHT ? Cursor::SizeNWSE
                                                        : Cursor::Arrow);
            result = 1;
            return true;
        case WM_SIZING:
            KeepMinimumSize(static_cast<int>(wParam), *reinterpret_cast<Rect*>(lParam));
            result = 1;
            return true;
        case WM_ACTIVATEAPP:
            if (modalOwner_) modalOwner_->ApplicationActiveChanged(wParam != 0);
            RedrawWindow(hwnd, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return true;
        case WM_ACTIVATE:
            RedrawWindow(hwnd, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return false;  // the default handling gives the dialog the focus
        case WM_MOUSEACTIVATE:
            result = MA_NOACTIVATE;
            return true;
        case WM_CLOSE:
            OnClose();
            return true;
        case WM_TIMER:
            if (wParam != kDeferredCloseTimer) break;
            if (IsTopModal()) OnClose();
            return true;
        case WM_DESTROY:
            if (!loopEndedByOtherQuit_) PostQuitMessage(result_);
            return true;
        case WM_MOUSEWHEEL:
            return true;
        case WM_USER:
            // Who handles this window: the dialog, written to the out-parameters that were given.
            if (wParam) *reinterpret_cast<ZKDialogBase**>(wParam) = this;
            if (lParam) *reinterpret_cast<int*>(lParam) = 1;
            result = 1;
            return true;
        case WMU_POPUP_STATE:
            popupOpen_ = lParam != 0;
            RedrawWindow(hwnd, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return true;
        case WMU_POPUP_STATE_QUERY:
            result = popupOpen_ ? 1 : 0;
            return true;
        case WMU_ASSERT_REPORT:
            DeliverQueuedAssertReports();
            return true;
        default:
            break;
    }
    return TWindow::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

template <class TWindow>
void TZKDialog<TWindow>::PaintBackground(ZKDC& dc, const Rect& rect) {
    dc.FillRect(rect, dc.Colour(5));
    dc.FrameRect(GetClientRect(this->Window()),
                 dc.Colour(LooksActive() ? kActiveFrameSlot : kInactiveFrameSlot));
}

template <class TWindow>
void TZKDialog<TWindow>::Paint(ZKDC& dc, const Rect& rect) {
    PaintBackground(dc, rect);
    if (sizable_) {
        const int r = rect.right;
        const int b = rect.bottom;
        const ZKRGB grip = dc.Colour(2);
        dc.Line({r - 10, b - 3}, {r - 2, b - 11}, grip);
        dc.Line({r - 7, b - 3}, {r - 2, b - 8}, grip);
        dc.Line({r - 4, b - 3}, {r - 2, b - 5}, grip);
    }
    PaintDialog(dc, rect);
}

template class TZKDialog<ZKPlainWindow>;
template class TZKDialog<ZKDoubleBuffer>;
