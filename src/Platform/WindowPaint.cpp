// Invalidation and painting. Each window keeps its update area as a list of client rectangles; WM_PAINT is
// generated for windows with a non-empty area when the queue holds nothing else, parents before children and
// lower siblings before higher ones, so that what is on top is painted last.
//
// Every top-level window owns an image surface of its window rectangle; a paint draws into it through a
// cairo context clipped to the paint region, and EndPaint hands the painted part to the backend to show.

#include <algorithm>

#include "Platform/WindowSystemState.h"

namespace zk {
namespace detail {
namespace {

Rect Bounds(const std::vector<Rect>& rects) {
    Rect b;
    for (const Rect& r : rects) {
        if (r.IsEmpty()) continue;
        if (b.IsEmpty())
            b = r;
        else
            b = {std::min(b.left, r.left), std::min(b.top, r.top), std::max(b.right, r.right),
                 std::max(b.bottom, r.bottom)};
    }
    return b;
}

// Removes `cut` from every rectangle of the list.
void Subtract(std::vector<Rect>& rects, const Rect& cut) {
    std::vector<Rect> result;
    for (const Rect& r : rects) {
        const Rect i = r.Intersect(cut);
        if (i.IsEmpty()) {
            result.push_back(r);
            continue;
        }
        if (r.top < i.top) result.push_back({r.left, r.top, r.right, i.top});
        if (i.bottom < r.bottom) result.push_back({r.left, i.bottom, r.right, r.bottom});
        if (r.left < i.left) result.push_back({r.left, i.top, i.left, i.bottom});
        if (i.right < r.right) result.push_back({i.right, i.top, r.right, i.bottom});
    }
    rects = std::move(result);
}

void Intersect(std::vector<Rect>& rects, const Rect& with) {
    std::vector<Rect> result;
    for (const Rect& r : rects)
        if (const Rect i = r.Intersect(with); !i.IsEmpty()) result.push_back(i);
    rects = std::move(result);
}

// The parts of the window's client area that are not covered, in its client coordinates.
std::vector<Rect> VisibleArea(const WindowData& w) {
    const Point origin = ClientOriginOnScreen(w);
    std::vector<Rect> area{Rect{0, 0, w.client.Width(), w.client.Height()}};
    if (w.style & WS_CLIPCHILDREN)
        for (HWND child : w.children)
            if (WindowData* c = Find(child); c && c->style & WS_VISIBLE) Subtract(area, c->rect);
    for (const WindowData* cur = &w; cur; cur = Find(cur->parent)) {
        WindowData* parent = Find(cur->parent);
        if (!parent) break;
        const Point po = ClientOriginOnScreen(*parent);
        const int dx = po.x - origin.x;
        const int dy = po.y - origin.y;
        Intersect(area, Rect{0, 0, parent->client.Width(), parent->client.Height()}.Offset(dx, dy));
        if (cur->style & WS_CLIPSIBLINGS) {
            for (HWND sibling : parent->children) {
                if (sibling == cur->hwnd) break;  // the rest lie below
                if (WindowData* s = Find(sibling); s && s->style & WS_VISIBLE)
                    Subtract(area, s->rect.Offset(dx, dy));
            }
        }
    }
    return area;
}

bool NeedsPaint(const WindowData& w) {
    return !w.update.empty();
}

bool FindPaint(HWND hwnd, HWND& found) {
    WindowData* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE) || w->minimized) return false;
    if (NeedsPaint(*w)) {
        found = hwnd;
        return true;
    }
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        if (FindPaint(*it, found)) return true;
    return false;
}

void ValidateTree(WindowData& w, const Rect* rect, bool children) {
    if (rect)
        Subtract(w.update, *rect);
    else
        w.update.clear();
    if (w.update.empty()) w.erasePending = false;
    if (!children) return;
    for (HWND child : w.children)
        if (WindowData* c = Find(child)) {
            const Rect inChild =
                rect ? rect->Offset(-c->rect.left - c->client.left, -c->rect.top - c->client.top) : Rect{};
            ValidateTree(*c, rect ? &inChild : nullptr, true);
        }
}

void PaintNow(HWND hwnd, bool children) {
    WindowData* w = Find(hwnd);
    if (!w || !IsWindowVisible(hwnd)) return;
    if (NeedsPaint(*w)) CallProc(hwnd, WM_PAINT, 0, 0);
    if (!children || !(w = Find(hwnd))) return;
    const std::vector<HWND> list = w->children;
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        PaintNow(*it, true);
}

// The offset of a window's client origin in its top-level window's surface.
Point SurfaceOffset(const WindowData& w, const WindowData& top) {
    const Point origin = ClientOriginOnScreen(w);
    return {origin.x - top.rect.left, origin.y - top.rect.top};
}

cairo_t* PaintContext(const WindowData& top, Point offset, const std::vector<Rect>& region) {
    cairo_t* cr = cairo_create(top.surface.get());
    cairo_translate(cr, offset.x, offset.y);
    if (region.empty()) {
        cairo_rectangle(cr, 0, 0, 0, 0);
    } else {
        for (const Rect& r : region)
            cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    }
    cairo_clip(cr);
    return cr;
}

}  // namespace

void ResizeSurface(WindowData& w) {
    const int width = std::max(1, w.rect.Width());
    const int height = std::max(1, w.rect.Height());
    if (w.surface && cairo_image_surface_get_width(w.surface.get()) == width &&
        cairo_image_surface_get_height(w.surface.get()) == height)
        return;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (w.surface) {
        // Keep the old pixels until the repaint that the resize asks for.
        cairo_t* cr = cairo_create(surface.get());
        cairo_set_source_surface(cr, w.surface.get(), 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    w.surface = std::move(surface);
}

bool NextPaintWindow(HWND& hwnd) {
    for (auto it = g_state->topLevels.rbegin(); it != g_state->topLevels.rend(); ++it)
        if (FindPaint(*it, hwnd)) return true;
    return false;
}

void InvalidateTree(WindowData& w, const Rect& rect, UINT flags) {
    const Rect clipped = rect.Intersect(Rect{0, 0, w.client.Width(), w.client.Height()});
    if (clipped.IsEmpty()) return;
    w.update.push_back(clipped);
    if (flags & RDW_ERASE) w.erasePending = true;
    const bool children =
        (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w.style & WS_CLIPCHILDREN));
    if (!children) return;
    for (HWND child : w.children) {
        WindowData* c = Find(child);
        if (!c || !(c->style & WS_VISIBLE)) continue;
        InvalidateTree(*c, clipped.Offset(-c->rect.left - c->client.left, -c->rect.top - c->client.top),
                       flags);
    }
}

}  // namespace detail

using namespace detail;

bool InvalidateRect(HWND hwnd, const Rect* rect, bool erase) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    InvalidateTree(*w, rect ? *rect : Rect{0, 0, w->client.Width(), w->client.Height()},
                   RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
    return true;
}

bool ValidateRect(HWND hwnd, const Rect* rect) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    ValidateTree(*w, rect, false);
    return true;
}

bool RedrawWindow(HWND hwnd, const Rect* rect, UINT flags) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    const Rect area = rect ? *rect : Rect{0, 0, w->client.Width(), w->client.Height()};
    if (flags & RDW_INVALIDATE) InvalidateTree(*w, area, flags);
    if (flags & RDW_FRAME) CallProc(hwnd, WM_NCPAINT, 1, 0);
    if ((w = Find(hwnd)) && flags & RDW_VALIDATE) ValidateTree(*w, rect, (flags & RDW_ALLCHILDREN) != 0);
    if (flags & RDW_UPDATENOW) PaintNow(hwnd, (flags & RDW_ALLCHILDREN) != 0);
    return true;
}

bool UpdateWindow(HWND hwnd) {
    if (!Find(hwnd)) return false;
    PaintNow(hwnd, true);
    return true;
}

bool GetUpdateRect(HWND hwnd, Rect* rect) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    const Rect b = Bounds(w->update);
    if (rect) *rect = b;
    return !b.IsEmpty();
}

std::vector<Rect> BeginPaint(HWND hwnd, PAINTSTRUCT& ps) {
    ps = PAINTSTRUCT{};
    WindowData* w = Find(hwnd);
    if (!w) return {};
    std::vector<Rect> clip = VisibleArea(*w);
    std::vector<Rect> update = w->update;
    ps.rcPaint = Bounds(update);
    const bool erase = w->erasePending;
    w->update.clear();
    w->erasePending = false;
    // Keep the pieces of the visible area that need painting.
    std::vector<Rect> result;
    for (const Rect& u : update)
        for (const Rect& c : clip)
            if (const Rect i = u.Intersect(c); !i.IsEmpty()) result.push_back(i);
    WindowData* top = Find(GetTopLevel(hwnd));
    const Point offset = SurfaceOffset(*w, *top);
    ps.cr = PaintContext(*top, offset, result);
    w->paintRegion.clear();
    for (const Rect& r : result)
        w->paintRegion.push_back(r.Offset(offset.x, offset.y));
    if (erase) ps.fErase = CallProc(hwnd, WM_ERASEBKGND, 0, 0) == 0;
    return result;
}

void EndPaint(HWND hwnd, const PAINTSTRUCT& ps) {
    if (!ps.cr) return;
    cairo_destroy(ps.cr);
    WindowData* w = Find(hwnd);
    WindowData* top = Find(GetTopLevel(hwnd));
    if (!w || !top) return;
    cairo_surface_flush(top->surface.get());
    std::vector<Rect> damage;
    damage.swap(w->paintRegion);
    if (!damage.empty()) g_state->backend->Present(top->hwnd, top->surface.get(), damage);
}

cairo_surface_t* CopyWindowSurface(HWND hwnd) {
    WindowData* top = Find(GetTopLevel(hwnd));
    if (!top) return nullptr;
    const Rect r = GetWindowRect(hwnd);
    cairo_surface_t* copy =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, r.Width()), std::max(1, r.Height()));
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, top->surface.get(), top->rect.left - r.left, top->rect.top - r.top);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(copy);
    return copy;
}

bool SaveWindowPng(HWND hwnd, const std::string& path) {
    cairo_surface_t* copy = CopyWindowSurface(hwnd);
    if (!copy) return false;
    const bool ok = cairo_surface_write_to_png(copy, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(copy);
    return ok;
}

}  // namespace zk
