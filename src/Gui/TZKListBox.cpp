#include "Gui/TZKListBox.h"

#include <algorithm>
#include <cmath>

#include "Gui/ZKRichText.h"

using namespace zk;

namespace {

int Round(double value) {
    return static_cast<int>(std::floor(value + 0.5));
}

}  // namespace

ZKListBoxBase::ZKListBoxBase(DWORD style, bool keepsCurrent) : style_(style), keepsCurrent_(keepsCurrent) {}

HWND ZKListBoxBase::Create(HWND parent, const Rect& rect, DWORD wsStyle, UINT id) {
    WindowCreateParams params = ChildWindowParams(parent, rect, WS_CLIPCHILDREN | wsStyle, id);
    params.classStyle = CS_DBLCLKS;
    return ZKDoubleBuffer::Create(params);
}

void ZKListBoxBase::Attach(ZKListBoxContents* rows, bool lastCurrent) {
    rows_ = rows;
    if (rows_) {
        rows_->SetListWindow(Window());
        ZKMeasuringDC m;
        rows_->LayOut(m.dc);
        if (rows_->Count() == 0)
            rows_->SetCurrent(ZKListBoxContents::kNone);
        else if (keepsCurrent_)
            rows_->SetCurrent(lastCurrent ? rows_->Count() - 1 : 0);
        HideTip();
        tipRow_ = pressedRow_ = ZKListBoxContents::kNone;
        if (!(style_ & kMultiSelect)) rows_->ClearSelections();
    }
    if (!Window()) return;
    LayOut();
    StartFlashing();
    PostMessage(GetParent(Window()), WMU_LIST_ATTACHED, reinterpret_cast<WPARAM>(this),
                reinterpret_cast<LPARAM>(rows_));
    Invalidate();
}

int ZKListBoxBase::RowHeight() const {
    return rows_ ? std::max(1, rows_->RowSize().cy) : 1;
}
int ZKListBoxBase::TotalHeight() const {
    return rows_ ? rows_->TotalSize().cy : 0;
}
int ZKListBoxBase::PixelOffset() const {
    return Round(TotalHeight() * bar_.GetPosition());
}
int ZKListBoxBase::RowsPerPage() const {
    return std::max(1, ClientSize().cy / RowHeight());
}

bool ZKListBoxBase::ScrollBarShown() const {
    return bar_.Window() && (GetWindowStyle(bar_.Window()) & WS_VISIBLE);
}

Rect ZKListBoxBase::RowsRect() const {
    const Size client = ClientSize();
    if (!ScrollBarShown()) return {0, 0, client.cx, client.cy};
    if (style_ & kBarRight) return {0, 0, client.cx - ZKScrollBar::kUnit, client.cy};
    return {ZKScrollBar::kUnit, 0, client.cx, client.cy};
}

double ZKListBoxBase::Clamp(double position) const {
    return std::clamp(position, 0.0, std::max(0.0, 1.0 - bar_.GetPage()));
}

double ZKListBoxBase::PositionShowing(int row, double position, double page) const {
    const double total = TotalHeight();
    if (row < 0 || total <= 0) return position;
    const double clientBottom = ClientSize().cy;
    const double top = row * RowHeight() - total * position;
    const double bottom = top + RowHeight();
    if (bottom > clientBottom) position += (bottom - clientBottom + 1) / total;
    if (top < 0) position -= -top / total;
    return std::clamp(position, 0.0, std::max(0.0, 1.0 - page));
}

void ZKListBoxBase::LayOut() {
    const Size client = ClientSize();
    if (!Window() || !bar_.Window() || client.cy < 1) return;
    const int total = TotalHeight();
    if (RowCount() == 0 || total <= client.cy) {
        ShowWindow(bar_.Window(), SW_HIDE);  // the bar forgets its page and position
    } else {
        // Keep the view's pixel offset across the change of total height.
        const double oldPage = bar_.GetPage();
        const int offset = Round(Round(client.cy / oldPage) * bar_.GetPosition());
        const double page = static_cast<double>(client.cy) / total;
        double position = offset < 1 ? 0.0 : static_cast<double>(offset) / total;
        position = std::clamp(position, 0.0, std::max(0.0, 1.0 - page));
        position = PositionShowing(rows_->Current(), position, page);
        bar_.SetPageAndPosition(page, position);
        const int x = (style_ & kBarRight) ? client.cx - ZKScrollBar::kUnit : 0;
        MoveWindow(bar_.Window(), x, 0, ZKScrollBar::kUnit, client.cy);
        ShowWindow(bar_.Window(), SW_SHOWNA);
    }
    wheelStep_ = std::max(1, client.cy / RowHeight() / 8);
}

void ZKListBoxBase::SetCurrent(int row) {
    if (RowCount() == 0) return;
    const int old = rows_->Current();
    rows_->SetCurrent(std::clamp(row, 0, RowCount() - 1));
    if (ScrollBarShown())
        bar_.SetPosition(PositionShowing(rows_->Current(), bar_.GetPosition(), bar_.GetPage()));
    Invalidate();
    if (rows_->Current() != old && Window())
        PostMessage(GetParent(Window()), WMU_LIST_CURRENT, reinterpret_cast<WPARAM>(this), rows_->Current());
}

bool ZKListBoxBase::Selectable(int row) const {
    return row >= 0 && row < RowCount() && rows_->At(row).Enabled();
}

int ZKListBoxBase::FirstSelectableRow() const {
    for (int row = 0; row < RowCount(); ++row)
        if (Selectable(row)) return row;
    return ZKListBoxContents::kNone;
}

void ZKListBoxBase::SelectRange(int from, int to) {
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        if (Selectable(row)) rows_->At(row).SetSelected(true);
}

void ZKListBoxBase::MoveTo(int row, int step) {
    if (RowCount() == 0) return;
    row = std::clamp(row, 0, RowCount() - 1);
    int target = ZKListBoxContents::kNone;
    for (int r = row; r >= 0 && r < RowCount() && target < 0; r += step)
        if (Selectable(r)) target = r;
    for (int r = row - step; r >= 0 && r < RowCount() && target < 0; r -= step)
        if (Selectable(r)) target = r;
    if (target < 0) return;
    const int old = rows_->Current();
    if ((style_ & kMultiSelect) && GetKeyState(VK_SHIFT) < 0 && old != ZKListBoxContents::kNone)
        SelectRange(old, target);
    SetCurrent(target);
}

void ZKListBoxBase::PageUp() {
    if (RowCount()) MoveTo(rows_->Current() - RowsPerPage(), -1);
}
void ZKListBoxBase::PageDown() {
    if (RowCount()) MoveTo(rows_->Current() + RowsPerPage(), 1);
}
void ZKListBoxBase::Home() {
    MoveTo(0, 1);
}
void ZKListBoxBase::End() {
    MoveTo(RowCount() - 1, -1);
}
void ZKListBoxBase::LineUp() {
    if (RowCount()) MoveTo(rows_->Current() - 1, -1);
}
void ZKListBoxBase::LineDown() {
    if (RowCount()) MoveTo(rows_->Current() + 1, 1);
}

bool ZKListBoxBase::Choose() {
    if (!rows_ || !Selectable(rows_->Current()) || !Window()) return false;
    PostMessage(GetParent(Window()), WMU_LIST_CHOOSE, reinterpret_cast<WPARAM>(this), rows_->Current());
    return true;
}

bool ZKListBoxBase::HandleKey(int virtualKey) {
    if (RowCount() == 0) return false;
    HideTip();
    switch (virtualKey) {
        case VK_RETURN:
            return Choose();
        case VK_SPACE:
            if (!(style_ & kMultiSelect) || GetKeyState(VK_CONTROL) >= 0 || !Selectable(rows_->Current()))
                return false;
            rows_->At(rows_->Current()).SetSelected(!rows_->At(rows_->Current()).Selected());
            Invalidate();
            return true;
        case VK_PRIOR:
            PageUp();
            return true;
        case VK_NEXT:
            PageDown();
            return true;
        case VK_HOME:
            Home();
            return true;
        case VK_END:
            End();
            return true;
        case VK_UP:
            LineUp();
            return true;
        case VK_DOWN:
            LineDown();
            return true;
        default:
            return false;
    }
}

void ZKListBoxBase::ScrollBy(double delta) {
    if (!ScrollBarShown()) return;
    HideTip();
    bar_.SetPosition(Clamp(bar_.GetPosition() + delta));
    Invalidate();
}

void ZKListBoxBase::ScrollRows(int rows) {
    if (TotalHeight() > 0) ScrollBy(static_cast<double>(rows) * RowHeight() / TotalHeight());
}

void ZKListBoxBase::ScrollPages(int pages) {
    ScrollBy(pages * bar_.GetPage());
}

int ZKListBoxBase::FirstVisibleRow(int* top) const {
    const int offset = ScrollBarShown() ? PixelOffset() : 0;
    const int first = offset / RowHeight();
    if (top) *top = first * RowHeight() - offset;
    return first;
}

int ZKListBoxBase::RowAt(Point point) const {
    if (!RowsRect().Contains(point) || RowCount() == 0) return ZKListBoxContents::kNone;
    const int offset = ScrollBarShown() ? PixelOffset() : 0;
    const int row = (point.y + offset) / RowHeight();
    return row < RowCount() ? row : ZKListBoxContents::kNone;
}

void ZKListBoxBase::OnClick(Point point, WPARAM keys) {
    if (takesFocusOnClick_) SetFocus(Window());
    HideTip();
    const int row = RowAt(point);
    pressedRow_ = Selectable(row) ? row : ZKListBoxContents::kNone;
    if (pressedRow_ == ZKListBoxContents::kNone) return;
    if ((style_ & kMultiSelect) && (keys & MK_CONTROL))
        rows_->At(row).SetSelected(!rows_->At(row).Selected());
    else if ((style_ & kMultiSelect) && (keys & MK_SHIFT) && rows_->Current() != ZKListBoxContents::kNone)
        SelectRange(rows_->Current(), row);
    SetCurrent(row);
}

// The tooltip follows the row under a resting mouse: a move to another row hides it and starts the timer.
void ZKListBoxBase::OnMouseMove(Point point) {
    lastMouse_ = point;
    TrackMouseEvent(TME_LEAVE, Window());
    const int row = RowAt(point);
    if (row == tipRow_) return;
    HideTip();
    tipRow_ = row;
    if (row != ZKListBoxContents::kNone) SetTimer(Window(), kTipTimer, kTipDelayMs);
}

void ZKListBoxBase::ShowTip() {
    KillTimer(Window(), kTipTimer);
    if (RowAt(lastMouse_) != tipRow_ || tipRow_ == ZKListBoxContents::kNone) return;
    ZKMeasuringDC m;
    const Rect rows = RowsRect();
    if (rows_->At(tipRow_).PreferredSize(m.dc).cx <= rows.Width()) return;  // readable as it is
    int top = 0;
    const int first = FirstVisibleRow(&top);
    const Point at = ClientToScreen(Window(), {rows.left, top + (tipRow_ - first) * RowHeight()});
    if (!tip_) tip_ = std::make_unique<ZKToolTip>();
    tip_->Show(Window(), ZKRichText::StripCodes(rows_->At(tipRow_).Text()), at);
}

void ZKListBoxBase::HideTip() {
    if (tip_) tip_->Hide();
    if (Window()) KillTimer(Window(), kTipTimer);
}

const ZKToolTip* ZKListBoxBase::ToolTip() const {
    return tip_.get();
}

void ZKListBoxBase::StartFlashing() {
    KillTimer(Window(), kFlashOffTimer);
    KillTimer(Window(), kFlashOnTimer);
    flashLook_ = false;
    if (!(style_ & kNoFlash) && rows_ && rows_->AnyFlashing())
        SetTimer(Window(), kFlashOnTimer, kFlashOnDelayMs);
}

void ZKListBoxBase::OnFlashTimer(std::uintptr_t id) {
    KillTimer(Window(), id);
    flashLook_ = id == kFlashOnTimer;
    Invalidate();
    if (!rows_ || !rows_->AnyFlashing()) {
        flashLook_ = false;
        return;
    }
    if (flashLook_)
        SetTimer(Window(), kFlashOffTimer, kFlashOnTimeMs);
    else
        SetTimer(Window(), kFlashOnTimer, kFlashOffTimeMs);
}

bool ZKListBoxBase::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            bar_.Create(hwnd, {0, 0, ZKScrollBar::kUnit, 1}, 0);
            return true;
        case WMU_SCROLL_LINE:
        case WMU_SCROLL_PAGE:
            if (wParam != reinterpret_cast<WPARAM>(&bar_) || lParam == 0) return true;
            if (message == WMU_SCROLL_LINE)
                ScrollRows(static_cast<int>(lParam));
            else
                ScrollPages(static_cast<int>(lParam));
            return true;
        case WMU_SCROLL_THUMB:
            if (wParam == reinterpret_cast<WPARAM>(&bar_)) Invalidate();
            return true;
        case WM_KEYDOWN:
            if (!HandleKey(static_cast<int>(wParam))) break;
            result = 0;
            return true;
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            ScrollRows(-notches * wheelStep_);
            return true;
        }
        case WM_LBUTTONDOWN:
            lastMouse_ = LParamToPoint(lParam);
            OnClick(lastMouse_, wParam);
            return true;
        case WM_LBUTTONUP:
            if ((style_ & kChooseOnClick) && pressedRow_ != ZKListBoxContents::kNone &&
                RowAt(LParamToPoint(lParam)) == pressedRow_)
                Choose();
            pressedRow_ = ZKListBoxContents::kNone;
            return true;
        case WM_LBUTTONDBLCLK:
            if (Selectable(RowAt(LParamToPoint(lParam)))) {
                SetCurrent(RowAt(LParamToPoint(lParam)));
                Choose();
            }
            return true;
        case WM_MOUSEMOVE:
            OnMouseMove(LParamToPoint(lParam));
            return true;
        case WM_MOUSELEAVE:
            HideTip();
            tipRow_ = ZKListBoxContents::kNone;
            return true;
        case WM_TIMER:
            if (wParam == kTipTimer) {
                ShowTip();
                return true;
            }
            if (wParam != kFlashOffTimer && wParam != kFlashOnTimer) break;
            OnFlashTimer(wParam);
            return true;
        case WM_DESTROY:
            tip_.reset();
            break;
        default:
            break;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKListBoxBase::Resized(int, int width, int height) {
    if (width >= 1 && height >= 1) LayOut();
    Invalidate();
}

void ZKListBoxBase::Paint(ZKDC& dc, const Rect& rect) {
    const bool hasCurrent = RowCount() > 0 && rows_->Current() != ZKListBoxContents::kNone;
    if (!hasCurrent) {
        if (bar_.Window()) ShowWindow(bar_.Window(), SW_HIDE);
        dc.FillRect(rect, dc.Colour(5));
        if (!(style_ & kNoBorder)) dc.Line({rect.left, rect.top}, {rect.right, rect.top}, dc.Colour(12));
        return;
    }
    cairo_t* cr = dc.Cairo();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
    dc.FillRect(rect, dc.Colour(5));  // under the bar and beside narrow rows

    const Rect rows = RowsRect();
    const int height = RowHeight();
    const int current = rows_->Current();
    const bool multi = style_ & kMultiSelect;
    auto rowRect = [&](int top) { return Rect{rows.left, top, rows.right, top + height}; };
    auto look = [&](int row, bool isCurrent) {
        return ZKListBoxItem::Look{isCurrent, flashLook_ && rows_->At(row).Flashing()};
    };

    int firstTop = 0;
    const int first = FirstVisibleRow(&firstTop);
    int top = firstTop;
    for (int row = first; row < RowCount() && top < rect.bottom; ++row, top += height)
        if (row != current && !(multi && rows_->At(row).Selected()))
            rows_->At(row).Draw(dc, rowRect(top), look(row, false));
    if (multi) {
        top = firstTop;
        for (int row = first; row < RowCount() && top < rect.bottom; ++row, top += height)
            if (row != current && rows_->At(row).Selected())
                rows_->At(row).Draw(dc, rowRect(top), look(row, false));
    }
    const int lastBottom = firstTop + (RowCount() - first) * height;
    if (lastBottom < rect.bottom) {
        dc.FillRect({rows.left, lastBottom, rows.right, rect.bottom}, dc.Colour(5));
        if (!(style_ & kNoBorder)) dc.Line({rows.left, lastBottom}, {rows.right, lastBottom}, dc.Colour(12));
    }
    const int currentTop = firstTop + (current - first) * height;
    if (currentTop < rect.bottom && currentTop + height > rect.top)
        rows_->At(current).Draw(dc, rowRect(currentTop), look(current, true));
    cairo_restore(cr);
}
