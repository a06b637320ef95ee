// Window tree, geometry, focus and activation of the window system.

#include <algorithm>

#include "Platform/MMTimer.h"
#include "Platform/WindowSystemState.h"

namespace zk {
namespace detail {

State* g_state = nullptr;

WindowData* Find(HWND hwnd) {
    if (!g_state || !hwnd) return nullptr;
    auto it = g_state->windows.find(hwnd.id);
    return it == g_state->windows.end() ? nullptr : it->second.get();
}

LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowData* w = Find(hwnd);
    if (!w) return 0;
    if (!w->proc) return DefWindowProc(hwnd, message, wParam, lParam);
    WNDPROC proc = w->proc;  // a copy: the handler may destroy its own window
    return proc(hwnd, message, wParam, lParam);
}

Point ClientOriginOnScreen(const WindowData& w) {
    Point p{w.rect.left + w.client.left, w.rect.top + w.client.top};
    if (WindowData* parent = Find(w.parent)) {
        const Point o = ClientOriginOnScreen(*parent);
        p.x += o.x;
        p.y += o.y;
    }
    return p;
}

}  // namespace detail

using namespace detail;

namespace {

std::vector<HWND>& SiblingList(WindowData& w) {
    if (WindowData* parent = Find(w.parent)) return parent->children;
    return g_state->topLevels;
}

void RemoveFrom(std::vector<HWND>& list, HWND hwnd) {
    std::erase(list, hwnd);
}

// Top-level z-order: owned windows stay above their owner, topmost windows above all others.
void PlaceAtTop(WindowData& w) {
    auto& list = SiblingList(w);
    RemoveFrom(list, w.hwnd);
    size_t pos = 0;
    if (!Find(w.parent) && !(w.exStyle & WS_EX_TOPMOST)) {
        while (pos < list.size()) {
            WindowData* other = Find(list[pos]);
            if (!other || !(other->exStyle & WS_EX_TOPMOST)) break;
            ++pos;
        }
    }
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), w.hwnd);
    if (!Find(w.parent)) {
        g_state->backend->RaiseTopLevel(w.hwnd);
        // Owned windows follow their owner up.
        std::vector<HWND> owned;
        for (HWND h : list)
            if (WindowData* o = Find(h); o && o->owner == w.hwnd && o->style & WS_VISIBLE) owned.push_back(h);
        for (HWND h : owned)
            PlaceAtTop(*Find(h));
    }
}

void NotifySize(WindowData& w) {
    const int kind = w.minimized ? SIZE_MINIMIZED : w.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    CallProc(w.hwnd, WM_SIZE, static_cast<WPARAM>(kind), MAKELPARAM(w.client.Width(), w.client.Height()));
}

void ComputeClient(WindowData& w) {
    NCCALCSIZE_PARAMS params;
    params.rgrc[0] = w.rect;
    CallProc(w.hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&params));
    if (!Find(w.hwnd)) return;
    w.client = params.rgrc[0].Offset(-w.rect.left, -w.rect.top);
}

void InvalidateParentArea(WindowData& w, const Rect& rect) {
    if (WindowData* parent = Find(w.parent))
        InvalidateTree(*parent, rect.Offset(-parent->client.left, -parent->client.top),
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ActivateTopLevel(HWND top, int how) {
    State& s = *g_state;
    if (s.active == top) return;
    const HWND old = s.active;
    s.active = top;
    if (Find(old)) {
        CallProc(old, WM_NCACTIVATE, 0, 0);
        CallProc(old, WM_ACTIVATE, WA_INACTIVE, top.ToLParam());
    }
    if (!s.appActive && top) {
        s.appActive = true;
        for (HWND h : std::vector<HWND>(s.topLevels))
            CallProc(h, WM_ACTIVATEAPP, 1, 0);
    }
    if (WindowData* w = Find(top)) {
        PlaceAtTop(*w);
        CallProc(top, WM_NCACTIVATE, 1, 0);
        CallProc(top, WM_ACTIVATE, static_cast<WPARAM>(how), old.ToLParam());
    }
}

void DestroyTree(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (!w) return;
    CallProc(hwnd, WM_DESTROY, 0, 0);
    for (HWND child : GetChildren(hwnd))
        DestroyTree(child);
    CallProc(hwnd, WM_NCDESTROY, 0, 0);
}

void ForgetHandle(HWND hwnd) {
    State& s = *g_state;
    WindowData* w = Find(hwnd);
    if (!w) return;
    for (HWND child : std::vector<HWND>(w->children))
        ForgetHandle(child);
    std::erase_if(s.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    if (s.focus == hwnd) s.focus = HWND();
    if (s.capture == hwnd) s.capture = HWND();
    if (s.leaveTracked == hwnd) s.leaveTracked = HWND();
    if (s.active == hwnd) s.active = HWND();
    ForgetWindowInInput(hwnd);
    if (w->surface) s.backend->DestroyTopLevel(hwnd);
    RemoveFrom(SiblingList(*w), hwnd);
    {
        std::lock_guard lock(s.queueMutex);
        s.live.erase(hwnd.id);
    }
    s.windows.erase(hwnd.id);
}

}  // namespace

bool InitWindowSystem(const WindowSystemOptions& options) {
    if (g_state) return false;
    g_state = new State;
    g_state->guiThread = std::this_thread::get_id();
    g_state->options = options;
    g_state->backend = MakeBackend(options);
    return true;
}

void ShutdownWindowSystem() {
    if (!g_state) return;
    for (HWND h : GetTopLevelWindows())
        DestroyWindow(h);
    State* s = g_state;
    {
        std::lock_guard lock(s->queueMutex);
        for (auto& sent : s->sent)
            sent->done = true;
        s->sent.clear();
        s->live.clear();
    }
    s->sentDone.notify_all();
    g_state = nullptr;
    delete s;
}

bool IsGuiThread() {
    return g_state && g_state->guiThread == std::this_thread::get_id();
}

BackendChoice CurrentBackend() {
    return g_state ? g_state->backend->Kind() : BackendChoice::Auto;
}

// --- window tree ---

HWND CreateWindowEx(const WindowCreateParams& p) {
    if (!IsGuiThread()) return HWND();
    State& s = *g_state;
    const bool child = (p.style & WS_CHILD) != 0;
    if (child && !Find(p.parent)) return HWND();
    auto data = std::make_unique<WindowData>();
    do {
        data->hwnd = HWND(s.nextId++);
    } while (data->hwnd.id < 0x100 || data->hwnd.id >= HWND_NOTOPMOST.id || s.windows.count(data->hwnd.id));
    if (child)
        data->parent = p.parent;
    else
        data->owner = Find(p.parent) ? GetTopLevel(p.parent) : HWND();
    data->style = p.style & ~WS_VISIBLE;
    data->exStyle = p.exStyle;
    data->classStyle = p.classStyle;
    data->id = p.id;
    data->title = p.title;
    data->proc = p.proc;
    const Rect work = s.backend->Monitor({0, 0}).work;
    const int x = p.x == CW_USEDEFAULT ? (child ? 0 : work.left + 40) : p.x;
    const int y = p.y == CW_USEDEFAULT ? (child ? 0 : work.top + 40) : p.y;
    const int cx = p.cx == CW_USEDEFAULT ? (child ? 0 : work.Width() * 3 / 4) : p.cx;
    const int cy = p.cy == CW_USEDEFAULT ? (child ? 0 : work.Height() * 3 / 4) : p.cy;
    data->rect = {x, y, x + cx, y + cy};
    data->normalRect = data->rect;
    data->client = {0, 0, cx, cy};
    const HWND hwnd = data->hwnd;
    WindowData& w = *data;
    s.windows.emplace(hwnd.id, std::move(data));
    {
        std::lock_guard lock(s.queueMutex);
        s.live.insert(hwnd.id);
    }
    if (child) {
        Find(p.parent)->children.insert(Find(p.parent)->children.begin(), hwnd);
    } else {
        ResizeSurface(w);
        s.backend->CreateTopLevel(hwnd, TopLevelInfo{w.rect, w.owner, w.style, w.exStyle, w.title});
        PlaceAtTop(w);
    }

    ComputeClient(w);
    CREATESTRUCT cs{p.createParam, p.parent, x, y, cx, cy, p.style, p.exStyle, p.title.c_str()};
    if (CallProc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1 || !Find(hwnd)) {
        DestroyWindow(hwnd);
        return HWND();
    }
    NotifySize(*Find(hwnd));
    if (!Find(hwnd)) return HWND();
    CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if (p.style & WS_VISIBLE && Find(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return Find(hwnd) ? hwnd : HWND();
}

bool DestroyWindow(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (!w || !IsGuiThread()) return false;
    if (w->destroying) return true;
    w->destroying = true;
    for (HWND h : GetTopLevelWindows())
        if (WindowData* o = Find(h); o && o->owner == hwnd) DestroyWindow(h);
    State& s = *g_state;
    if (s.tracking != Tracking::None && (s.trackWindow == hwnd || IsChild(hwnd, s.trackWindow)))
        EndTracking();
    if (IsChild(hwnd, s.capture) || s.capture == hwnd) ReleaseCapture();
    if (w->style & WS_VISIBLE) {
        w->style &= ~WS_VISIBLE;
        InvalidateParentArea(*w, w->rect);
    }
    if (s.active == hwnd) {
        const HWND next = Find(w->owner) ? w->owner : HWND();
        if (next)
            ActivateTopLevel(next, WA_ACTIVE);
        else {
            CallProc(hwnd, WM_NCACTIVATE, 0, 0);
            CallProc(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
            s.active = HWND();
        }
        if (s.active) SetFocus(s.active);
    }
    if (s.focus == hwnd || IsChild(hwnd, s.focus)) s.focus = HWND();
    DestroyTree(hwnd);
    ForgetHandle(hwnd);
    return true;
}

bool IsWindow(HWND hwnd) {
    State* s = g_state;
    if (!s || !hwnd) return false;
    std::lock_guard lock(s->queueMutex);
    return s->live.count(hwnd.id) > 0;
}

HWND GetParent(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (!w) return HWND();
    return w->parent ? w->parent : w->owner;
}

HWND GetOwner(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->owner : HWND();
}

HWND GetTopLevel(HWND hwnd) {
    WindowData* w = Find(hwnd);
    while (w && Find(w->parent))
        w = Find(w->parent);
    return w ? w->hwnd : HWND();
}

bool IsChild(HWND parent, HWND hwnd) {
    WindowData* w = Find(hwnd);
    while (w && w->parent) {
        if (w->parent == parent) return true;
        w = Find(w->parent);
    }
    return false;
}

std::vector<HWND> GetChildren(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->children : std::vector<HWND>{};
}

std::vector<HWND> GetTopLevelWindows() {
    return g_state ? g_state->topLevels : std::vector<HWND>{};
}

UINT GetDlgCtrlID(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->id : 0;
}

DWORD GetWindowStyle(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->style : 0;
}

DWORD GetWindowExStyle(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->exStyle : 0;
}

void SetWindowStyle(HWND hwnd, DWORD style) {
    WindowData* w = Find(hwnd);
    if (!w) return;
    const bool visible = (style & WS_VISIBLE) != 0;
    w->style = (style & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
    if (visible != ((w->style & WS_VISIBLE) != 0)) ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void SetWindowExStyle(HWND hwnd, DWORD exStyle) {
    if (WindowData* w = Find(hwnd)) w->exStyle = exStyle;
}

LPARAM GetWindowUserData(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->userData : 0;
}

void SetWindowUserData(HWND hwnd, LPARAM data) {
    if (WindowData* w = Find(hwnd)) w->userData = data;
}

std::string GetWindowText(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->title : std::string();
}

void SetWindowText(HWND hwnd, const std::string& text) {
    WindowData* w = Find(hwnd);
    if (!w) return;
    w->title = text;
    if (w->surface) g_state->backend->SetTitle(hwnd, text);
}

// --- geometry ---

bool ShowWindow(HWND hwnd, int cmd) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    const bool wasMinimized = w->minimized;
    const bool show = cmd != SW_HIDE;
    if (show != wasVisible) {
        CallProc(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
        if (!(w = Find(hwnd))) return wasVisible;
        if (w->surface) g_state->backend->ShowTopLevel(hwnd, show);
        if (show) {
            w->style |= WS_VISIBLE;
            InvalidateTree(*w, w->client.Offset(-w->client.left, -w->client.top),
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        } else {
            w->style &= ~WS_VISIBLE;
            InvalidateParentArea(*w, w->rect);
            if (g_state->focus == hwnd || IsChild(hwnd, g_state->focus)) g_state->focus = HWND();
        }
    }
    const bool top = !Find(w->parent);
    const Rect work = GetMonitorInfoFromWindow(hwnd).work;
    switch (cmd) {
        case SW_MAXIMIZE:
            if (!w->maximized && !w->minimized) w->normalRect = w->rect;
            w->minimized = false;
            w->maximized = true;
            SetWindowPos(hwnd, HWND_TOP, work.left, work.top, work.Width(), work.Height(), SWP_NOZORDER);
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_SHOWMINIMIZED:
            if (!w->maximized && !w->minimized) w->normalRect = w->rect;
            w->minimized = true;
            if (w->surface) g_state->backend->MinimizeTopLevel(hwnd);
            NotifySize(*w);
            if (g_state->active == hwnd) ActivateTopLevel(Find(w->owner) ? w->owner : HWND(), WA_ACTIVE);
            return wasVisible;
        case SW_RESTORE:
        case SW_SHOWNORMAL:
            if (w->minimized || w->maximized) {
                w->minimized = w->maximized = false;
                const Rect r = w->normalRect;
                SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
                if (!(w = Find(hwnd))) return wasVisible;
                NotifySize(*w);
            }
            break;
        default:
            break;
    }
    if (!(w = Find(hwnd))) return wasVisible;
    if (w->surface && wasMinimized && !w->minimized && w->style & WS_VISIBLE)
        g_state->backend->ShowTopLevel(hwnd, true);
    const bool activate = cmd == SW_SHOW || cmd == SW_SHOWNORMAL || cmd == SW_RESTORE || cmd == SW_MAXIMIZE;
    if (top && activate && !(w->exStyle & WS_EX_NOACTIVATE)) {
        ActivateTopLevel(hwnd, WA_ACTIVE);
        if (!IsChild(hwnd, g_state->focus) && g_state->active == hwnd) SetFocus(hwnd);
    }
    return wasVisible;
}

bool IsWindowVisible(HWND hwnd) {
    WindowData* w = Find(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE)) return false;
        w = Find(w->parent);
    }
    return Find(hwnd) != nullptr;
}

bool IsIconic(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w && w->minimized;
}

bool IsZoomed(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w && w->maximized;
}

bool MoveWindow(HWND hwnd, int x, int y, int cx, int cy, bool repaint) {
    return SetWindowPos(hwnd, HWND_TOP, x, y, cx, cy,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    Rect r = w->rect;
    if (!(flags & SWP_NOMOVE)) r = r.Offset(x - r.left, y - r.top);
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(0, cx);
        r.bottom = r.top + std::max(0, cy);
    }
    const bool moved = r.left != w->rect.left || r.top != w->rect.top;
    const bool sized = r.Width() != w->rect.Width() || r.Height() != w->rect.Height();
    if ((moved || sized || flags & SWP_FRAMECHANGED)) {
        const Rect old = w->rect;
        w->rect = r;
        if (w->surface) {
            if (sized) ResizeSurface(*w);
            g_state->backend->MoveTopLevel(hwnd, r);
        }
        ComputeClient(*w);
        if (!(w = Find(hwnd))) return false;
        if (!(flags & SWP_NOREDRAW) && w->style & WS_VISIBLE) {
            InvalidateParentArea(*w, old);
            InvalidateTree(*w, Rect{0, 0, w->client.Width(), w->client.Height()},
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        if (!w->minimized && !w->maximized) w->normalRect = w->rect;
        if (moved) CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(r.left + w->client.left, r.top + w->client.top));
        if ((w = Find(hwnd)) && (sized || flags & SWP_FRAMECHANGED)) NotifySize(*w);
        if (!(w = Find(hwnd))) return false;
    }
    if (!(flags & SWP_NOZORDER)) {
        auto& list = SiblingList(*w);
        if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        if (insertAfter == HWND_BOTTOM) {
            RemoveFrom(list, hwnd);
            list.push_back(hwnd);
        } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            PlaceAtTop(*w);
        } else if (std::find(list.begin(), list.end(), insertAfter) != list.end() && insertAfter != hwnd) {
            RemoveFrom(list, hwnd);
            list.insert(std::find(list.begin(), list.end(), insertAfter) + 1, hwnd);
        }
        InvalidateTree(*w, Rect{0, 0, w->client.Width(), w->client.Height()},
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, flags & SWP_NOACTIVATE ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    if (!(flags & SWP_NOACTIVATE) && !(flags & SWP_NOZORDER) && Find(hwnd) && !Find(w->parent) &&
        IsWindowVisible(hwnd))
        ActivateTopLevel(hwnd, WA_ACTIVE);
    return true;
}

Rect GetWindowRect(HWND hwnd) {
    WindowData* w = Find(hwnd);
    if (!w) return {};
    Point o{0, 0};
    if (WindowData* parent = Find(w->parent)) o = ClientOriginOnScreen(*parent);
    return w->rect.Offset(o.x, o.y);
}

Rect GetClientRect(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? Rect{0, 0, w->client.Width(), w->client.Height()} : Rect{};
}

Point ClientToScreen(HWND hwnd, Point p) {
    WindowData* w = Find(hwnd);
    if (!w) return p;
    const Point o = ClientOriginOnScreen(*w);
    return {p.x + o.x, p.y + o.y};
}

Point ScreenToClient(HWND hwnd, Point p) {
    WindowData* w = Find(hwnd);
    if (!w) return p;
    const Point o = ClientOriginOnScreen(*w);
    return {p.x - o.x, p.y - o.y};
}

bool BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool GetWindowPlacement(HWND hwnd, WindowPlacement& placement) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    placement = WindowPlacement{};
    placement.showCmd = !(w->style & WS_VISIBLE) ? SW_HIDE
                        : w->minimized           ? SW_SHOWMINIMIZED
                        : w->maximized           ? SW_SHOWMAXIMIZED
                                                 : SW_SHOWNORMAL;
    placement.normalPosition = (w->minimized || w->maximized) ? w->normalRect : w->rect;
    return true;
}

bool SetWindowPlacement(HWND hwnd, const WindowPlacement& placement) {
    WindowData* w = Find(hwnd);
    if (!w || placement.length != WindowPlacement::kRecordSize) return false;
    w->minimized = w->maximized = false;
    const Rect r = placement.normalPosition;
    SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (!Find(hwnd)) return false;
    ShowWindow(hwnd, static_cast<int>(placement.showCmd));
    return true;
}

MonitorInfo GetMonitorInfoFromPoint(Point p) {
    return g_state->backend->Monitor(p);
}

MonitorInfo GetMonitorInfoFromWindow(HWND hwnd) {
    const Rect r = GetWindowRect(hwnd);
    return GetMonitorInfoFromPoint({r.left + r.Width() / 2, r.top + r.Height() / 2});
}

// --- state ---

bool EnableWindow(HWND hwnd, bool enable) {
    WindowData* w = Find(hwnd);
    if (!w) return false;
    const bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable)
        w->style &= ~WS_DISABLED;
    else {
        w->style |= WS_DISABLED;
        if (g_state->focus == hwnd || IsChild(hwnd, g_state->focus)) SetFocus(HWND());
        if (g_state->capture == hwnd) ReleaseCapture();
    }
    CallProc(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

HWND SetFocus(HWND hwnd) {
    State& s = *g_state;
    const HWND old = s.focus;
    if (hwnd && !Find(hwnd)) return HWND();
    if (old == hwnd) return old;
    if (hwnd) {
        const HWND top = GetTopLevel(hwnd);
        if (s.active != top) ActivateTopLevel(top, WA_ACTIVE);
        if (s.focus == hwnd) return old;  // activation already gave it the focus
    }
    s.focus = hwnd;
    if (Find(old)) CallProc(old, WM_KILLFOCUS, hwnd.ToWParam(), 0);
    if (s.focus == hwnd && Find(hwnd)) CallProc(hwnd, WM_SETFOCUS, old.ToWParam(), 0);
    return old;
}

HWND GetFocus() {
    return g_state ? g_state->focus : HWND();
}

HWND SetActiveWindow(HWND hwnd) {
    const HWND old = g_state->active;
    const HWND top = GetTopLevel(hwnd);
    ActivateTopLevel(top, WA_ACTIVE);
    if (g_state->active == top && top && !IsChild(top, g_state->focus) && g_state->focus != top)
        SetFocus(top);
    return old;
}

HWND GetActiveWindow() {
    return g_state ? g_state->active : HWND();
}

bool SetForegroundWindow(HWND hwnd) {
    if (!Find(hwnd)) return false;
    SetActiveWindow(hwnd);
    return true;
}

HWND GetForegroundWindow() {
    return g_state && g_state->appActive ? g_state->active : HWND();
}

bool IsApplicationActive() {
    return g_state && g_state->appActive;
}

HWND SetCapture(HWND hwnd) {
    State& s = *g_state;
    const HWND old = s.capture;
    if (!Find(hwnd) || old == hwnd) return old;
    s.capture = hwnd;
    if (Find(old)) CallProc(old, WM_CAPTURECHANGED, 0, hwnd.ToLParam());
    return old;
}

bool ReleaseCapture() {
    State& s = *g_state;
    const HWND old = s.capture;
    s.capture = HWND();
    if (Find(old)) CallProc(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture() {
    return g_state ? g_state->capture : HWND();
}

bool TrackMouseEvent(DWORD flags, HWND hwnd) {
    State& s = *g_state;
    if (!Find(hwnd)) return false;
    if (flags & TME_CANCEL) {
        if (s.leaveTracked == hwnd) s.leaveTracked = HWND();
        return true;
    }
    if (!(flags & TME_LEAVE)) return true;
    const HWND previous = s.leaveTracked;
    s.leaveTracked = hwnd;
    if (previous && previous != hwnd) PostMessage(previous, WM_MOUSELEAVE, 0, 0);
    return true;
}

short GetKeyState(int vk) {
    if (!g_state || vk < 0 || vk > 255) return 0;
    return g_state->keys[vk] ? static_cast<short>(0x8000) : 0;
}

Point GetCursorPos() {
    return g_state ? g_state->cursor : Point{};
}

void SetCursor(Cursor cursor) {
    if (!g_state || g_state->cursorShape == cursor) return;
    g_state->cursorShape = cursor;
    g_state->backend->SetCursor(cursor);
}

Cursor GetCursor() {
    return g_state ? g_state->cursorShape : Cursor::Arrow;
}

bool SetWindowIcon(HWND hwnd, cairo_surface_t* image) {
    WindowData* w = Find(hwnd);
    if (!w || !w->surface || !image) return false;
    w->icon.reset(cairo_surface_reference(image));
    g_state->backend->SetIcon(hwnd, image);
    return true;
}

cairo_surface_t* GetWindowIcon(HWND hwnd) {
    WindowData* w = Find(hwnd);
    return w ? w->icon.get() : nullptr;
}

namespace detail {

void FollowDesktopMinimize(HWND hwnd, bool minimized) {
    State& s = *g_state;
    WindowData* w = Find(hwnd);
    if (!w || !w->surface || w->minimized == minimized || !(w->style & WS_VISIBLE)) return;
    if (minimized) {
        if (!w->maximized) w->normalRect = w->rect;
        w->minimized = true;
        if (s.tracking != Tracking::None && GetTopLevel(s.trackWindow) == hwnd) EndTracking();
        if (s.capture && GetTopLevel(s.capture) == hwnd) ReleaseCapture();
        if (!(w = Find(hwnd))) return;
        NotifySize(*w);
        if (s.active == hwnd) ActivateTopLevel(Find(w->owner) ? w->owner : HWND(), WA_ACTIVE);
        return;
    }
    // Nothing was painted while it was minimised.
    w->minimized = false;
    NotifySize(*w);
    if (!(w = Find(hwnd))) return;
    InvalidateTree(*w, Rect{0, 0, w->client.Width(), w->client.Height()},
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (!(w->exStyle & WS_EX_NOACTIVATE)) SetActiveWindow(hwnd);
}

}  // namespace detail

WindowSystemStats GetWindowSystemStats() {
    if (!g_state) return {};
    std::lock_guard lock(g_state->queueMutex);
    return {g_state->waits};
}

}  // namespace zk
