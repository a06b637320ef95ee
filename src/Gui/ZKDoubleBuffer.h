#pragma once
// The base of every owner-drawn toolkit window: it paints through an off-screen bitmap, so a window never
// shows a half-drawn state. A derived window lays itself out in Resized and draws the whole window into the
// given context in Paint; the base copies the bitmap to the screen.
//
// The bitmap grows with a 10 % margin when the window grows beyond it, so that a resize by dragging does not
// re-create it for every pixel; one second after the last resize (timer 1) it shrinks to the exact size.
//
// The object owns its window: destroying the object destroys the window. Create the window only once the
// derived object is complete (not from a constructor), since creation calls Resized and Paint.

#include <memory>

#include "Gui/ZKDC.h"
#include "Platform/Window.h"

class ZKDoubleBuffer {
public:
    static constexpr std::uintptr_t kShrinkTimer = 1;
    static constexpr zk::UINT kShrinkDelayMs = 1000;

    ZKDoubleBuffer();
    ZKDoubleBuffer(const ZKDoubleBuffer&) = delete;
    ZKDoubleBuffer& operator=(const ZKDoubleBuffer&) = delete;

    // Creates the window with this object's window procedure; a null handle when creation failed.
    zk::HWND Create(zk::WindowCreateParams params);
    zk::HWND Window() const { return hwnd_; }

    // --- virtual operations, in slot order ---
    // Handles a message; true when it was handled, with its answer in `result`. Unhandled messages go to
    // the platform's default handling.
    virtual bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                                      zk::LRESULT& result);
    // Releases the bitmap and destroys the window if it still exists.
    virtual ~ZKDoubleBuffer();
    // The procedure Create gives the window: it hands every message to ProcessWindowMessage.
    virtual zk::WNDPROC GetWindowProc();
    // Called after the window's last message (WM_NCDESTROY); the handle is already forgotten.
    virtual void OnFinalMessage(zk::HWND) {}
    // Invalidates the whole window, background erase requested.
    virtual void Invalidate();
    // The client area became width × height (`type` as in WM_SIZE); the derived window lays itself out.
    virtual void Resized(int type, int width, int height) = 0;
    // Draws the whole window into `dc`; `rect` is the client rectangle.
    virtual void Paint(ZKDC& dc, const zk::Rect& rect) = 0;
    // Draws on the screen after the bitmap was copied there.
    virtual void PaintOverlay(ZKDC& dc, const zk::Rect& client, const zk::Rect& paint);

    // When set (the default), every paint redraws the whole bitmap, also for a paint of part of the window.
    // When clear, only a paint of the whole client area redraws it; other paints copy the last drawing,
    // stretched if the window's size changed since.
    void SetRedrawOnEveryPaint(bool redraw) { redrawOnEveryPaint_ = redraw; }
    bool RedrawOnEveryPaint() const { return redrawOnEveryPaint_; }

    // For checks and tests: the size the bitmap content was drawn for, the bitmap's capacity, the client
    // size of the last resize, and the bitmap itself.
    zk::Size DrawnSize() const { return drawn_; }
    zk::Size BitmapSize() const { return bitmapSize_; }
    zk::Size ClientSize() const { return client_; }
    const ZKBitmap& Bitmap() const { return *bitmap_; }

private:
    // Re-creates the bitmap at bitmapSize_ and draws the client area into it.
    void RecreateBitmap();
    void OnPaint();

    zk::HWND hwnd_;
    zk::Size drawn_{1, 1};
    zk::Size bitmapSize_{1, 1};
    zk::Size client_{1, 1};
    bool redrawOnEveryPaint_ = true;
    std::unique_ptr<ZKBitmap> bitmap_;
    // Set while the base destructor runs: the derived parts are gone, so messages get default handling.
    bool destroying_ = false;
};
