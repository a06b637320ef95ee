#include "Gui/ZKEdit.h"

#include <algorithm>
#include <cstdlib>

#include "Platform/Clipboard.h"
#include "Platform/Cp1252.h"

using namespace zk;

namespace {

bool Held(int vk) {
    return GetKeyState(vk) < 0;
}

}  // namespace

ZKEdit::ZKEdit(UINT id, std::string text, std::size_t limit) : ZKEdit(id, text, limit, false) {}

ZKEdit::ZKEdit(UINT id, const std::string& text, std::size_t limit, bool multiLine)
    : ZKControl(id), text_(limit, multiLine) {
    text_.SetText(text);
}

HWND ZKEdit::Create(HWND parent, const Rect& rect, DWORD style) {
    return ZKDoubleBuffer::Create(ChildWindowParams(parent, rect, style, Id()));
}

void ZKEdit::SetText(const std::string& text) {
    text_.SetText(text);
    scrollX_ = scrollY_ = 0;
    CaretMoved();
}

void ZKEdit::SetLimit(std::size_t limit) {
    text_.SetLimit(limit);
    CaretMoved();
}

void ZKEdit::Select(std::size_t anchor, std::size_t caret) {
    text_.Select(anchor, caret);
    CaretMoved();
}

int ZKEdit::LineHeight() const {
    const ZKMeasuringDC m;
    return m.dc.Fonts().Get(ZKFontSet::Normal).height;
}

int ZKEdit::TextWidth(std::size_t from, std::size_t to) const {
    if (to <= from) return 0;
    const ZKMeasuringDC m;
    return m.dc.TextExtent(Text().substr(from, to - from), ZKFontSet::Normal).cx;
}

Size ZKEdit::PreferredSize() const {
    return {TextWidth(0, Text().size()) + 2 * kInsetX, LineHeight() + 2 * kPadY};
}

void ZKEdit::Changed(bool changed) {
    CaretMoved();
    if (changed && ControlWindow()) PostNotice(WMU_CONTROL_NOTIFY);
}

void ZKEdit::Replace(const std::string& text) {
    Changed(text_.Replace(text));
}

void ZKEdit::MoveCaret(std::size_t to, bool extend) {
    text_.MoveCaret(to, extend);
    CaretMoved();
}

void ZKEdit::Copy() const {
    if (text_.HasSelection()) SetClipboardText(Cp1252ToUtf8(SelectedText()));
}

void ZKEdit::Paste() {
    const std::string text = Cp1252FromUtf8(GetClipboardText());
    if (!text.empty()) Replace(text);
}

std::size_t ZKEdit::LineNumber(std::size_t index) const {
    return static_cast<std::size_t>(
        std::count(Text().begin(), Text().begin() + static_cast<long>(index), '\n'));
}

// The caret keys; Up and Down only move in a field of several lines.
bool ZKEdit::MoveKey(int vk, bool shift, bool ctrl) {
    const std::size_t caret = Caret();
    const bool collapse = text_.HasSelection() && !shift && !ctrl;
    switch (vk) {
        case VK_LEFT:
            MoveCaret(ctrl       ? text_.WordLeft(caret)
                      : collapse ? text_.SelectionBegin()
                                 : caret - (caret > 0),
                      shift);
            return true;
        case VK_RIGHT:
            MoveCaret(ctrl ? text_.WordRight(caret) : collapse ? text_.SelectionEnd() : caret + 1, shift);
            return true;
        case VK_HOME:
            MoveCaret(ctrl ? 0 : text_.LineStart(caret), shift);
            return true;
        case VK_END:
            MoveCaret(ctrl ? Text().size() : text_.LineEnd(caret), shift);
            return true;
        case VK_UP:
        case VK_DOWN: {
            if (!text_.MultiLine()) return false;
            const std::size_t start = text_.LineStart(caret);
            const std::size_t end = text_.LineEnd(caret);
            if (vk == VK_UP && start > 0)
                MoveCaret(IndexOnLine(text_.LineStart(start - 1), XOf(caret)), shift);
            else if (vk == VK_DOWN && end < Text().size())
                MoveCaret(IndexOnLine(end + 1, XOf(caret)), shift);
            return true;
        }
        default:
            return false;
    }
}

bool ZKEdit::ClipboardKey(int vk, bool shift, bool ctrl) {
    if (vk == VK_INSERT) {
        if (ctrl) Copy();
        if (shift) Paste();
        return ctrl || shift;
    }
    if (!ctrl || Held(VK_MENU)) return false;
    switch (vk) {
        case 'A':
            Select(0, Text().size());
            return true;
        case 'C':
            Copy();
            return true;
        case 'X':
            Copy();
            Replace({});
            return true;
        case 'V':
            Paste();
            return true;
        default:
            return false;
    }
}

bool ZKEdit::KeyDown(int vk) {
    if (!Enabled()) return false;
    const bool shift = Held(VK_SHIFT);
    const bool ctrl = Held(VK_CONTROL);
    switch (vk) {
        case VK_BACK:
            Changed(text_.EraseBack());
            return true;
        case VK_DELETE:
            if (shift) Copy();  // Shift+Delete cuts
            Changed(text_.EraseForward());
            return true;
        case VK_RETURN:
            if (!text_.MultiLine()) return false;
            Replace("\n");
            return true;
        default:
            return MoveKey(vk, shift, ctrl) || ClipboardKey(vk, shift, ctrl);
    }
}

bool ZKEdit::Char(int ch) {
    if (!Enabled()) return false;
    if (ch == '\b') return true;  // done by its key
    if (ch < 32 || ch == 127 || ch > 255) return false;
    if (Held(VK_CONTROL) && !Held(VK_MENU)) return false;  // Ctrl+key combinations are no text (AltGr is)
    Replace(std::string(1, static_cast<char>(ch)));
    return true;
}

void ZKEdit::FocusChanged(bool focused) {
    ZKControl::FocusChanged(focused);
    if (!ControlWindow()) return;
    if (focused) {
        CaretMoved();
    } else {
        KillTimer(ControlWindow(), kCaretTimer);
        caretOn_ = false;
        Invalidate();
    }
}

int ZKEdit::TextTop() const {
    if (text_.MultiLine()) return kPadY;
    return std::max(0, (ClientSize().cy - LineHeight()) / 2);
}

std::size_t ZKEdit::IndexOnLine(std::size_t lineStart, int x) const {
    const std::size_t end = text_.LineEnd(lineStart);
    std::size_t best = lineStart;
    int bestDistance = std::abs(x);
    for (std::size_t i = lineStart + 1; i <= end; ++i) {
        const int distance = std::abs(TextWidth(lineStart, i) - x);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

std::size_t ZKEdit::IndexAt(Point p) const {
    std::size_t start = 0;
    if (text_.MultiLine()) {
        const int line = std::max(0, (p.y - TextTop() + scrollY_) / LineHeight());
        for (int i = 0; i < line && text_.LineEnd(start) < Text().size(); ++i)
            start = text_.LineEnd(start) + 1;
    }
    return IndexOnLine(start, p.x - kInsetX + scrollX_);
}

void ZKEdit::CaretMoved() {
    if (!ControlWindow()) return;
    const Size client = ClientSize();
    const int visible = std::max(1, client.cx - 2 * kInsetX);
    const std::size_t caret = Caret();
    const int caretX = XOf(caret);
    if (caretX - scrollX_ > visible) scrollX_ = caretX - visible;
    if (caretX < scrollX_) scrollX_ = caretX;
    const int lineWidth = TextWidth(text_.LineStart(caret), text_.LineEnd(caret));
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, lineWidth - visible));
    if (text_.MultiLine()) {
        const int lh = LineHeight();
        const int caretY = static_cast<int>(LineNumber(caret)) * lh;
        const int rows = std::max(lh, client.cy - 2 * kPadY);
        if (caretY + lh - scrollY_ > rows) scrollY_ = caretY + lh - rows;
        if (caretY < scrollY_) scrollY_ = caretY;
    }
    if (Focused()) {
        caretOn_ = true;
        SetTimer(ControlWindow(), kCaretTimer, kCaretBlinkMs);
    }
    Invalidate();
}

bool ZKEdit::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            SetControlWindow(hwnd);
            break;
        case WM_NCDESTROY:
            SetControlWindow(HWND());
            break;
        case WM_SETCURSOR:
            SetCursor(Cursor::IBeam);
            result = 1;
            return true;
        case WM_TIMER:
            if (wParam != kCaretTimer) break;
            caretOn_ = !caretOn_ && Focused();
            Invalidate();
            return true;
        case WM_LBUTTONDOWN:
            if (!Enabled()) return true;
            if (!Focused()) PostActivate();
            MoveCaret(IndexAt(LParamToPoint(lParam)), (wParam & MK_SHIFT) != 0);
            dragging_ = true;
            SetCapture(hwnd);
            return true;
        case WM_MOUSEMOVE:
            if (dragging_) MoveCaret(IndexAt(LParamToPoint(lParam)), true);
            return true;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            return true;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            return true;
        default:
            break;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKEdit::Resized(int, int, int) {
    CaretMoved();
}

// One line of text[start, end) with its part of the selection, its top at client y.
void ZKEdit::PaintLine(ZKDC& dc, std::size_t start, std::size_t end, int y) {
    const int x = kInsetX - scrollX_;
    const int height = LineHeight();
    const std::size_t from = std::max(start, text_.SelectionBegin());
    const std::size_t to = std::min(end, text_.SelectionEnd());
    if (text_.HasSelection() && Focused() && from <= to && (from < to || to < text_.SelectionEnd())) {
        // A selected line break shows as a little room after the line's text.
        const int breakWidth = to < text_.SelectionEnd() ? kInsetX : 0;
        dc.FillRect({x + TextWidth(start, from), y, x + TextWidth(start, to) + breakWidth, y + height},
                    dc.Colour(7));
    }
    dc.TextOut(x, y, Text().substr(start, end - start), ZKFontSet::Normal, dc.Colour(Enabled() ? 0 : 1));
    const std::size_t caret = Caret();
    if (caretOn_ && Focused() && caret >= start && caret <= end) {
        const int caretX = x + TextWidth(start, caret);
        dc.Line({caretX, y}, {caretX, y + height}, dc.Colour(0));
    }
}

void ZKEdit::Paint(ZKDC& dc, const Rect& rect) {
    const int edgeSlot = FirstSlot(CurrentLook(false)) + 2;
    dc.FillRect(rect, dc.Colour(5));
    cairo_t* cr = dc.Cairo();
    cairo_save(cr);
    cairo_rectangle(cr, 1, 1, rect.Width() - 2, rect.Height() - 2);
    cairo_clip(cr);
    const int height = LineHeight();
    int y = TextTop() - scrollY_;
    for (std::size_t start = 0;; y += height) {
        const std::size_t end = text_.LineEnd(start);
        if (y + height > 0 && y < rect.Height()) PaintLine(dc, start, end, y);
        if (end >= Text().size() || y >= rect.Height()) break;
        start = end + 1;
    }
    cairo_restore(cr);
    dc.FrameRect(rect, dc.Colour(edgeSlot));
}
