#include "Gui/ZKScrollBar.h"

#include <cairo.h>

#include <algorithm>

using namespace zk;

namespace {

// Adds 0.5 and truncates.
int Round(double v) {
    return static_cast<int>(v + 0.5);
}

}  // namespace

ZKScrollBar::ZKScrollBar(bool horizontal, UINT id) : ZKControl(id), horizontal_(horizontal) {}

HWND ZKScrollBar::Create(HWND parent, const Rect& rect, DWORD style) {
    return ZKDoubleBuffer::Create(ChildWindowParams(parent, rect, style, Id()));
}

void ZKScrollBar::SetPageAndPosition(double page, double position) {
    page_ = page;
    position_ = position;
    Invalidate();
}

void ZKScrollBar::SetPosition(double position) {
    position_ = position;
    Invalidate();
}

ZKScrollBar::Geometry ZKScrollBar::GeometryFor(const Rect& client, int scaleX, int scaleY) const {
    Geometry g;
    if (horizontal_) {
        const int u = kUnit * scaleX;
        g.trough = {client.left + u, client.top, client.right - u, client.bottom};
        const int length = g.trough.Width();
        g.thumb.top = client.top + scaleY;
        g.thumb.bottom = client.bottom - scaleY;
        g.thumb.left = g.trough.left + Round(length * position_);
        g.thumb.right = g.thumb.left + Round(length * page_);
    } else {
        const int u = kUnit * scaleY;
        g.trough = {client.left, client.top + u, client.right, client.bottom - u};
        const int length = g.trough.Height();
        g.thumb.left = client.left + scaleX;
        g.thumb.right = client.right - scaleX;
        g.thumb.top = g.trough.top + Round(length * position_);
        g.thumb.bottom = g.thumb.top + Round(length * page_);
    }
    return g;
}

bool ZKScrollBar::KeyDown(int vk) {
    if (!Enabled()) return false;
    const int back = horizontal_ ? VK_LEFT : VK_UP;
    const int forward = horizontal_ ? VK_RIGHT : VK_DOWN;
    if (vk != back && vk != forward) return false;
    Post(WMU_SCROLL_LINE, vk == back ? -1 : 1);
    return true;
}

void ZKScrollBar::Post(UINT message, int amount) const {
    PostMessage(GetParent(Window()), message, reinterpret_cast<WPARAM>(this), amount);
}

bool ZKScrollBar::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
    if (!ControlWindow()) SetControlWindow(hwnd);
    switch (message) {
        case WM_LBUTTONDOWN:
            OnButtonDown(LParamToPoint(lParam));
            return true;
        case WM_MOUSEMOVE:
            OnMouseMove(LParamToPoint(lParam));
            return true;
        case WM_LBUTTONUP:
            OnButtonUp();
            return true;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return true;
        case WM_KEYDOWN:
            if (KeyDown(static_cast<int>(wParam))) return true;
            break;
        case WM_TIMER:
            if (wParam == kRepeatDelayTimer) {
                KillTimer(hwnd, kRepeatDelayTimer);
                SetTimer(hwnd, kRepeatTimer, kRepeatMs);
                Post(action_, amount_);
                return true;
            }
            if (wParam == kRepeatTimer) {
                Post(action_, amount_);
                return true;
            }
            break;
        case WM_SHOWWINDOW:
            if (wParam == 0) {
                page_ = 1.0;
                position_ = 0.0;
            }
            break;
        case WM_NCDESTROY:
            SetControlWindow(HWND());
            break;
        default:
            break;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKScrollBar::OnButtonDown(Point p) {
    if (!Enabled()) return;
    const Geometry g = GeometryFor(GetClientRect(Window()));
    const int at = Along(p);
    const int troughStart = horizontal_ ? g.trough.left : g.trough.top;
    const int troughEnd = horizontal_ ? g.trough.right : g.trough.bottom;
    const int thumbStart = horizontal_ ? g.thumb.left : g.thumb.top;
    const int thumbEnd = horizontal_ ? g.thumb.right : g.thumb.bottom;
    if (at < troughStart) {
        action_ = WMU_SCROLL_LINE;
        amount_ = -1;
    } else if (at < thumbStart) {
        action_ = WMU_SCROLL_PAGE;
        amount_ = -1;
    } else if (at > troughEnd) {
        action_ = WMU_SCROLL_LINE;
        amount_ = 1;
    } else if (at <= thumbEnd) {
        action_ = WMU_SCROLL_THUMB;
        amount_ = 0;
        lastMouse_ = p;
        SetCapture(Window());
    } else {
        action_ = WMU_SCROLL_PAGE;
        amount_ = 1;
    }
    if (!Focused()) PostActivate();
    Post(action_, amount_);
    if (amount_ != 0) SetTimer(Window(), kRepeatDelayTimer, kRepeatDelayMs);
    Invalidate();
}

void ZKScrollBar::OnMouseMove(Point p) {
    if (Enabled()) {
        SetHovered(true);
        TrackMouseEvent(TME_LEAVE, Window());
    }
    if (action_ == WMU_SCROLL_THUMB) {
        const Geometry g = GeometryFor(GetClientRect(Window()));
        const int troughStart = horizontal_ ? g.trough.left : g.trough.top;
        const int troughEnd = horizontal_ ? g.trough.right : g.trough.bottom;
        amount_ = Along(p) - Along(lastMouse_);
        const int start = (horizontal_ ? g.thumb.left : g.thumb.top) + amount_;
        if (troughEnd > troughStart) {
            double position = start < troughStart
                                  ? 0.0
                                  : static_cast<double>(start - troughStart) / (troughEnd - troughStart);
            if (position + page_ > 1.0) position = 1.0 - page_;
            if (position != position_) {
                position_ = position;
                Post(WMU_SCROLL_THUMB, amount_);
                Invalidate();
                UpdateWindow(Window());
            }
        }
    }
    if (Enabled() && FloatingFocus() && !Focused() && GetClientRect(Window()).Contains(p)) PostActivate();
    lastMouse_ = p;
}

void ZKScrollBar::OnButtonUp() {
    if (action_ == WMU_SCROLL_THUMB) Post(WMU_SCROLL_END, amount_);
    action_ = 0;
    amount_ = 0;
    if (GetCapture() == Window()) ReleaseCapture();
    StopRepeat();
    Invalidate();
}

void ZKScrollBar::OnMouseLeave() {
    SetHovered(false);
    StopRepeat();
    // A step ends here: its button-up would go to whatever window lies under the mouse. A drag holds the
    // capture and goes on until the button is released.
    if (action_ != WMU_SCROLL_THUMB) {
        action_ = 0;
        amount_ = 0;
    }
    Invalidate();
}

void ZKScrollBar::StopRepeat() {
    KillTimer(Window(), kRepeatDelayTimer);
    KillTimer(Window(), kRepeatTimer);
}

void ZKScrollBar::DrawArrow(ZKDC& dc, const Rect& box, bool towardsStart, int firstSlot) const {
    if (box.IsEmpty()) return;
    dc.FillRect(box, dc.Colour(firstSlot));
    dc.FrameRect(box, dc.Colour(firstSlot + 1));
    // A triangle in the middle of the box, pointing away from the trough: twice as wide as it is deep.
    const double cx = (box.left + box.right) / 2.0;
    const double cy = (box.top + box.bottom) / 2.0;
    const double depth = std::min(box.Width(), box.Height()) / 6.0;
    cairo_t* cr = dc.Cairo();
    const ZKRGB mark = dc.Colour(firstSlot + 2);
    cairo_save(cr);
    cairo_set_source_rgb(cr, mark.r / 255.0, mark.g / 255.0, mark.b / 255.0);
    const double tip = towardsStart ? -depth : depth;
    if (horizontal_) {
        cairo_move_to(cr, cx + tip, cy);
        cairo_line_to(cr, cx - tip, cy - 2 * depth);
        cairo_line_to(cr, cx - tip, cy + 2 * depth);
    } else {
        cairo_move_to(cr, cx, cy + tip);
        cairo_line_to(cr, cx - 2 * depth, cy - tip);
        cairo_line_to(cr, cx + 2 * depth, cy - tip);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
}

void ZKScrollBar::Paint(ZKDC& dc, const Rect& rect) {
    dc.FillRect(rect, dc.Colour(6));
    const int slot = FirstSlot(CurrentLook(action_ != 0));
    const Geometry g = GeometryFor(rect, dc.ScaleX(), dc.ScaleY());
    if (horizontal_) {
        DrawArrow(dc, {rect.left, rect.top, g.trough.left, rect.bottom}, true, slot);
        DrawArrow(dc, {g.trough.right, rect.top, rect.right, rect.bottom}, false, slot);
    } else {
        DrawArrow(dc, {rect.left, rect.top, rect.right, g.trough.top}, true, slot);
        DrawArrow(dc, {rect.left, g.trough.bottom, rect.right, rect.bottom}, false, slot);
    }
    const Rect& t = g.thumb;
    if (t.Width() >= 2 && t.Height() >= 2) {
        const Rect face{t.left + dc.ScaleX(), t.top + dc.ScaleY(), t.right - dc.ScaleX(),
                        t.bottom - dc.ScaleY()};
        if (face.IsEmpty()) {
            dc.FillRect(t, dc.Colour(slot + 1));  // too thin for a face inside an edge
        } else {
            dc.FillRect(face, dc.Colour(slot));
            dc.FrameRect(face, dc.Colour(slot + 1));
        }
    } else {
        dc.Line({t.left, t.top}, {t.right, t.top}, dc.Colour(slot + 1));
        dc.Line({t.left, t.top}, {t.left, t.bottom}, dc.Colour(slot + 1));
    }
}
