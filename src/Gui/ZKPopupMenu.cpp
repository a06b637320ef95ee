#include "Gui/ZKPopupMenu.h"

#include <algorithm>

#include "Platform/ZKAssert.h"

using namespace zk;

namespace {

bool IsButtonDown(UINT m) {
    return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN;
}

bool IsButtonUp(UINT m) {
    return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP;
}

}  // namespace

ZKPopupMenu::ZKPopupMenu(ZKListBoxContents& rows, HWND owner, Point anchor, int placement, DWORD flags)
    : TZKListBox<ZKPopupMenuItem>(kNoBorder | kNoFlash | kBarRight),
      rows_(&rows),
      owner_(owner),
      anchor_(anchor),
      placement_(placement),
      flags_(flags) {
    SetCloseOnOutsideClick(true);
}

Rect ZKPopupMenu::PlaceRect(Size size, Point anchor, int placement, const Rect& work) {
    if (!ZKASSERT(placement >= kBelowRight && placement <= kAboveLeft)) placement = kBelowRight;
    const bool left = placement == kBelowLeft || placement == kAboveLeft;
    const bool above = placement == kAboveRight || placement == kAboveLeft;
    int w = size.cx;
    int h = size.cy;
    int x = left ? anchor.x - w : anchor.x;
    int y = above ? anchor.y - h : anchor.y;
    if (h < work.Height()) {
        y = std::clamp(y, work.top, work.bottom - h);
    } else {
        y = work.top;
        h = work.Height();
        w += kScrollBarRoom;
    }
    x = std::max(work.left, std::min(x, work.right - w));
    return {x, y, x + w, y + h};
}

void ZKPopupMenu::PlaceWindow() {
    const Size rows = rows_->TotalSize();
    const Rect work = GetMonitorInfoFromPoint(anchor_).work;
    const Rect r = PlaceRect({std::max(rows.cx, 1), std::max(rows.cy, 1)}, anchor_, placement_, work);
    SetWindowPos(Window(), HWND_TOP, r.left, r.top, r.Width(), r.Height(), SWP_NOACTIVATE);
}

int ZKPopupMenu::DoModal() {
    result_ = kClosed;
    closing_ = pressedOutside_ = loopEndedByOtherQuit_ = false;
    modalOwner_ = FindModalOwner(owner_);
    const HWND main = modalOwner_ ? modalOwner_->MainWindow() : HWND();
    bool frameTaken = false;
    if (main && modalOwner_->ModalStack().Empty() && (GetWindowStyle(main) & WS_THICKFRAME)) {
        SetWindowStyle(main, GetWindowStyle(main) & ~WS_THICKFRAME);
        frameTaken = true;
    }
    SendMessage(owner_, WMU_POPUP_STATE, 0, 1);
    WindowCreateParams p;
    p.style = WS_POPUP | WS_CLIPCHILDREN;
    p.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    p.parent = owner_;
    p.x = anchor_.x;
    p.y = anchor_.y;
    p.cx = 1;
    p.cy = 1;
    const HWND hwnd = ZKDoubleBuffer::Create(p);
    Rect former;
    if (hwnd) {
        if (modalOwner_) modalOwner_->ModalStack().Push(hwnd);
        shadow_.Create(hwnd);
        ShowFirstRows();
        former = GetWindowRect(hwnd);
        ShowWindow(hwnd, SW_SHOWNA);
        SetCapture(hwnd);
        const int code = RunModalLoop();
        if (IsWindow(hwnd)) {
            // Another loop's quit ended ours: close and hand the quit on.
            loopEndedByOtherQuit_ = true;
            closing_ = true;
            DestroyWindow(hwnd);
            PostQuitMessage(code);
        }
        if (modalOwner_) modalOwner_->ModalStack().Remove(hwnd);
    }
    SendMessage(owner_, WMU_POPUP_STATE, 0, 0);
    if (hwnd) AfterClose(former);
    if (frameTaken && IsWindow(main)) SetWindowStyle(main, GetWindowStyle(main) | WS_THICKFRAME);
    return result_;
}

void ZKPopupMenu::AfterClose(const Rect& former) const {
    HWND next = owner_;
    if (modalOwner_) {
        next =
            modalOwner_->ModalStack().Empty() ? modalOwner_->MainWindow() : modalOwner_->ModalStack().Top();
    }
    if (!IsWindow(next)) return;
    SetForegroundWindow(next);
    const Point origin = ClientToScreen(next, {0, 0});
    const Rect area{former.left - origin.x, former.top - origin.y, former.right - origin.x,
                    former.bottom - origin.y};
    RedrawWindow(next, &area, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void ZKPopupMenu::Close(int result) {
    result_ = result;
    closing_ = true;
    if (Window()) PostMessage(Window(), WM_CLOSE, 0, 0);
}

void ZKPopupMenu::ChooseCurrent(int result) {
    const int current = rows_->Current();
    if (current != ZKListBoxContents::kNone && !rows_->At(current).Enabled()) return;
    result_ = result;
    if (current != ZKListBoxContents::kNone) Close(result);
}

void ZKPopupMenu::ShowRows(ZKListBoxContents& rows) {
    rows_ = &rows;
    ShowFirstRows();
}

void ZKPopupMenu::ShowFirstRows() {
    Attach(rows_, false);
    const int first = FirstSelectableRow();
    if (first != ZKListBoxContents::kNone) SetCurrent(first);
    PlaceWindow();
}

bool ZKPopupMenu::Selectable(int row) const {
    return row != ZKListBoxContents::kNone && rows_->At(row).Enabled();
}

bool ZKPopupMenu::OnKey(int vk) {
    switch (vk) {
        case VK_BACK:
        case VK_DELETE:
            if (flags_ & kMayDelete) ChooseCurrent(kDelete);
            return true;
        case VK_RETURN:
            ChooseCurrent(kChosen);
            return true;
        case VK_ESCAPE:
            Close(kClosed);
            return true;
        case VK_LEFT:
            if (flags_ & kHasLeft) Close(kMenuLeft);
            return true;
        case VK_RIGHT:
            if (flags_ & kHasRight) Close(kMenuRight);
            return true;
        default:
            break;
    }
    if (HandleKey(vk)) return true;
    for (int i = 0; i < rows_->Count(); ++i) {
        if (static_cast<ZKPopupMenuItem&>(rows_->At(i)).VirtualKey() == vk) {
            SetCurrent(i);
            ChooseCurrent(kChosen);
            break;
        }
    }
    return true;
}

void ZKPopupMenu::AskOwnerAbout(Point screen) {
    if (closing_ || !IsWindow(owner_)) return;
    if (SendMessage(owner_, WMU_POPUP_HOVER, 0, PointToLParam(screen)) != 0) Close(kMenuHover);
}

void ZKPopupMenu::OnMouseMoveOutside(const MSG& msg) {
    AskOwnerAbout(msg.pt);
}

bool ZKPopupMenu::ForwardToScrollBar(UINT message, WPARAM wParam, Point client) {
    if (!ScrollBarShown()) return false;
    const HWND bar = ScrollBar().Window();
    const Point on = ScreenToClient(bar, ClientToScreen(Window(), client));
    if (!GetClientRect(bar).Contains(on) && GetCapture() != bar) return false;
    SendMessage(bar, message, wParam, PointToLParam(on));
    return true;
}

void ZKPopupMenu::OnMouse(UINT message, WPARAM wParam, Point client) {
    const bool inside = GetClientRect(Window()).Contains(client);
    if (message == WM_MOUSEMOVE) {
        if (!inside) return AskOwnerAbout(ClientToScreen(Window(), client));
        if (!GetCapture()) SetCapture(Window());
        if (ForwardToScrollBar(message, wParam, client)) return;
        const int row = RowAt(client);
        if (Selectable(row) && row != rows_->Current()) SetCurrent(row);
        LRESULT ignored = 0;  // the list shows the whole text of a row too wide for it
        TZKListBox<ZKPopupMenuItem>::ProcessWindowMessage(Window(), message, wParam, PointToLParam(client),
                                                          ignored);
        return;
    }
    if (IsButtonDown(message)) {
        pressedOutside_ = !inside;
        if (!inside || ForwardToScrollBar(message, wParam, client)) return;
        const int row = RowAt(client);
        if (Selectable(row)) SetCurrent(row);
        return;
    }
    if (!IsButtonUp(message)) return;
    const bool outsideClick = pressedOutside_ && !inside;
    pressedOutside_ = false;
    if (outsideClick) return Close(kClosed);
    if (!inside || ForwardToScrollBar(message, wParam, client)) return;
    const int row = RowAt(client);
    if (message == WM_LBUTTONUP && row != ZKListBoxContents::kNone && row == rows_->Current())
        ChooseCurrent(kChosen);
}

bool ZKPopupMenu::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
    switch (message) {
        case WM_KEYDOWN:
            return OnKey(static_cast<int>(wParam));
        case WM_SYSKEYDOWN:
            if (wParam != static_cast<WPARAM>(VK_F1 + 9)) break;
            return OnKey(static_cast<int>(wParam));
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            OnMouse(message, wParam, LParamToPoint(lParam));
            return true;
        case WM_MOUSEACTIVATE:
            result = MA_NOACTIVATE;
            return true;
        case WM_CAPTURECHANGED: {
            // Lost to another window (not to our own scroll bar while its thumb is dragged): closed.
            const HWND to = HWND::FromParam(static_cast<std::uintmax_t>(lParam));
            if (!closing_ && !(to && IsChild(hwnd, to))) Close(kClosed);
            return true;
        }
        case WM_CLOSE:
            closing_ = true;
            DestroyWindow(hwnd);
            return true;
        case WM_DESTROY:
            if (GetCapture() == hwnd) ReleaseCapture();
            if (!loopEndedByOtherQuit_) PostQuitMessage(result_);
            break;
        default:
            break;
    }
    return TZKListBox<ZKPopupMenuItem>::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}
