#pragma once
// A window object that paints straight onto the screen: the same operations as ZKDoubleBuffer (Create,
// ProcessWindowMessage, Resized, Paint) without the off-screen bitmap. Dialogs whose children cover most of
// them (ZKPopupDialog) use it; ZKDBPopupDialog uses the double buffer instead.
//
// The object owns its window: destroying the object destroys the window.

#include "Gui/ZKDC.h"
#include "Platform/Window.h"

class ZKPlainWindow {
public:
    ZKPlainWindow() = default;
    ZKPlainWindow(const ZKPlainWindow&) = delete;
    ZKPlainWindow& operator=(const ZKPlainWindow&) = delete;
    virtual ~ZKPlainWindow();

    // Creates the window with this object's window procedure; a null handle when creation failed.
    zk::HWND Create(zk::WindowCreateParams params);
    zk::HWND Window() const { return hwnd_; }

    // Handles a message; true when it was handled, with its answer in `result`. Unhandled messages go to
    // the platform's default handling. The base paints (WM_PAINT) and answers WM_ERASEBKGND with 1.
    virtual bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                                      zk::LRESULT& result);
    virtual void Invalidate();
    // The client area became width × height (`type` as in WM_SIZE).
    virtual void Resized(int type, int width, int height) = 0;
    // Draws the window; `rect` is the client rectangle (the paint is clipped to what needs painting).
    virtual void Paint(ZKDC& dc, const zk::Rect& rect) = 0;

private:
    zk::HWND hwnd_;
    // Set while the destructor runs: the derived parts are gone, so messages get default handling.
    bool destroying_ = false;
};
