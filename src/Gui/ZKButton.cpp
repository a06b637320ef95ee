#include "Gui/ZKButton.h"

#include <cstdlib>

#include "Platform/ZKAssert.h"

using namespace zk;

namespace {

int Distance(ZKRGB a, ZKRGB b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

}  // namespace

ZKButton::ZKButton(UINT id) : ZKButton("NOT SET UP", 0, id) {}

ZKButton::ZKButton(const std::string& text, char accessLetter, UINT id) : ZKControl(id, accessLetter) {
    SetText(text, accessLetter);
}

ZKButton::ZKButton(std::shared_ptr<const ZKBitmap> bitmap, char accessLetter, UINT id)
    : ZKControl(id, accessLetter), bitmap_(std::move(bitmap)) {}

HWND ZKButton::Create(HWND parent, const Rect& rect, DWORD style) {
    return ZKDoubleBuffer::Create(ChildWindowParams(parent, rect, style, Id()));
}

void ZKButton::SetText(const std::string& text, char accessLetter) {
    if (!ZKASSERT(!bitmap_)) return;
    text_ = text;
    SetAccessLetter(accessLetter);
    const ZKMeasuringDC m;
    const ZKDC& dc = m.dc;
    const Size extent = dc.TextExtent(text_, ZKFontSet::Normal);
    preferred_ = {extent.cx + 10, extent.cy + 5};
    Invalidate();
}

void ZKButton::SetFlash(bool on, int slot) {
    if (flashing_ == on) return;
    flashing_ = on;
    if (on) {
        flashSlot_ = slot;
        flashPhase_ = 1;
        SetTimer(Window(), kFlashOnTimer, kFlashLookMs);
    } else {
        flashPhase_ = 0;
        KillTimer(Window(), kFlashOnTimer);
        KillTimer(Window(), kFlashOffTimer);
    }
    Invalidate();
}

ZKButton::Colours ZKButton::CurrentColours(const ZKColourContext& context) const {
    const auto colour = [&context](int slot) { return ZKGDI::Colour(context, slot); };
    const ZKRGB text = colour(Enabled() ? 0 : 1);
    if (flashing_ && flashPhase_ == 1) {
        const ZKRGB flash = colour(flashSlot_);
        if (Distance(colour(0), flash) < 256) return {flash, flash, colour(5), colour(5)};
        return {flash, flash, colour(2), text};
    }
    const int first = FirstSlot(CurrentLook(down_));
    return {colour(first), colour(first + 1), colour(first + 2), text};
}

bool ZKButton::Char(int ch) {
    if (ch != ' ' || !Enabled()) return false;
    Press();
    return true;
}

void ZKButton::Press() {
    if (!Enabled()) return;
    SetHovered(true);
    down_ = true;
    Invalidate();
    if (Window()) UpdateWindow(Window());
    SetTimer(Window(), kPressTimer, kPressMs);
    PostNotice(WMU_BUTTON_DOWN);
    PostNotice(WMU_CONTROL_NOTIFY);
}

void ZKButton::OnMouseMove(Point p) {
    lastMouse_ = p;
    if (!Enabled()) return;
    SetHovered(true);
    TrackMouseEvent(TME_LEAVE, Window());
    if (FloatingFocus() && !Focused() && GetClientRect(Window()).Contains(p)) PostActivate();
}

void ZKButton::OnLeftDown() {
    if (!Enabled()) return;
    SetHovered(true);
    down_ = true;
    pressed_ = true;
    Invalidate();
    if (repeat_) SetTimer(Window(), kRepeatDelayTimer, kRepeatDelayMs);
    if (!Focused()) PostActivate();
    PostNotice(WMU_BUTTON_DOWN);
}

void ZKButton::OnLeftUp() {
    if (!Enabled() || !pressed_) return;
    down_ = false;
    pressed_ = false;
    Invalidate();
    PostNotice(WMU_BUTTON_UP);
    PostNotice(WMU_CONTROL_NOTIFY);
    StopRepeat();
}

void ZKButton::OnMouseLeave() {
    if (!Enabled()) return;
    SetHovered(false);
    down_ = false;
    pressed_ = false;
    Invalidate();
    PostNotice(WMU_BUTTON_UP);
    StopRepeat();
}

void ZKButton::StopRepeat() {
    KillTimer(Window(), kRepeatDelayTimer);
    KillTimer(Window(), kRepeatUpTimer);
    KillTimer(Window(), kRepeatDownTimer);
}

bool ZKButton::OnTimer(std::uintptr_t id) {
    const HWND hwnd = Window();
    switch (id) {
        case kRepeatDelayTimer:
        case kRepeatUpTimer:
            KillTimer(hwnd, id);
            down_ = false;
            Invalidate();
            SetTimer(hwnd, kRepeatDownTimer, kRepeatHalfMs);
            PostNotice(WMU_CONTROL_NOTIFY);
            return true;
        case kRepeatDownTimer:
            KillTimer(hwnd, id);
            down_ = true;
            Invalidate();
            SetTimer(hwnd, kRepeatUpTimer, kRepeatHalfMs);
            return true;
        case kPressTimer:
            KillTimer(hwnd, id);
            SetHovered(false);
            down_ = false;
            Invalidate();
            PostNotice(WMU_BUTTON_UP);
            return true;
        case kFlashOnTimer:
            KillTimer(hwnd, id);
            flashPhase_ = 0;
            SetTimer(hwnd, kFlashOffTimer, kNormalLookMs);
            Invalidate();
            return true;
        case kFlashOffTimer:
            KillTimer(hwnd, id);
            flashPhase_ = 1;
            SetTimer(hwnd, kFlashOnTimer, kFlashLookMs);
            Invalidate();
            return true;
        default:
            return false;
    }
}

bool ZKButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!ControlWindow()) SetControlWindow(hwnd);
    switch (message) {
        case WM_CREATE:
            if (bitmap_) preferred_ = {bitmap_->Width() + 2, bitmap_->Height() + 2};
            if (flashing_) SetTimer(hwnd, flashPhase_ ? kFlashOnTimer : kFlashOffTimer, kFlashLookMs);
            return true;
        case WM_MOUSEMOVE:
            OnMouseMove(LParamToPoint(lParam));
            return true;
        case WM_LBUTTONDOWN:
            OnLeftDown();
            return true;
        case WM_LBUTTONUP:
            OnLeftUp();
            return true;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return true;
        case WM_RBUTTONUP:
            if (Enabled())
                PostMessage(GetParent(hwnd), WMU_BUTTON_RCLICK, 0,
                            reinterpret_cast<LPARAM>(static_cast<ZKControl*>(this)));
            return true;
        case WM_CHAR:
            if (Char(static_cast<int>(wParam))) return true;
            break;
        case WM_TIMER:
            if (OnTimer(wParam)) return true;
            break;
        case WM_NCDESTROY:
            SetControlWindow(HWND());
            break;
        default:
            break;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKButton::Paint(ZKDC& dc, const Rect& rect) {
    const Colours c = CurrentColours(dc.ColourContext());
    dc.GradientFill(rect, c.faceTop, c.faceBottom, true);
    dc.FrameRect(rect, c.frame);
    if (bitmap_) {
        dc.DrawBitmap(*bitmap_,
                      {(rect.Width() - bitmap_->Width()) / 2, (rect.Height() - bitmap_->Height()) / 2});
        return;
    }
    const Size extent = dc.TextExtent(text_, ZKFontSet::Normal);
    dc.TextOut((rect.Width() - extent.cx) / 2, (rect.Height() - extent.cy) / 2, text_, ZKFontSet::Normal,
               c.text, ZKDC::Align::Left, AccessLetterIndex(text_));
}
