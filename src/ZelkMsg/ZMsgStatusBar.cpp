#include "ZelkMsg/ZMsgStatusBar.h"

#include "Platform/ZKAssert.h"

namespace {

constexpr int kBackgroundSlot = 5;
constexpr int kPenSlot = 2;
constexpr int kTextSlot = 0;
constexpr int kTextTop = 4;
constexpr int kGap = 10;
constexpr int kLampSize = 18;

}  // namespace

zk::HWND ZMsgStatusBar::Create(zk::HWND parent, const zk::Rect& rect) {
    return ZKMenuBar::Create(parent, rect);
}

int ZMsgStatusBar::LampSlot(const ZMsgConnectionStatus& status, bool lit) {
    if (!lit) return kBackgroundSlot;
    switch (status.state) {
        case 0:
            return status.searching ? 37 : kBackgroundSlot;
        case 1:
            return 38;
        case 2:
            return 37;
        case 3:
            return 35;
        default:
            return kBackgroundSlot;
    }
}

bool ZMsgStatusBar::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam,
                                         zk::LPARAM lParam, zk::LRESULT& result) {
    if (message == zk::WM_CREATE) {
        zk::SetTimer(hwnd, kLitTimer, kLitMs);
        blinkPhase_ = 1;
    } else if (message == zk::WM_TIMER && (wParam == kLitTimer || wParam == kDarkTimer)) {
        // The lit timer ends the lit phase and starts the dark one, and the other way round.
        const bool endOfLit = wParam == kLitTimer;
        zk::KillTimer(hwnd, wParam);
        zk::SetTimer(hwnd, endOfLit ? kDarkTimer : kLitTimer, endOfLit ? kDarkMs : kLitMs);
        blinkPhase_ = endOfLit ? 0 : 1;
        Invalidate();
        result = 0;
        return true;
    }
    return ZKMenuBar::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

int ZMsgStatusBar::PaintDeviceTexts(ZKDC& dc, const ZMsgConnectionStatus& status, int x) {
    for (const std::string& text : status.DeviceTexts()) {
        dc.TextOut(x, kTextTop, text, ZKFontSet::Normal, dc.Colour(kTextSlot));
        x += dc.TextExtent(text, ZKFontSet::Normal).cx + kGap;
    }
    return x;
}

void ZMsgStatusBar::Paint(ZKDC& dc, const zk::Rect& rect) {
    PaintBar(dc, rect);
    const ZMsgConnectionStatus status = source_ ? source_() : ZMsgConnectionStatus{};
    ZKASSERT(status.state >= 0 && status.state <= 3);
    const ZKRGB pen = dc.Colour(kPenSlot);
    int x = rect.left;
    if (status.hasDevice) {
        dc.Line({x, rect.top + 2}, {x, rect.bottom - 3}, pen);
        dc.Line({x + 2, rect.top + 2}, {x + 2, rect.bottom - 3}, pen);
        x += kGap;
        PaintDeviceTexts(dc, status, x);
    }
    const std::string stateText = status.StateText();
    dc.TextOut(rect.right - 4, kTextTop, stateText, ZKFontSet::Normal, dc.Colour(kTextSlot),
               ZKDC::Align::Right);
    // The lamp sits four pixels left of the right-aligned state text.
    const int x0 = rect.right - 8 - dc.TextExtent(stateText, ZKFontSet::Normal).cx;
    dc.Ellipse({x0 - kLampSize, kTextTop, x0, kTextTop + kLampSize}, dc.Colour(LampSlot(status, LampLit())),
               pen);
}
