#include "Gui/ZKPleaseWait.h"

#include <algorithm>

using namespace zk;

ZKPleaseWait::ZKPleaseWait(HWND parent, std::string text, Work work)
    : ZKPopupDialog(parent), text_(std::move(text)), work_(std::move(work)) {}

ZKPleaseWait::~ZKPleaseWait() {
    if (thread_.joinable()) thread_.join();
}

void ZKPleaseWait::Start(HWND hwnd) {
    running_ = true;
    thread_ = std::thread([this, hwnd] {
        const int result = work_ ? work_() : 0;
        PostMessage(hwnd, WMU_WORK_DONE, static_cast<WPARAM>(static_cast<unsigned>(result)), 0);
    });
}

bool ZKPleaseWait::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) {
    switch (message) {
        case WM_CREATE: {
            const ZKMeasuringDC m;
            const ZKDC& dc = m.dc;
            const Size extent = dc.TextExtent(text_, ZKFontSet::Normal);
            SetWindowPos(hwnd, HWND_TOP, 0, 0, std::max(extent.cx + 60, 200), extent.cy + 50,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Start(hwnd);
            return true;
        }
        case WM_CLOSE:
            if (running_) return true;  // the work's end closes the box
            break;
        case WMU_WORK_DONE:
            thread_.join();
            running_ = false;
            EndDialog(static_cast<int>(static_cast<unsigned>(wParam)));
            return true;
        default:
            break;
    }
    return ZKPopupDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKPleaseWait::PaintDialog(ZKDC& dc, const Rect& rect) {
    const Size extent = dc.TextExtent(text_, ZKFontSet::Normal);
    dc.TextOut((rect.Width() - extent.cx) / 2, (rect.Height() - extent.cy) / 2, text_, ZKFontSet::Normal,
               dc.Colour(0));
}
