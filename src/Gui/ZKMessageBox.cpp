#include "Gui/ZKMessageBox.h"

#include <algorithm>

using namespace zk;

ZKMessageBox::ZKMessageBox(HWND parent, const std::string& title, const std::string& text, int buttonSet)
    : ZKMessageBoxButtons(parent, buttonSet), title_(title), body_(text, this) {}

ZKMessageBox::ZKMessageBox(HWND parent, const std::string& text, int buttonSet)
    : ZKMessageBox(parent, std::string(), text, buttonSet) {}

void ZKMessageBox::SetText(const std::string& text) {
    body_.SetText(text);
}

void ZKMessageBox::SetTabs(std::span<const int> stops) {
    titleText_.SetTabs(stops);
    body_.SetTabs(stops);
}

void ZKMessageBox::SetColours(std::span<const ZKRGB> colours) {
    titleText_.SetColours(colours);
    body_.SetColours(colours);
}

void ZKMessageBox::MeasureTitle() {
    titleExtent_ = {};
    if (title_.empty()) return;
    const ZKMeasuringDC m;
    const ZKDC& dc = m.dc;
    try {
        titleText_.Measure(dc, title_);
    } catch (const ZKRichTextError&) {
        titleText_.Measure(dc, ZKRichText::PlainRichText(title_));
    }
    titleExtent_ = titleText_.Extent();
}

void ZKMessageBox::LayOut(HWND hwnd) {
    const Size row = CreateButtons(hwnd);
    MeasureTitle();
    const int th = titleExtent_.cy;
    body_.Create(hwnd, {10, 10, 20, 20});
    const Size body = body_.UnwrappedExtent();
    const int width = std::max({body.cx, titleExtent_.cx, row.cx}) + 20;
    int height = row.cy + 30 + body.cy + (th > 0 ? 6 + th : 0);
    const HWND over = IsWindow(OwnerWindow()) ? OwnerWindow() : hwnd;
    height = std::min(height, GetMonitorInfoFromWindow(over).work.Height());
    const int top = th > 0 ? th + 16 : 10;
    MoveWindow(body_.Window(), 10, top, width - 20, height - row.cy - 20 - top);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutButtons(width, height);
}

bool ZKMessageBox::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) {
    if (message == WM_CREATE) {
        LayOut(hwnd);
        return true;
    }
    return ZKMessageBoxButtons::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKMessageBox::PaintDialog(ZKDC& dc, const Rect& rect) {
    const int th = titleExtent_.cy;
    if (th <= 0) return;
    const bool active = LooksActive();
    dc.GradientFill({1, 1, rect.right - 1, 6 + th}, dc.Colour(active ? 16 : 20), dc.Colour(active ? 13 : 21),
                    false);
    dc.Line({1, 5 + th}, {rect.right - 1, 5 + th}, dc.Colour(active ? 18 : 12));
    try {
        titleText_.Draw(dc, 10, 3, 10 + titleExtent_.cx, 3 + th);
    } catch (const ZKRichTextError&) {
        // A title whose layout fails shows no text; the band stays.
    }
}
