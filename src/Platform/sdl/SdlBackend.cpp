// The SDL2 backend: one borderless SDL window per top-level window, showing its cairo surface through the
// SDL window surface, with SDL's events turned into the window system's raw input.
//
// The GUI thread blocks in SDL_WaitEventTimeout; another thread wakes it by pushing a user event, which SDL
// allows from any thread. At most one wake-up event is in flight at a time.

#include <SDL.h>

#include <atomic>
#include <unordered_map>

#include "Platform/Cp1252.h"
#include "Platform/Input.h"
#include "Platform/MMTimer.h"
#include "Platform/WindowSystemState.h"
#include "Platform/sdl/SdlKeys.h"

namespace zk::detail {
namespace {

SDL_Rect ToSdl(const Rect& r) {
    return SDL_Rect{r.left, r.top, r.Width(), r.Height()};
}

Rect FromSdl(const SDL_Rect& r) {
    return Rect{r.x, r.y, r.x + r.w, r.y + r.h};
}

class SdlBackend final : public WindowBackend {
public:
    explicit SdlBackend(Uint32 wakeEvent) : wakeEvent_(wakeEvent) {}
    ~SdlBackend() override;

    BackendChoice Kind() const override { return BackendChoice::Sdl; }
    MonitorInfo Monitor(Point p) const override;

    void CreateTopLevel(HWND hwnd, const TopLevelInfo& info) override;
    void DestroyTopLevel(HWND hwnd) override;
    void MoveTopLevel(HWND hwnd, const Rect& rect) override;
    void ShowTopLevel(HWND hwnd, bool show) override;
    void MinimizeTopLevel(HWND hwnd) override;
    void RaiseTopLevel(HWND hwnd) override;
    void SetTitle(HWND hwnd, const std::string& title) override;
    void SetIcon(HWND hwnd, cairo_surface_t* image) override;
    void SetCursor(Cursor cursor) override;

    void Present(HWND hwnd, cairo_surface_t* surface, const std::vector<Rect>& damage) override;
    void Flush() override;

    void PollEvents() override;
    void WaitEvents(std::uint32_t timeoutMs) override;
    void Wake() override;

    bool SetClipboard(const std::string& utf8) override;
    std::optional<std::string> GetClipboard() override;

private:
    struct TopLevel {
        SDL_Window* window = nullptr;
        std::vector<SDL_Rect> damage;  // shown at the next Flush
        HWND owner;
    };

    TopLevel* Find(HWND hwnd);
    HWND FromWindowId(Uint32 id) const;
    Point ToScreen(Uint32 windowId, int x, int y) const;
    void Handle(const SDL_Event& e);
    void HandleWindowEvent(const SDL_WindowEvent& e);
    void AfterEvents();
    void PresentAll(HWND hwnd);

    const Uint32 wakeEvent_;
    std::atomic<bool> wakePending_{false};
    std::unordered_map<std::uint32_t, TopLevel> windows_;  // by handle
    std::unordered_map<Uint32, HWND> byWindowId_;
    Point mouse_;
    bool focusLost_ = false;
    std::unordered_map<int, SDL_Cursor*> cursors_;  // by shape, made when first shown
};

SdlBackend::~SdlBackend() {
    for (auto& [id, top] : windows_)
        SDL_DestroyWindow(top.window);
    for (auto& [shape, cursor] : cursors_)
        SDL_FreeCursor(cursor);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    SDL_Quit();
}

MonitorInfo SdlBackend::Monitor(Point p) const {
    const SDL_Point point{p.x, p.y};
    int display = SDL_GetPointDisplayIndex(&point);
    if (display < 0) display = 0;
    SDL_Rect bounds{0, 0, 1920, 1080};
    SDL_GetDisplayBounds(display, &bounds);
    SDL_Rect usable = bounds;
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = bounds;
    return {FromSdl(bounds), FromSdl(usable)};
}

SdlBackend::TopLevel* SdlBackend::Find(HWND hwnd) {
    auto it = windows_.find(hwnd.id);
    return it == windows_.end() ? nullptr : &it->second;
}

HWND SdlBackend::FromWindowId(Uint32 id) const {
    auto it = byWindowId_.find(id);
    return it == byWindowId_.end() ? HWND() : it->second;
}

void SdlBackend::CreateTopLevel(HWND hwnd, const TopLevelInfo& info) {
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    // Windows that never take the focus (menus, tips) bypass the window manager and stay on top.
    if (info.owner && info.exStyle & WS_EX_NOACTIVATE)
        flags |= SDL_WINDOW_POPUP_MENU;
    else if (info.owner)
        flags |= SDL_WINDOW_SKIP_TASKBAR;
    SDL_Window* window =
        SDL_CreateWindow(info.title.c_str(), info.rect.left, info.rect.top, std::max(1, info.rect.Width()),
                         std::max(1, info.rect.Height()), flags);
    if (!window) return;
    // Owned windows stay above their owner: the window manager learns who owns them.
    if (TopLevel* owner = Find(info.owner); owner && !(flags & SDL_WINDOW_POPUP_MENU))
        SDL_SetWindowModalFor(window, owner->window);
    windows_[hwnd.id] = TopLevel{window, {}, info.owner};
    byWindowId_[SDL_GetWindowID(window)] = hwnd;
}

void SdlBackend::DestroyTopLevel(HWND hwnd) {
    TopLevel* top = Find(hwnd);
    if (!top) return;
    byWindowId_.erase(SDL_GetWindowID(top->window));
    // A window that goes with the keyboard focus (a popup menu takes it on X11) hands it to its owner;
    // otherwise the display would leave the focus nowhere and the program would get no more keys.
    TopLevel* owner = Find(top->owner);
    if (owner && SDL_GetKeyboardFocus() == top->window &&
        (SDL_GetWindowFlags(owner->window) & SDL_WINDOW_SHOWN))
        SDL_SetWindowInputFocus(owner->window);
    SDL_DestroyWindow(top->window);
    windows_.erase(hwnd.id);
}

void SdlBackend::MoveTopLevel(HWND hwnd, const Rect& rect) {
    TopLevel* top = Find(hwnd);
    if (!top) return;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(top->window, &x, &y);
    SDL_GetWindowSize(top->window, &w, &h);
    if (x != rect.left || y != rect.top) SDL_SetWindowPosition(top->window, rect.left, rect.top);
    if (w != rect.Width() || h != rect.Height()) {
        SDL_SetWindowSize(top->window, std::max(1, rect.Width()), std::max(1, rect.Height()));
        top->damage.clear();  // the window surface is made anew; the repaint presents everything
    }
}

void SdlBackend::ShowTopLevel(HWND hwnd, bool show) {
    TopLevel* top = Find(hwnd);
    if (!top) return;
    if (show) {
        SDL_ShowWindow(top->window);
        if (SDL_GetWindowFlags(top->window) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(top->window);
    } else {
        SDL_HideWindow(top->window);
    }
}

void SdlBackend::MinimizeTopLevel(HWND hwnd) {
    if (TopLevel* top = Find(hwnd)) SDL_MinimizeWindow(top->window);
}

void SdlBackend::RaiseTopLevel(HWND hwnd) {
    TopLevel* top = Find(hwnd);
    if (top && SDL_GetWindowFlags(top->window) & SDL_WINDOW_SHOWN) SDL_RaiseWindow(top->window);
}

void SdlBackend::SetTitle(HWND hwnd, const std::string& title) {
    if (TopLevel* top = Find(hwnd)) SDL_SetWindowTitle(top->window, title.c_str());
}

void SdlBackend::SetIcon(HWND hwnd, cairo_surface_t* image) {
    TopLevel* top = Find(hwnd);
    if (!top || cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE) return;
    cairo_surface_flush(image);
    const bool alpha = cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(image), cairo_image_surface_get_width(image),
        cairo_image_surface_get_height(image), 32, cairo_image_surface_get_stride(image),
        alpha ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888);
    if (!icon) return;
    SDL_SetWindowIcon(top->window, icon);  // SDL copies the pixels
    SDL_FreeSurface(icon);
}

void SdlBackend::SetCursor(Cursor cursor) {
    static constexpr SDL_SystemCursor kShapes[] = {SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_HAND,
                                                   SDL_SYSTEM_CURSOR_IBEAM,    SDL_SYSTEM_CURSOR_SIZENWSE,
                                                   SDL_SYSTEM_CURSOR_SIZENESW, SDL_SYSTEM_CURSOR_SIZEWE,
                                                   SDL_SYSTEM_CURSOR_SIZENS};
    const int shape = static_cast<int>(cursor);
    SDL_Cursor*& made = cursors_[shape];
    if (!made) made = SDL_CreateSystemCursor(kShapes[shape]);
    if (made) SDL_SetCursor(made);
}

void SdlBackend::Present(HWND hwnd, cairo_surface_t* surface, const std::vector<Rect>& damage) {
    TopLevel* top = Find(hwnd);
    if (!top) return;
    SDL_Surface* target = SDL_GetWindowSurface(top->window);
    if (!target) return;
    // Cairo's RGB24 is 32-bit xRGB in native order: SDL's RGB888.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
        cairo_image_surface_get_height(surface), 32, cairo_image_surface_get_stride(surface),
        SDL_PIXELFORMAT_RGB888);
    if (!source) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    for (const Rect& r : damage) {
        SDL_Rect from = ToSdl(r);
        SDL_Rect to = from;
        SDL_BlitSurface(source, &from, target, &to);
        top->damage.push_back(from);
    }
    SDL_FreeSurface(source);
}

void SdlBackend::Flush() {
    for (auto& [id, top] : windows_) {
        if (top.damage.empty()) continue;
        SDL_UpdateWindowSurfaceRects(top.window, top.damage.data(), static_cast<int>(top.damage.size()));
        top.damage.clear();
    }
}

Point SdlBackend::ToScreen(Uint32 windowId, int x, int y) const {
    const HWND hwnd = FromWindowId(windowId);
    if (!hwnd) {
        int gx = 0, gy = 0;
        SDL_GetGlobalMouseState(&gx, &gy);
        return {gx, gy};
    }
    const Rect r = GetWindowRect(hwnd);
    return {r.left + x, r.top + y};
}

void SdlBackend::HandleWindowEvent(const SDL_WindowEvent& e) {
    const HWND hwnd = FromWindowId(e.windowID);
    if (!hwnd) return;
    const Rect r = GetWindowRect(hwnd);
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostMessage(hwnd, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_MOVED:
            // A window manager may place the window elsewhere; the window system follows.
            if (e.data1 != r.left || e.data2 != r.top)
                SetWindowPos(hwnd, HWND(), e.data1, e.data2, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (e.data1 != r.Width() || e.data2 != r.Height())
                SetWindowPos(hwnd, HWND(), 0, 0, e.data1, e.data2,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            else
                PresentAll(hwnd);  // SDL made a new window surface: fill it from ours
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            PresentAll(hwnd);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            input::DesktopMinimized(hwnd, true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            // Also sent after a maximise, which the window system does without the desktop.
            if (IsIconic(hwnd)) input::DesktopMinimized(hwnd, false);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            focusLost_ = false;
            if (!IsApplicationActive()) input::ApplicationActive(true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            focusLost_ = true;
            break;
        case SDL_WINDOWEVENT_LEAVE: {
            int gx = 0, gy = 0;
            SDL_GetGlobalMouseState(&gx, &gy);
            mouse_ = {gx, gy};
            input::MouseMove(mouse_);
            break;
        }
        default:
            break;
    }
}

void SdlBackend::Handle(const SDL_Event& e) {
    if (e.type == wakeEvent_) return;
    switch (e.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(e.window);
            break;
        case SDL_MOUSEMOTION:
            mouse_ = ToScreen(e.motion.windowID, e.motion.x, e.motion.y);
            input::MouseMove(mouse_);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const input::Button button = e.button.button == SDL_BUTTON_RIGHT    ? input::Button::Right
                                         : e.button.button == SDL_BUTTON_MIDDLE ? input::Button::Middle
                                                                                : input::Button::Left;
            if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT &&
                e.button.button != SDL_BUTTON_MIDDLE)
                break;
            mouse_ = ToScreen(e.button.windowID, e.button.x, e.button.y);
            if (e.type == SDL_MOUSEBUTTONDOWN)
                input::MouseDown(button, mouse_);
            else
                input::MouseUp(button, mouse_);
            break;
        }
        case SDL_MOUSEWHEEL: {
            const int sign = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
            mouse_ = ToScreen(e.wheel.windowID, e.wheel.mouseX, e.wheel.mouseY);
            if (e.wheel.y != 0) input::Wheel(sign * e.wheel.y * WHEEL_DELTA, mouse_);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int vk = VirtualKeyFromSdl(e.key.keysym.sym);
            if (!vk) break;
            if (e.type == SDL_KEYUP) {
                input::KeyUp(vk);
                break;
            }
            input::KeyDown(vk);
            // Keys whose character SDL's text input leaves out.
            const auto mods = static_cast<SDL_Keymod>(e.key.keysym.mod);
            if (const unsigned char ch = ControlCharFromSdl(e.key.keysym.sym, mods)) input::Char(ch);
            break;
        }
        case SDL_TEXTINPUT:
            for (const char ch : Cp1252FromUtf8(e.text.text))
                input::Char(static_cast<unsigned char>(ch));
            break;
        default:
            break;
    }
}

void SdlBackend::PresentAll(HWND hwnd) {
    const WindowData* w = detail::Find(hwnd);
    if (!w || !w->surface) return;
    Present(hwnd, w->surface.get(), {Rect{0, 0, w->rect.Width(), w->rect.Height()}});
}

// Focus moving between two of our windows is a loss and a gain; only a loss without a gain leaves the
// application inactive.
void SdlBackend::AfterEvents() {
    if (focusLost_ && !SDL_GetKeyboardFocus() && IsApplicationActive()) input::ApplicationActive(false);
    focusLost_ = false;
}

void SdlBackend::PollEvents() {
    SDL_Event e;
    bool any = false;
    while (SDL_PollEvent(&e)) {
        Handle(e);
        any = true;
    }
    if (any) AfterEvents();
}

void SdlBackend::WaitEvents(std::uint32_t timeoutMs) {
    SDL_Event e;
    const int timeout =
        timeoutMs == kInfinite ? -1 : static_cast<int>(std::min<std::uint32_t>(timeoutMs, 1u << 30));
    if (SDL_WaitEventTimeout(&e, timeout)) {
        Handle(e);
        PollEvents();
        AfterEvents();
    }
    // From here on, a post from another thread needs a new wake-up event.
    wakePending_.store(false);
}

void SdlBackend::Wake() {
    if (wakePending_.exchange(true)) return;
    SDL_Event e{};
    e.type = wakeEvent_;
    if (SDL_PushEvent(&e) != 1) wakePending_.store(false);
}

bool SdlBackend::SetClipboard(const std::string& utf8) {
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

std::optional<std::string> SdlBackend::GetClipboard() {
    if (!SDL_HasClipboardText()) return std::nullopt;
    char* text = SDL_GetClipboardText();
    if (!text) return std::nullopt;
    std::string result(text);
    SDL_free(text);
    return result;
}

}  // namespace

std::unique_ptr<WindowBackend> MakeSdlBackend() {
    // The window system decides about closing and activation; SDL must not quit or eat clicks.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return nullptr;
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    if (wakeEvent == static_cast<Uint32>(-1)) {
        SDL_Quit();
        return nullptr;
    }
    SDL_StartTextInput();
    return std::make_unique<SdlBackend>(wakeEvent);
}

}  // namespace zk::detail
