#include "Gui/ZKBackgroundProvider.h"

#include "Gui/ZKDC.h"

using namespace zk;

void PaintChildBackground(ZKBackgroundProvider* provider, HWND child, ZKDC& dc, const Rect& rect) {
    if (!provider) {
        dc.FillRect(rect, dc.Colour(5));
        return;
    }
    // The provider draws in its own client coordinates: shift the context by the child's place there.
    const Rect screen = GetWindowRect(child);
    const Point origin = ScreenToClient(GetParent(child), {screen.left, screen.top});
    cairo_t* cr = dc.Cairo();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
    cairo_translate(cr, -origin.x, -origin.y);
    provider->PaintBackground(dc, rect.Offset(origin.x, origin.y));
    cairo_restore(cr);
}
