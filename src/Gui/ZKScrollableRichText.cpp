#include "Gui/ZKScrollableRichText.h"

#include <algorithm>

#include "Gui/ZKBackgroundProvider.h"

using namespace zk;

ZKScrollableRichText::ZKScrollableRichText(std::string text, ZKBackgroundProvider* background)
    : text_(std::move(text)), background_(background) {}

HWND ZKScrollableRichText::Create(HWND parent, const Rect& rect, DWORD style, UINT id) {
    return ZKDoubleBuffer::Create(ChildWindowParams(parent, rect, WS_CLIPCHILDREN | style, id));
}

void ZKScrollableRichText::SetText(const std::string& text) {
    text_ = text;
    Relayout();
}

void ZKScrollableRichText::SetTabs(std::span<const int> stops) {
    richText_.SetTabs(stops);
    Relayout();
}

void ZKScrollableRichText::SetColours(std::span<const ZKRGB> colours) {
    richText_.SetColours(colours);
    Relayout();
}

void ZKScrollableRichText::Relayout() {
    MeasureText();
    const Size client = ClientSize();
    Resized(0, client.cx, client.cy);
    Invalidate();
}

bool ZKScrollableRichText::ScrollBarShown() const {
    return bar_.Window() && (GetWindowStyle(bar_.Window()) & WS_VISIBLE);
}

Point ZKScrollableRichText::TextOrigin() const {
    if (!ScrollBarShown()) return {0, 0};
    return {ZKScrollBar::kUnit, -static_cast<int>(extent_.cy * bar_.GetPosition())};
}

void ZKScrollableRichText::MeasureText() {
    ZKMeasuringDC m;
    try {
        richText_.Measure(m.dc, text_);
    } catch (const ZKRichTextError&) {
        richText_.Measure(m.dc, ZKRichText::PlainRichText(text_));
    }
}

void ZKScrollableRichText::DrawText(ZKDC& dc, const Rect& rect, Size* extent) {
    try {
        richText_.Draw(dc, rect.left, rect.top, rect.right, rect.bottom, extent);
    } catch (const ZKRichTextError&) {
        ZKMeasuringDC m;
        richText_.Measure(m.dc, ZKRichText::PlainRichText(text_));
        richText_.Draw(dc, rect.left, rect.top, rect.right, rect.bottom, extent);
    }
}

bool ZKScrollableRichText::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            bar_.Create(hwnd, {0, 0, ZKScrollBar::kUnit, 1}, 0);
            MeasureText();
            return true;
        case WM_NCHITTEST:
            result = HTTRANSPARENT;
            return true;
        case WMU_SCROLL_LINE:
        case WMU_SCROLL_PAGE:
            if (wParam != reinterpret_cast<WPARAM>(&bar_) || lParam == 0) return true;
            Scroll(static_cast<double>(lParam) * bar_.GetPage() / (message == WMU_SCROLL_LINE ? 10.0 : 1.0));
            return true;
        case WMU_SCROLL_THUMB:
            if (wParam == reinterpret_cast<WPARAM>(&bar_) && lParam != 0) Invalidate();
            return true;
        default:
            return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

void ZKScrollableRichText::Scroll(double by) {
    const double position = std::clamp(bar_.GetPosition() + by, 0.0, std::max(0.0, 1.0 - bar_.GetPage()));
    bar_.SetPosition(position);
    Invalidate();
}

void ZKScrollableRichText::Resized(int, int width, int height) {
    if (width < 1 || height < 1) return;
    ZKMeasuringDC m;
    DrawText(m.dc, {0, 0, width, height}, &extent_);
    if (extent_.cy > height) DrawText(m.dc, {ZKScrollBar::kUnit, 0, width, height}, &extent_);
    if (extent_.cy <= height) {
        ShowWindow(bar_.Window(), SW_HIDE);
    } else {
        bar_.SetPageAndPosition(static_cast<double>(height) / extent_.cy, 0.0);
        MoveWindow(bar_.Window(), 0, 0, ZKScrollBar::kUnit, height);
        ShowWindow(bar_.Window(), SW_SHOWNA);
    }
    Invalidate();
}

void ZKScrollableRichText::PaintBackground(ZKDC& dc, const Rect& rect) {
    PaintChildBackground(background_, Window(), dc, rect);
}

void ZKScrollableRichText::Paint(ZKDC& dc, const Rect& rect) {
    PaintBackground(dc, rect);
    const Point origin = TextOrigin();
    DrawText(dc, {origin.x, origin.y, rect.right, rect.bottom}, nullptr);
}
