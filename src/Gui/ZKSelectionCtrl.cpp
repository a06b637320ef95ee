#include "Gui/ZKSelectionCtrl.h"

#include "Gui/ZKBackgroundProvider.h"

using namespace zk;

ZKSelectionCtrl::ZKSelectionCtrl(const std::string& text, char accessLetter, ZKBackgroundProvider* background,
                                 UINT id)
    : ZKControl(id, accessLetter), background_(background) {
    SetText(text);
}

HWND ZKSelectionCtrl::Create(HWND parent, const Rect& rect, DWORD style) {
    return ZKDoubleBuffer::Create(ChildWindowParams(parent, rect, style, Id()));
}

void ZKSelectionCtrl::SetText(const std::string& text) {
    text_ = text;
    const ZKMeasuringDC m;
    const ZKDC& dc = m.dc;
    if (text_.empty()) {
        preferred_ = {20, dc.TextExtent("X", ZKFontSet::Normal).cy + 4};
    } else {
        const Size extent = dc.TextExtent(text_, ZKFontSet::Normal);
        preferred_ = {extent.cx + 20, extent.cy + 4};
    }
    Invalidate();
}

void ZKSelectionCtrl::SetTicked(bool ticked) {
    if (ticked_ == ticked) return;
    ticked_ = ticked;
    Invalidate();
}

bool ZKSelectionCtrl::Char(int ch) {
    if (ch != ' ' || !Enabled()) return false;
    Press();
    return true;
}

void ZKSelectionCtrl::Press() {
    if (!Enabled()) return;
    ticked_ = NextTickState();
    Invalidate();
    PostNotice(WMU_CONTROL_NOTIFY);
}

void ZKSelectionCtrl::OnMouseMove(Point p) {
    lastMouse_ = p;
    if (!Enabled()) return;
    SetHovered(true);
    TrackMouseEvent(TME_LEAVE, Window());
    if (FloatingFocus() && !Focused() && GetClientRect(Window()).Contains(p)) PostActivate();
}

bool ZKSelectionCtrl::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result) {
    if (!ControlWindow()) SetControlWindow(hwnd);
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove(LParamToPoint(lParam));
            return true;
        case WM_LBUTTONDOWN:
            if (!Enabled()) return true;
            SetHovered(true);
            pressed_ = true;
            Invalidate();
            if (!Focused()) PostActivate();
            return true;
        case WM_LBUTTONUP:
            if (!Enabled()) return true;
            if (pressed_) Press();
            pressed_ = false;
            Invalidate();
            return true;
        case WM_MOUSELEAVE:
            SetHovered(false);
            pressed_ = false;
            Invalidate();
            return true;
        case WM_CHAR:
            if (Char(static_cast<int>(wParam))) return true;
            break;
        case WM_NCDESTROY:
            SetControlWindow(HWND());
            break;
        default:
            break;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKSelectionCtrl::Paint(ZKDC& dc, const Rect& rect) {
    PaintChildBackground(background_, Window(), dc, rect);
    const int first = FirstSlot(CurrentLook(pressed_));
    const int top = (rect.Height() - kBoxSize) / 2;
    PaintMark(dc, {2, top, 2 + kBoxSize, top + kBoxSize}, dc.Colour(first), dc.Colour(first + 2),
              dc.Colour(Enabled() ? 0 : 1));
    const Size extent = dc.TextExtent(text_, ZKFontSet::Normal);
    dc.TextOut(kTextLeft, (rect.Height() - extent.cy) / 2, text_, ZKFontSet::Normal,
               dc.Colour(Enabled() ? 0 : 1), ZKDC::Align::Left, AccessLetterIndex(text_));
}
