#pragma once
// The window system of the GUI thread: a tree of windows (top-level, owned, child) addressed by handles,
// one message queue that any thread may post to, sent messages, per-window timers, focus, activation,
// capture, invalidation and painting.
//
// The thread that calls InitWindowSystem is the GUI thread. Every function here must be called on it, except
// IsWindow, PostMessage, SendMessage and SendMessageTimeout, which are safe on any thread. A message sent
// from another thread waits until the GUI thread picks it up in GetMessage/PeekMessage.
//
// Posted and sent are different paths: PostMessage queues and returns; SendMessage on the GUI thread calls
// the window procedure at once.

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform/WindowTypes.h"

namespace zk {

using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

constexpr DWORD CS_DBLCLKS = 0x0008;

struct WindowCreateParams {
    DWORD exStyle = 0;
    DWORD style = 0;
    DWORD classStyle = 0;  // CS_DBLCLKS: double clicks are reported as such
    std::string title;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int cx = CW_USEDEFAULT;
    int cy = CW_USEDEFAULT;
    HWND parent;  // the parent of a WS_CHILD window, the owner of any other
    UINT id = 0;  // child identifier
    WNDPROC proc;
    void* createParam = nullptr;
};

// The parameters of a child window of `parent` that fills `rect` (parent client coordinates).
inline WindowCreateParams ChildWindowParams(HWND parent, const Rect& rect, DWORD style, UINT id) {
    WindowCreateParams p;
    p.style = WS_CHILD | style;
    p.parent = parent;
    p.id = id;
    p.x = rect.left;
    p.y = rect.top;
    p.cx = rect.Width();
    p.cy = rect.Height();
    return p;
}

struct MonitorInfo {
    Rect monitor;
    Rect work;
};

// Where the windows appear. Auto: ZK_BACKEND=sdl|headless, else SDL when a display exists (DISPLAY or
// WAYLAND_DISPLAY set), else headless.
enum class BackendChoice { Auto, Headless, Sdl };

struct WindowSystemOptions {
    Size screen{1920, 1080};       // the headless backend's virtual screen
    std::optional<Rect> workArea;  // of the virtual screen; default: the whole screen
    BackendChoice backend = BackendChoice::Auto;
};

// Starts the window system on the calling thread (the GUI thread from now on). False when it runs already.
bool InitWindowSystem(const WindowSystemOptions& options = {});
// Destroys every window, fails pending cross-thread sends and forgets the queue.
void ShutdownWindowSystem();
bool IsGuiThread();
// The backend that runs (Headless or Sdl); Auto before InitWindowSystem.
BackendChoice CurrentBackend();

class WindowSystemScope {
public:
    explicit WindowSystemScope(const WindowSystemOptions& options = {}) { InitWindowSystem(options); }
    ~WindowSystemScope() { ShutdownWindowSystem(); }
    WindowSystemScope(const WindowSystemScope&) = delete;
    WindowSystemScope& operator=(const WindowSystemScope&) = delete;
};

// --- window tree ---
// Sends WM_CREATE (an answer of -1 fails the creation and gives a null handle) and WM_SIZE; a WS_VISIBLE
// window is then shown.
HWND CreateWindowEx(const WindowCreateParams& params);
// Destroys owned windows first, then sends WM_DESTROY to the window and its children (parent first) and
// WM_NCDESTROY (children first); the handle is free afterwards.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);   // any thread
HWND GetParent(HWND hwnd);  // the parent of a child window, the owner of any other
HWND GetOwner(HWND hwnd);
HWND GetTopLevel(HWND hwnd);
bool IsChild(HWND parent, HWND hwnd);
std::vector<HWND> GetChildren(HWND hwnd);  // in z-order, top first
std::vector<HWND> GetTopLevelWindows();    // in z-order, top first
UINT GetDlgCtrlID(HWND hwnd);

DWORD GetWindowStyle(HWND hwnd);
DWORD GetWindowExStyle(HWND hwnd);
void SetWindowStyle(HWND hwnd, DWORD style);
void SetWindowExStyle(HWND hwnd, DWORD exStyle);
LPARAM GetWindowUserData(HWND hwnd);
void SetWindowUserData(HWND hwnd, LPARAM data);
std::string GetWindowText(HWND hwnd);
void SetWindowText(HWND hwnd, const std::string& text);

// --- geometry ---
bool ShowWindow(HWND hwnd, int cmd);  // returns whether the window was visible before
bool IsWindowVisible(HWND hwnd);      // visible itself and all its ancestors
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
bool MoveWindow(HWND hwnd, int x, int y, int cx, int cy, bool repaint = true);
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
Rect GetWindowRect(HWND hwnd);  // screen coordinates
Rect GetClientRect(HWND hwnd);  // (0, 0, width, height)
Point ClientToScreen(HWND hwnd, Point p);
Point ScreenToClient(HWND hwnd, Point p);
bool BringWindowToTop(HWND hwnd);
bool GetWindowPlacement(HWND hwnd, WindowPlacement& placement);
bool SetWindowPlacement(HWND hwnd, const WindowPlacement& placement);
MonitorInfo GetMonitorInfoFromPoint(Point p);  // the nearest monitor
MonitorInfo GetMonitorInfoFromWindow(HWND hwnd);

// --- state ---
bool EnableWindow(HWND hwnd, bool enable);  // returns whether it was disabled before
bool IsWindowEnabled(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
bool IsApplicationActive();
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
// TME_LEAVE asks for one WM_MOUSELEAVE when the mouse leaves the window's client area.
bool TrackMouseEvent(DWORD flags, HWND hwnd);
short GetKeyState(int vk);  // high bit set while the key is down
Point GetCursorPos();

// --- mouse cursor ---
// At every mouse move and button press outside a capture, the window under the mouse is sent WM_SETCURSOR
// (wParam the window, lParam MAKELPARAM(hit-test code, mouse message)); an answer of 1 means it set the
// cursor. DefWindowProc asks a child's parent first, then sets the sizing shape of a sizing edge's hit code
// and the arrow for any other.
enum class Cursor { Arrow, Hand, IBeam, SizeNWSE, SizeNESW, SizeWE, SizeNS };
void SetCursor(Cursor cursor);
Cursor GetCursor();

// --- window icon ---
// The picture the desktop shows for a top-level window (task bar, window switcher). The window keeps a
// reference to the image surface until it is replaced or the window goes. False for a child or an unknown
// window.
bool SetWindowIcon(HWND hwnd, cairo_surface_t* image);
cairo_surface_t* GetWindowIcon(HWND hwnd);  // null when none was set

// --- drop shadows ---
// The shadow a top-level window casts on what lies below it: the window's rectangle grown by `size` on
// every side and moved by `offset`, at most `darkness` (0 none, 255 black) dark, its edges blurred over
// `sharpness` pixels to either side. It follows the window wherever the window goes. The screen shows it
// where the window system composes the screen itself (the headless backend's virtual screen, see
// CopyScreenSurface); a desktop that cannot show translucent windows shows no shadow.
struct DropShadow {
    int darkness = 150;
    int sharpness = 5;
    int size = 0;
    Point offset{5, 5};
    friend bool operator==(const DropShadow&, const DropShadow&) = default;
};
// False for a child or an unknown window; an empty shadow removes it.
bool SetWindowShadow(HWND hwnd, std::optional<DropShadow> shadow);
std::optional<DropShadow> GetWindowShadow(HWND hwnd);
// Whether the running backend shows shadows.
bool ShadowsShown();

// --- messages ---
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);     // any thread
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);  // any thread
// False when the window does not exist or the answer did not come within timeoutMs (the message may still
// be handled later; its answer is then dropped).
bool SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                        LRESULT* result);
void PostQuitMessage(int exitCode);
// Blocks until a message arrives; false for WM_QUIT.
bool GetMessage(MSG& msg);
bool PeekMessage(MSG& msg, UINT removeFlags);
// For a key-down message: posts the characters of that key press (WM_CHAR, or WM_SYSCHAR with Alt) to the
// message's window, which may have been re-addressed since it was fetched. Characters whose key down is not
// translated are dropped; characters typed without a key down go to the focus on their own.
void TranslateMessage(const MSG& msg);
LRESULT DispatchMessage(const MSG& msg);
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Timers deliver WM_TIMER with the timer id in wParam; setting an existing (hwnd, id) restarts it.
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, UINT elapseMs);
bool KillTimer(HWND hwnd, std::uintptr_t id);

// --- painting ---
struct PAINTSTRUCT {
    bool fErase = false;  // the background still needs erasing (WM_ERASEBKGND answered 0)
    Rect rcPaint;         // client coordinates
    // Draws into the top-level window's surface: origin at the window's client origin, clipped to the
    // region BeginPaint returns. Valid until EndPaint, which shows what was drawn.
    cairo_t* cr = nullptr;
};
bool InvalidateRect(HWND hwnd, const Rect* rect, bool erase);
bool ValidateRect(HWND hwnd, const Rect* rect);
bool RedrawWindow(HWND hwnd, const Rect* rect, UINT flags);
bool UpdateWindow(HWND hwnd);
bool GetUpdateRect(HWND hwnd, Rect* rect);
// The region a paint of the window may draw to: its update area, less what children (WS_CLIPCHILDREN) and
// higher siblings (WS_CLIPSIBLINGS) cover and what lies outside its ancestors. Client coordinates.
std::vector<Rect> BeginPaint(HWND hwnd, PAINTSTRUCT& ps);
void EndPaint(HWND hwnd, const PAINTSTRUCT& ps);
// A copy of what the window shows: its rectangle cut out of its top-level window's surface (RGB24). The
// caller destroys it; null for an unknown window.
cairo_surface_t* CopyWindowSurface(HWND hwnd);
// What the screen shows in `rect` (screen coordinates): the visible top-level windows from the bottom up,
// each over its drop shadow, on a black desktop (RGB24). The caller destroys it.
cairo_surface_t* CopyScreenSurface(const Rect& rect);
// Writes that copy as a PNG file.
bool SaveWindowPng(HWND hwnd, const std::string& path);

// Statistics for tests and benchmarks.
struct WindowSystemStats {
    unsigned long waits = 0;  // times the GUI thread blocked waiting for work
};
WindowSystemStats GetWindowSystemStats();

}  // namespace zk
