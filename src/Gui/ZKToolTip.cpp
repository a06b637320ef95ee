#include "Gui/ZKToolTip.h"

#include <algorithm>

using namespace zk;

void ZKToolTip::Show(HWND owner, const std::string& text, Point screen) {
    text_ = text;
    ZKMeasuringDC m;
    const Size extent = m.dc.TextExtent(text, ZKFontSet::Normal);
    const int width = extent.cx + 2 * kPadX;
    const int height = extent.cy + 2 * kPadY;
    const Rect work = GetMonitorInfoFromPoint(screen).work;
    const int x = std::max(work.left, std::min(screen.x, work.right - width));
    const int y = std::max(work.top, std::min(screen.y, work.bottom - height));
    if (!Window()) {
        WindowCreateParams p;
        p.style = WS_POPUP;
        p.exStyle = WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
        p.parent = GetTopLevel(owner);
        p.x = x;
        p.y = y;
        p.cx = width;
        p.cy = height;
        if (!Create(p)) return;
    } else {
        SetWindowPos(Window(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    }
    Invalidate();
    ShowWindow(Window(), SW_SHOWNA);
}

void ZKToolTip::Hide() {
    if (Window()) ShowWindow(Window(), SW_HIDE);
}

bool ZKToolTip::Shown() const {
    return Window() && IsWindowVisible(Window());
}

bool ZKToolTip::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_NCHITTEST) {
        result = HTTRANSPARENT;
        return true;
    }
    if (message == WM_MOUSEACTIVATE) {
        result = MA_NOACTIVATE;
        return true;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKToolTip::Paint(ZKDC& dc, const Rect& rect) {
    dc.FillRect(rect, dc.Colour(19));
    dc.FrameRect(rect, dc.Colour(12));
    dc.TextOut(kPadX, kPadY, text_, ZKFontSet::Normal, dc.Colour(0));
}
