#include "Gui/ZKDoubleBuffer.h"

#include <cairo.h>

using namespace zk;

ZKDoubleBuffer::ZKDoubleBuffer() : bitmap_(std::make_unique<ZKBitmap>(1, 1)) {
    ZKDC dc(*bitmap_);
    dc.FillRect({0, 0, 1, 1}, dc.Colour(5));
}

ZKDoubleBuffer::~ZKDoubleBuffer() {
    destroying_ = true;
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

HWND ZKDoubleBuffer::Create(WindowCreateParams params) {
    params.proc = GetWindowProc();
    const HWND hwnd = CreateWindowEx(params);
    if (!hwnd) hwnd_ = HWND();
    return hwnd;
}

WNDPROC ZKDoubleBuffer::GetWindowProc() {
    return [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (destroying_) return DefWindowProc(hwnd, message, wParam, lParam);
        // The handle is known from the first message on: WM_CREATE and WM_SIZE come before CreateWindowEx
        // returns it.
        if (!hwnd_) hwnd_ = hwnd;
        LRESULT result = 0;
        if (ProcessWindowMessage(hwnd, message, wParam, lParam, result)) return result;
        return DefWindowProc(hwnd, message, wParam, lParam);
    };
}

bool ZKDoubleBuffer::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result) {
    switch (message) {
        case WM_SIZE: {
            const int width = LOWORD(static_cast<std::uintmax_t>(lParam));
            const int height = HIWORD(static_cast<std::uintmax_t>(lParam));
            SetTimer(hwnd, kShrinkTimer, kShrinkDelayMs);
            client_ = {width, height};
            if (width > bitmapSize_.cx || height > bitmapSize_.cy) {
                bitmapSize_ = {width + width / 10, height + height / 10};
                RecreateBitmap();
            }
            Resized(static_cast<int>(wParam), width, height);
            return true;
        }
        case WM_TIMER:
            if (wParam != kShrinkTimer) return false;
            KillTimer(hwnd, kShrinkTimer);
            bitmapSize_ = client_;
            RecreateBitmap();
            Invalidate();
            return true;
        case WM_PAINT:
            OnPaint();
            return true;
        case WM_ERASEBKGND:
            result = 1;  // the paint covers everything from the bitmap
            return true;
        case WM_NCDESTROY:
            hwnd_ = HWND();
            OnFinalMessage(hwnd);
            return false;
        default:
            return false;
    }
}

void ZKDoubleBuffer::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, true);
}

void ZKDoubleBuffer::PaintOverlay(ZKDC&, const Rect&, const Rect&) {}

void ZKDoubleBuffer::RecreateBitmap() {
    bitmap_ = std::make_unique<ZKBitmap>(bitmapSize_.cx, bitmapSize_.cy);
    ZKDC dc(*bitmap_);
    Paint(dc, {0, 0, client_.cx, client_.cy});
    drawn_ = client_;
}

void ZKDoubleBuffer::OnPaint() {
    PAINTSTRUCT ps;
    BeginPaint(hwnd_, ps);
    const Rect client = GetClientRect(hwnd_);
    {
        ZKDC screen(ps);
        const bool full = redrawOnEveryPaint_ || ps.rcPaint == client;
        if (cairo_surface_status(bitmap_->Surface()) != CAIRO_STATUS_SUCCESS) {
            // No off-screen context: draw straight onto the screen.
            Paint(screen, client);
        } else {
            ZKDC memory(*bitmap_);
            const Size size{client.Width(), client.Height()};
            if (full) {
                Paint(memory, client);
                drawn_ = size;
            }
            const Rect& p = ps.rcPaint;
            if (drawn_ == size) {
                screen.BitBlt(p, memory, {p.left, p.top});
            } else if (size.cx > 0 && size.cy > 0) {
                // The bitmap holds a drawing for another size: scale the part that corresponds.
                const Rect source{p.left * drawn_.cx / size.cx, p.top * drawn_.cy / size.cy,
                                  p.right * drawn_.cx / size.cx, p.bottom * drawn_.cy / size.cy};
                screen.StretchBlt(p, memory, source);
            }
        }
        PaintOverlay(screen, client, ps.rcPaint);
    }
    EndPaint(hwnd_, ps);
}
