#include "Gui/ZKPlainWindow.h"

using namespace zk;

ZKPlainWindow::~ZKPlainWindow() {
    destroying_ = true;
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

HWND ZKPlainWindow::Create(WindowCreateParams params) {
    params.proc = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (destroying_) return DefWindowProc(hwnd, message, wParam, lParam);
        if (!hwnd_) hwnd_ = hwnd;  // known from WM_CREATE on, before CreateWindowEx returns
        if (message == WM_NCDESTROY) hwnd_ = HWND();
        LRESULT result = 0;
        if (ProcessWindowMessage(hwnd, message, wParam, lParam, result)) return result;
        return DefWindowProc(hwnd, message, wParam, lParam);
    };
    const HWND hwnd = CreateWindowEx(params);
    if (!hwnd) hwnd_ = HWND();
    return hwnd;
}

bool ZKPlainWindow::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    switch (message) {
        case WM_SIZE:
            Resized(static_cast<int>(wParam), LOWORD(static_cast<std::uintmax_t>(lParam)),
                    HIWORD(static_cast<std::uintmax_t>(lParam)));
            return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, ps);
            {
                ZKDC dc(ps);
                Paint(dc, GetClientRect(hwnd));
            }
            EndPaint(hwnd, ps);
            return true;
        }
        case WM_ERASEBKGND:
            result = 1;  // the paint covers everything
            return true;
        default:
            return false;
    }
}

void ZKPlainWindow::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, true);
}
