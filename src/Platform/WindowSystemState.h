#pragma once
// Internal state of the window system, shared by its source files. Not for use outside src/Platform.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Platform/Input.h"
#include "Platform/Window.h"
#include "Platform/WindowBackend.h"

namespace zk::detail {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct WindowData {
    HWND hwnd;
    HWND parent;  // child windows only
    HWND owner;   // top-level windows only
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD classStyle = 0;
    UINT id = 0;
    std::string title;
    WNDPROC proc;
    LPARAM userData = 0;
    Rect rect;                   // window rectangle in the parent's client coordinates (screen for top-level)
    Rect client;                 // client rectangle relative to the window rectangle's top-left
    std::vector<HWND> children;  // z-order, top first
    std::vector<Rect> update;    // client coordinates, not merged
    bool erasePending = false;
    bool minimized = false;
    bool maximized = false;
    Rect normalRect;
    bool destroying = false;
    SurfacePtr surface;             // top-level windows only: the pixels of the whole window rectangle
    std::vector<Rect> paintRegion;  // between BeginPaint and EndPaint, in the top-level's surface coordinates
    SurfacePtr icon;                // top-level windows only: the desktop's picture of the window
    std::optional<DropShadow> shadow;  // top-level windows only
};

// A message sent from another thread, answered by the GUI thread.
struct SentMessage {
    MSG msg;
    LRESULT result = 0;
    bool done = false;
    bool ok = false;
};

struct RawInput {
    enum class Kind { Move, Down, Up, Wheel, KeyDown, KeyUp, Char, AppActive, Minimized } kind;
    Point pt;
    input::Button button = input::Button::Left;
    int value = 0;   // wheel delta, key code, character, active or minimised flag
    HWND hwnd = {};  // Minimized: the top-level window
};

struct Timer {
    HWND hwnd;
    std::uintptr_t id = 0;
    UINT period = 1;
    std::uint32_t due = 0;
};

enum class Tracking { None, Move, Size };

struct State {
    std::thread::id guiThread;
    WindowSystemOptions options;
    std::unique_ptr<WindowBackend> backend;
    std::unordered_map<std::uint32_t, std::unique_ptr<WindowData>> windows;
    std::vector<HWND> topLevels;  // z-order, top first
    std::uint32_t nextId = 0x100;

    HWND active, focus, capture, leaveTracked;
    bool appActive = true;
    std::deque<RawInput> input;
    std::vector<Timer> timers;
    unsigned char keys[256] = {};
    Point cursor;
    Cursor cursorShape = Cursor::Arrow;
    // double clicks
    HWND lastDownWindow;
    UINT lastDownMessage = 0;
    std::uint32_t lastDownTime = 0;
    Point lastDownPoint;
    // dragging and sizing by hit-test answer
    Tracking tracking = Tracking::None;
    HWND trackWindow;
    int trackHit = 0;
    Point trackStart;
    Rect trackRect;
    // The characters of the last key press, held until a loop translates its key-down message: they go to
    // the window that message was dispatched to, never to a window that takes the focus meanwhile.
    struct KeyChars {
        MSG keyDown;       // as routed; its window may be re-addressed before translation
        UINT message = 0;  // WM_CHAR or WM_SYSCHAR
        std::string chars;
    };
    std::optional<KeyChars> keyChars;

    // Shared with other threads, under queueMutex.
    std::mutex queueMutex;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::condition_variable sentDone;
    std::unordered_set<std::uint32_t> live;
    bool quitPending = false;
    int quitCode = 0;
    unsigned long waits = 0;
};

extern State* g_state;

WindowData* Find(HWND hwnd);
LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
Point ClientOriginOnScreen(const WindowData& w);
void RouteInput(const RawInput& raw, std::deque<MSG>& out);
void EndTracking();
void ForgetWindowInInput(HWND hwnd);
bool NextPaintWindow(HWND& hwnd);
void InvalidateTree(WindowData& w, const Rect& rect, UINT flags);
// Ends the GUI thread's wait for work; needed only when called from another thread.
void Wake();
// A top-level window's surface for its current size, keeping what the old one showed.
void ResizeSurface(WindowData& w);
LRESULT DefWindowProcNcButtonDown(HWND hwnd, int hit, Point screen);
LRESULT DefWindowProcSetCursor(HWND hwnd, LPARAM lParam);
// The desktop minimised or restored a top-level window by itself: the window system follows.
void FollowDesktopMinimize(HWND hwnd, bool minimized);

}  // namespace zk::detail
