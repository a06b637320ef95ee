// Drop shadows of top-level windows, and the picture of the screen that the window system composes from
// its windows' surfaces (the only screen the headless backend has).

#include <algorithm>

#include "Platform/WindowSystemState.h"

namespace zk {

using namespace detail;

namespace {

// How much of a blurred edge covers the pixel whose centre is `distance` pixels inside the sharp edge
// (negative: outside): nothing at `blur` outside, all of it at `blur` inside, linear in between.
double Coverage(double distance, int blur) {
    if (blur <= 0) return distance > 0 ? 1.0 : 0.0;
    return std::clamp((distance + blur) / (2.0 * blur), 0.0, 1.0);
}

// Paints the shadow of a window at `windowRect` (in the target's coordinates) onto `cr`.
void PaintShadow(cairo_t* cr, const Rect& windowRect, const DropShadow& shadow) {
    const int s = std::max(0, shadow.sharpness);
    const Rect sharp{
        windowRect.left - shadow.size + shadow.offset.x, windowRect.top - shadow.size + shadow.offset.y,
        windowRect.right + shadow.size + shadow.offset.x, windowRect.bottom + shadow.size + shadow.offset.y};
    if (sharp.IsEmpty() || shadow.darkness <= 0) return;
    const int width = sharp.Width() + 2 * s;
    const int height = sharp.Height() + 2 * s;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    unsigned char* data = cairo_image_surface_get_data(mask);
    const int stride = cairo_image_surface_get_stride(mask);
    const double darkness = std::min(shadow.darkness, 255);
    for (int y = 0; y < height; ++y) {
        const double cy = y + 0.5 - s;  // from the sharp rectangle's top
        const double dy = std::min(cy, sharp.Height() - cy);
        for (int x = 0; x < width; ++x) {
            const double cx = x + 0.5 - s;
            const double dx = std::min(cx, sharp.Width() - cx);
            data[y * stride + x] =
                static_cast<unsigned char>(darkness * Coverage(dx, s) * Coverage(dy, s) + 0.5);
        }
    }
    cairo_surface_mark_dirty(mask);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_mask_surface(cr, mask, sharp.left - s, sharp.top - s);
    cairo_surface_destroy(mask);
}

}  // namespace

bool SetWindowShadow(HWND hwnd, std::optional<DropShadow> shadow) {
    WindowData* w = Find(hwnd);
    if (!w || !w->surface) return false;
    w->shadow = shadow;
    return true;
}

std::optional<DropShadow> GetWindowShadow(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->shadow : std::nullopt;
}

bool ShadowsShown() {
    return g_state && g_state->backend->ShowsShadows();
}

cairo_surface_t* CopyScreenSurface(const Rect& rect) {
    cairo_surface_t* copy =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, rect.Width()), std::max(1, rect.Height()));
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    const std::vector<HWND> tops = g_state ? g_state->topLevels : std::vector<HWND>{};
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        const WindowData* w = Find(*it);
        if (!w || !w->surface || !(w->style & WS_VISIBLE) || w->minimized) continue;
        const Rect r = w->rect.Offset(-rect.left, -rect.top);
        if (w->shadow) PaintShadow(cr, r, *w->shadow);
        cairo_set_source_surface(cr, w->surface.get(), r.left, r.top);
        cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(copy);
    return copy;
}

}  // namespace zk
