#include "Gui/ZKDialogBase.h"

using namespace zk;

namespace {

bool IsButtonDown(UINT m) {
    return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
           m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN;
}

bool IsButtonUp(UINT m) {
    return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP || m == WM_NCLBUTTONUP ||
           m == WM_NCRBUTTONUP || m == WM_NCMBUTTONUP;
}

bool IsDoubleClickOrNcMove(UINT m) {
    return m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK ||
           m == WM_NCLBUTTONDBLCLK || m == WM_NCRBUTTONDBLCLK || m == WM_NCMBUTTONDBLCLK ||
           m == WM_NCMOUSEMOVE;
}

}  // namespace

int ZKDialogBase::RunModalLoop() {
    BringWindowToTop(DialogWindow());
    CMessageLoop loop;
    loop.AddMessageFilter(this);
    const int result = loop.Run();
    loop.RemoveMessageFilter(this);
    if (deferred_ && deferred_->message == WMU_SERVER_LOST_CLOSE)
        PostMessage(deferred_->hwnd, deferred_->message, deferred_->wParam, deferred_->lParam);
    deferred_.reset();
    return result;
}

HWND ZKDialogBase::TopModalOrMain() const {
    if (!modalOwner_) return DialogWindow();
    const HWND top = modalOwner_->ModalStack().Top();
    return top ? top : modalOwner_->MainWindow();
}

bool ZKDialogBase::IsTopModal() const {
    return !modalOwner_ || modalOwner_->ModalStack().Top() == DialogWindow();
}

bool ZKDialogBase::BelongsToDialog(HWND hwnd) const {
    const HWND dialog = DialogWindow();
    return hwnd && (hwnd == dialog || IsChild(dialog, hwnd) || OwnsWindow(hwnd));
}

void ZKDialogBase::BringTopToFront() const {
    if (!IsApplicationActive()) SetForegroundWindow(TopModalOrMain());
}

bool ZKDialogBase::PreTranslateMessage(MSG* msg) {
    if (BelongsToDialog(msg->hwnd)) {
        if (IsButtonDown(msg->message)) BringTopToFront();
        return false;
    }
    return FilterOutsideMessage(*msg);
}

bool ZKDialogBase::FilterOutsideMessage(MSG& msg) {
    const UINT m = msg.message;
    if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP || m == WM_CHAR ||
        m == WM_SYSCHAR || m == WM_MOUSEWHEEL) {
        // Input for a window that has gone (a character of the key that closed it) belongs to nobody.
        if (!IsWindow(msg.hwnd)) return true;
        msg.hwnd = DialogWindow();
        return false;
    }
    if (m == WM_MOUSEMOVE) {
        OnMouseMoveOutside(msg);
        return true;
    }
    if (IsButtonDown(m)) {
        if (CloseOnOutsideClick(msg)) pendingOutsideClose_ = true;
        BringTopToFront();
        return true;
    }
    if (IsButtonUp(m)) {
        if (m == WM_MBUTTONUP) return false;
        if (pendingOutsideClose_ && CloseOnOutsideClick(msg)) PostMessage(DialogWindow(), WM_CLOSE, 0, 0);
        pendingOutsideClose_ = false;
        return true;
    }
    if (IsDoubleClickOrNcMove(m)) return true;
    if (m == WMU_SERVER_LOST_CLOSE) {
        deferred_ = msg;
        PostMessage(DialogWindow(), WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}
