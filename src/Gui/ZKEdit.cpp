#include "Gui/ZKEdit.h"

#include <algorithm>
#include <cstdlib>

#include "Platform/Clipboard.h"
#include "Platform/Cp1252.h"

using namespace zk;

namespace {

constexpr int kPadY = 3;

bool Held(int vk) {
    return GetKeyState(vk) < 0;
}

// One line of printable text: line breaks and other control characters become spaces.
std::string OneLine(std::string text) {
    for (char& ch : text)
        if (static_cast<unsigned char>(ch) < 32 || ch == 127) ch = ' ';
    return text;
}

}  // namespace

ZKEdit::ZKEdit(UINT id, std::string text, std::size_t limit) : ZKControl(id), limit_(limit) {
    SetText(text);
}

HWND ZKEdit::Create(HWND parent, const Rect& rect, DWORD style) {
    return ZKDoubleBuffer::Create(ChildWindowParams(parent, rect, style, Id()));
}

void ZKEdit::SetText(const std::string& text) {
    text_ = limit_ ? text.substr(0, limit_) : text;
    caret_ = anchor_ = text_.size();
    CaretMoved();
}

void ZKEdit::SetLimit(std::size_t limit) {
    limit_ = limit;
    if (limit_ && text_.size() > limit_) SetText(text_);
}

void ZKEdit::Select(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, text_.size());
    caret_ = std::min(caret, text_.size());
    CaretMoved();
}

std::string ZKEdit::SelectedText() const {
    return text_.substr(SelectionBegin(), SelectionEnd() - SelectionBegin());
}

Size ZKEdit::PreferredSize() const {
    ZKMeasuringDC m;
    const Size extent = m.dc.TextExtent(text_, ZKFontSet::Normal);
    return {extent.cx + 2 * kInsetX, m.dc.Fonts().Get(ZKFontSet::Normal).height + 2 * kPadY};
}

void ZKEdit::Replace(const std::string& text) {
    const std::size_t begin = SelectionBegin();
    std::string inserted = text;
    const std::size_t kept = text_.size() - (SelectionEnd() - begin);
    if (limit_) inserted = inserted.substr(0, kept < limit_ ? limit_ - kept : 0);
    if (inserted.empty() && SelectionEnd() == begin) return;  // nothing to remove, no room to insert
    text_.replace(begin, SelectionEnd() - begin, inserted);
    caret_ = anchor_ = begin + inserted.size();
    CaretMoved();
    if (ControlWindow()) PostNotice(WMU_CONTROL_NOTIFY);
}

void ZKEdit::MoveCaret(std::size_t to, bool extend) {
    caret_ = std::min(to, text_.size());
    if (!extend) anchor_ = caret_;
    CaretMoved();
}

void ZKEdit::Copy() const {
    if (caret_ != anchor_) SetClipboardText(Cp1252ToUtf8(SelectedText()));
}

void ZKEdit::Paste() {
    const std::string text = OneLine(Cp1252FromUtf8(GetClipboardText()));
    if (!text.empty()) Replace(text);
}

bool ZKEdit::KeyDown(int vk) {
    if (!Enabled()) return false;
    const bool shift = Held(VK_SHIFT);
    const bool ctrl = Held(VK_CONTROL);
    switch (vk) {
        case VK_LEFT:
            MoveCaret(caret_ != anchor_ && !shift ? SelectionBegin() : caret_ - (caret_ > 0), shift);
            return true;
        case VK_RIGHT:
            MoveCaret(caret_ != anchor_ && !shift ? SelectionEnd() : caret_ + 1, shift);
            return true;
        case VK_HOME:
            MoveCaret(0, shift);
            return true;
        case VK_END:
            MoveCaret(text_.size(), shift);
            return true;
        case VK_BACK:
        case VK_DELETE:
            if (vk == VK_DELETE && shift) Copy();  // Shift+Delete cuts
            if (caret_ == anchor_ && vk == VK_BACK && caret_ > 0) anchor_ = caret_ - 1;
            if (caret_ == anchor_ && vk == VK_DELETE && caret_ < text_.size()) anchor_ = caret_ + 1;
            Replace({});
            return true;
        case VK_INSERT:
            if (ctrl) Copy();
            if (shift) Paste();
            return ctrl || shift;
        default:
            break;
    }
    if (!ctrl || Held(VK_MENU)) return false;
    switch (vk) {
        case 'A':
            Select(0, text_.size());
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

int ZKEdit::TextWidth(std::size_t chars) const {
    ZKMeasuringDC m;
    return m.dc.TextExtent(text_.substr(0, chars), ZKFontSet::Normal).cx;
}

std::size_t ZKEdit::IndexAt(int x) const {
    const int target = x - kInsetX + scrollX_;
    std::size_t best = 0;
    int bestDistance = std::abs(target);
    for (std::size_t i = 1; i <= text_.size(); ++i) {
        const int distance = std::abs(TextWidth(i) - target);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void ZKEdit::CaretMoved() {
    if (!ControlWindow()) return;
    const int visible = std::max(1, ClientSize().cx - 2 * kInsetX);
    const int caretX = TextWidth(caret_);
    if (caretX - scrollX_ > visible) scrollX_ = caretX - visible;
    if (caretX < scrollX_) scrollX_ = caretX;
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, TextWidth(text_.size()) - visible));
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
            MoveCaret(IndexAt(GET_X_LPARAM(lParam)), (wParam & MK_SHIFT) != 0);
            dragging_ = true;
            SetCapture(hwnd);
            return true;
        case WM_MOUSEMOVE:
            if (dragging_) MoveCaret(IndexAt(GET_X_LPARAM(lParam)), true);
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

void ZKEdit::Paint(ZKDC& dc, const Rect& rect) {
    const int edgeSlot = FirstSlot(CurrentLook(false)) + 2;
    dc.FillRect(rect, dc.Colour(5));
    const int height = dc.Fonts().Get(ZKFontSet::Normal).height;
    const int y = std::max(0, (rect.Height() - height) / 2);
    const int x = kInsetX - scrollX_;
    cairo_t* cr = dc.Cairo();
    cairo_save(cr);
    cairo_rectangle(cr, 1, 1, rect.Width() - 2, rect.Height() - 2);
    cairo_clip(cr);
    if (caret_ != anchor_ && Focused()) {
        const Rect selection{x + TextWidth(SelectionBegin()), y, x + TextWidth(SelectionEnd()), y + height};
        dc.FillRect(selection, dc.Colour(7));
    }
    dc.TextOut(x, y, text_, ZKFontSet::Normal, dc.Colour(Enabled() ? 0 : 1));
    if (caretOn_ && Focused()) {
        const int caretX = x + TextWidth(caret_);
        dc.Line({caretX, y}, {caretX, y + height}, dc.Colour(0));
    }
    cairo_restore(cr);
    dc.FrameRect(rect, dc.Colour(edgeSlot));
}
