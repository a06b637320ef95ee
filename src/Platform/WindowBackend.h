#pragma once
// The seam between the window system and the display it runs on. The core keeps the window tree, the queue
// and one cairo image surface per top-level window; a backend shows those surfaces on a screen (or nowhere),
// turns the screen's events into raw input, and owns the clipboard. Not for use outside src/Platform.
//
// Every call is made on the GUI thread, except Wake, which any thread may call.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Window.h"

namespace zk::detail {

struct TopLevelInfo {
    Rect rect;   // screen coordinates
    HWND owner;  // null for unowned windows
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string title;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    virtual BackendChoice Kind() const = 0;
    virtual MonitorInfo Monitor(Point p) const = 0;

    virtual void CreateTopLevel(HWND hwnd, const TopLevelInfo& info) = 0;
    virtual void DestroyTopLevel(HWND hwnd) = 0;
    virtual void MoveTopLevel(HWND hwnd, const Rect& rect) = 0;
    virtual void ShowTopLevel(HWND hwnd, bool show) = 0;
    virtual void MinimizeTopLevel(HWND hwnd) = 0;
    // Puts the window above its siblings; the core raises owned windows after their owner.
    virtual void RaiseTopLevel(HWND hwnd) = 0;
    virtual void SetTitle(HWND hwnd, const std::string& title) = 0;
    // An image surface (RGB24 or ARGB32) for the desktop's picture of the window.
    virtual void SetIcon(HWND hwnd, cairo_surface_t* image) = 0;
    virtual void SetCursor(Cursor cursor) = 0;
    // Whether the windows' drop shadows show on this display.
    virtual bool ShowsShadows() const { return false; }

    // The damaged parts (surface coordinates) of a top-level window's surface were painted. A backend may
    // collect them and show them at the next Flush.
    virtual void Present(HWND hwnd, cairo_surface_t* surface, const std::vector<Rect>& damage) = 0;
    // Called when the queue holds nothing more: show what was presented.
    virtual void Flush() = 0;

    // Turns pending display events into input and messages without blocking.
    virtual void PollEvents() = 0;
    // Blocks until Wake, a display event, or the timeout (kInfinite: none). Events that arrive are handled
    // as in PollEvents.
    virtual void WaitEvents(std::uint32_t timeoutMs) = 0;
    // Any thread: ends a WaitEvents that runs now or the next one that starts.
    virtual void Wake() = 0;

    virtual bool SetClipboard(const std::string& utf8) = 0;
    virtual std::optional<std::string> GetClipboard() = 0;
};

// The backend for the options: the explicit choice, else ZK_BACKEND=sdl|headless, else SDL when a display
// exists (DISPLAY or WAYLAND_DISPLAY set). Falls back to headless when SDL cannot start.
std::unique_ptr<WindowBackend> MakeBackend(const WindowSystemOptions& options);
std::unique_ptr<WindowBackend> MakeHeadlessBackend(const WindowSystemOptions& options);
// Nothing when SDL's video cannot start.
std::unique_ptr<WindowBackend> MakeSdlBackend();

}  // namespace zk::detail
