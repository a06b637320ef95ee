// Mouse and keyboard input: hit testing, capture, mouse-leave tracking, click activation, double clicks,
// and dragging or sizing a window by its hit-test answer.

#include <algorithm>
#include <cstdlib>

#include "Platform/MMTimer.h"
#include "Platform/WindowSystemState.h"

namespace zk {
namespace detail {
namespace {

constexpr std::uint32_t kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 4;

void Queue(RawInput raw) {
    if (!g_state) return;
    g_state->input.push_back(raw);
    Wake();
}

int VkOf(input::Button b) {
    return b == input::Button::Left ? VK_LBUTTON : b == input::Button::Right ? VK_RBUTTON : VK_MBUTTON;
}

WPARAM MouseKeys() {
    const State& s = *g_state;
    WPARAM keys = 0;
    if (s.keys[VK_LBUTTON]) keys |= MK_LBUTTON;
    if (s.keys[VK_RBUTTON]) keys |= MK_RBUTTON;
    if (s.keys[VK_MBUTTON]) keys |= MK_MBUTTON;
    if (s.keys[VK_SHIFT]) keys |= MK_SHIFT;
    if (s.keys[VK_CONTROL]) keys |= MK_CONTROL;
    return keys;
}

// The deepest visible, hit window at a screen point below `hwnd` (inclusive); HTTRANSPARENT answers let the
// point fall through to the windows beneath.
HWND HitChild(HWND hwnd, Point screen, int& hit) {
    WindowData* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE) || !GetWindowRect(hwnd).Contains(screen)) return HWND();
    const Point origin = ClientOriginOnScreen(*w);
    const Rect client{origin.x, origin.y, origin.x + w->client.Width(), origin.y + w->client.Height()};
    if (client.Contains(screen)) {
        for (HWND child : std::vector<HWND>(w->children)) {
            const HWND found = HitChild(child, screen, hit);
            if (found) return found;
        }
    }
    hit = static_cast<int>(CallProc(hwnd, WM_NCHITTEST, 0, PointToLParam(screen)));
    return hit == HTTRANSPARENT || hit == HTNOWHERE ? HWND() : hwnd;
}

HWND WindowFromPoint(Point screen, int& hit) {
    hit = HTNOWHERE;
    for (HWND top : std::vector<HWND>(g_state->topLevels)) {
        WindowData* w = Find(top);
        if (!w || w->minimized) continue;
        const HWND found = HitChild(top, screen, hit);
        if (found) return found;
    }
    return HWND();
}

bool EnabledChain(HWND hwnd) {
    for (WindowData* w = Find(hwnd); w; w = Find(w->parent))
        if (w->style & WS_DISABLED) return false;
    return true;
}

void CheckMouseLeave(HWND under, int hit, std::deque<MSG>& out) {
    State& s = *g_state;
    if (!s.leaveTracked) return;
    if (under == s.leaveTracked && hit == HTCLIENT) return;
    out.push_back(MSG{s.leaveTracked, WM_MOUSELEAVE, 0, 0, TimeGetTime(), s.cursor});
    s.leaveTracked = HWND();
}

// WM_SETCURSOR to the window under the mouse; the arrow where none of ours is.
void AskForCursor(HWND under, int hit, int buttonVk) {
    if (!under || !Find(under)) {
        SetCursor(Cursor::Arrow);
        return;
    }
    const UINT message = buttonVk == VK_LBUTTON   ? WM_LBUTTONDOWN
                         : buttonVk == VK_RBUTTON ? WM_RBUTTONDOWN
                         : buttonVk == VK_MBUTTON ? WM_MBUTTONDOWN
                                                  : WM_MOUSEMOVE;
    CallProc(under, WM_SETCURSOR, under.ToWParam(), MAKELPARAM(hit, static_cast<int>(message)));
}

void ContinueTracking(Point pt) {
    State& s = *g_state;
    Rect r = s.trackRect;
    const int dx = pt.x - s.trackStart.x;
    const int dy = pt.y - s.trackStart.y;
    if (s.tracking == Tracking::Move) {
        r = r.Offset(dx, dy);
    } else {
        const int edge = s.trackHit - 9;  // WMSZ_*
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) r.left += dx;
        if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) r.right += dx;
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r.top += dy;
        if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) r.bottom += dy;
        MINMAXINFO mmi{};
        mmi.ptMinTrackSize = {1, 1};
        mmi.ptMaxTrackSize = {100000, 100000};
        CallProc(s.trackWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        const bool leftEdge = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
        const bool topEdge = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
        const int width = std::clamp(r.Width(), mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x);
        const int height = std::clamp(r.Height(), mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y);
        if (leftEdge)
            r.left = r.right - width;
        else
            r.right = r.left + width;
        if (topEdge)
            r.top = r.bottom - height;
        else
            r.bottom = r.top + height;
        CallProc(s.trackWindow, WM_SIZING, static_cast<WPARAM>(edge), reinterpret_cast<LPARAM>(&r));
    }
    if (!Find(s.trackWindow)) return;
    // Window rectangles of children are kept in parent client coordinates.
    WindowData* w = Find(s.trackWindow);
    Point o{0, 0};
    if (WindowData* parent = Find(w->parent)) o = ClientOriginOnScreen(*parent);
    SetWindowPos(s.trackWindow, HWND_TOP, r.left - o.x, r.top - o.y, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void EndTracking() {
    State& s = *g_state;
    if (s.tracking == Tracking::None) return;
    s.tracking = Tracking::None;
    const HWND hwnd = s.trackWindow;
    s.trackWindow = HWND();
    if (s.capture == hwnd) ReleaseCapture();
    if (Find(hwnd)) CallProc(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

LRESULT DefWindowProcNcButtonDown(HWND hwnd, int hit, Point screen) {
    State& s = *g_state;
    const bool sizing = hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
    if (hit != HTCAPTION && !sizing) return 0;
    if (sizing && !(GetWindowStyle(hwnd) & WS_THICKFRAME)) return 0;
    s.tracking = sizing ? Tracking::Size : Tracking::Move;
    s.trackWindow = hwnd;
    s.trackHit = hit;
    s.trackStart = screen;
    s.trackRect = GetWindowRect(hwnd);
    CallProc(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    if (Find(hwnd)) SetCapture(hwnd);
    return 0;
}

LRESULT DefWindowProcSetCursor(HWND hwnd, LPARAM lParam) {
    if (GetWindowStyle(hwnd) & WS_CHILD) {
        const HWND parent = GetParent(hwnd);
        if (parent && CallProc(parent, WM_SETCURSOR, hwnd.ToWParam(), lParam)) return 1;
    }
    switch (static_cast<std::int16_t>(LOWORD(lParam))) {
        case HTLEFT:
        case HTRIGHT:
            SetCursor(Cursor::SizeWE);
            break;
        case HTTOP:
        case HTBOTTOM:
            SetCursor(Cursor::SizeNS);
            break;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT:
            SetCursor(Cursor::SizeNWSE);
            break;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
            SetCursor(Cursor::SizeNESW);
            break;
        default:
            SetCursor(Cursor::Arrow);
            break;
    }
    return 0;
}

void ForgetWindowInInput(HWND hwnd) {
    State& s = *g_state;
    if (s.trackWindow == hwnd) {
        s.tracking = Tracking::None;
        s.trackWindow = HWND();
    }
    if (s.lastDownWindow == hwnd) s.lastDownWindow = HWND();
}

// Holds the characters that directly follow a key down in the raw input as that key press's own, for
// TranslateMessage to send after the key-down message.
void HoldKeyChars(const MSG& keyDown, UINT charMessage) {
    State& s = *g_state;
    State::KeyChars held{keyDown, charMessage, {}};
    while (!s.input.empty() && s.input.front().kind == RawInput::Kind::Char) {
        held.chars += static_cast<char>(s.input.front().value & 0xFF);
        s.input.pop_front();
    }
    if (!held.chars.empty()) s.keyChars = std::move(held);
}

void RouteInput(const RawInput& raw, std::deque<MSG>& out) {
    State& s = *g_state;
    const std::uint32_t now = TimeGetTime();
    s.keyChars.reset();  // a key down that no loop translated takes its characters with it
    switch (raw.kind) {
        case RawInput::Kind::Minimized:
            FollowDesktopMinimize(raw.hwnd, raw.value != 0);
            return;
        case RawInput::Kind::AppActive:
            if (!raw.value && s.appActive) {
                // A drag or a captured press cannot go on in another program's window.
                EndTracking();
                if (s.capture) ReleaseCapture();
                const HWND old = s.active;
                s.appActive = false;
                s.active = HWND();
                if (Find(old)) {
                    CallProc(old, WM_NCACTIVATE, 0, 0);
                    CallProc(old, WM_ACTIVATE, WA_INACTIVE, 0);
                }
                for (HWND h : std::vector<HWND>(s.topLevels))
                    CallProc(h, WM_ACTIVATEAPP, 0, 0);
                s.focus = HWND();
            } else if (raw.value && !s.appActive && !s.topLevels.empty()) {
                SetActiveWindow(s.topLevels.front());
            }
            return;
        case RawInput::Kind::KeyDown:
        case RawInput::Kind::KeyUp:
        case RawInput::Kind::Char: {
            const bool down = raw.kind == RawInput::Kind::KeyDown;
            if (raw.kind != RawInput::Kind::Char) s.keys[raw.value & 0xFF] = down ? 1 : 0;
            if (raw.kind == RawInput::Kind::KeyDown && raw.value == VK_ESCAPE &&
                s.tracking != Tracking::None) {
                EndTracking();
                return;
            }
            const HWND target = s.focus ? s.focus : s.active;
            if (!target) return;
            const bool alt = s.keys[VK_MENU] != 0;
            UINT message;
            if (raw.kind == RawInput::Kind::Char)
                message = alt ? WM_SYSCHAR : WM_CHAR;
            else if (alt || raw.value == VK_MENU || raw.value == VK_F1 + 9)
                message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
            else
                message = down ? WM_KEYDOWN : WM_KEYUP;
            const LPARAM lParam =
                down || raw.kind == RawInput::Kind::Char ? 1 : static_cast<LPARAM>(0xC0000001u);
            out.push_back(MSG{target, message, static_cast<WPARAM>(raw.value & 0xFF), lParam, now, s.cursor});
            if (down) HoldKeyChars(out.back(), alt ? WM_SYSCHAR : WM_CHAR);
            return;
        }
        default:
            break;
    }

    // Mouse.
    s.cursor = raw.pt;
    if (raw.kind == RawInput::Kind::Down) s.keys[VkOf(raw.button)] = 1;
    if (raw.kind == RawInput::Kind::Up) s.keys[VkOf(raw.button)] = 0;
    if (s.tracking != Tracking::None) {
        if (raw.kind == RawInput::Kind::Move) ContinueTracking(raw.pt);
        if (raw.kind == RawInput::Kind::Up) EndTracking();
        return;
    }
    int hitUnder = HTNOWHERE;
    const HWND under = WindowFromPoint(raw.pt, hitUnder);
    CheckMouseLeave(under, hitUnder, out);
    if (!s.capture && raw.kind != RawInput::Kind::Wheel && raw.kind != RawInput::Kind::Up)
        AskForCursor(under, hitUnder, raw.kind == RawInput::Kind::Down ? VkOf(raw.button) : 0);

    if (raw.kind == RawInput::Kind::Wheel) {
        const HWND target = s.focus ? s.focus : s.active;
        if (target)
            out.push_back(MSG{target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeys()), raw.value),
                              PointToLParam(raw.pt), now, raw.pt});
        return;
    }
    HWND target = under;
    int hit = hitUnder;
    if (s.capture) {
        target = s.capture;
        hit = HTCLIENT;
    }
    if (!target || !EnabledChain(target)) return;

    const bool down = raw.kind == RawInput::Kind::Down;
    const int buttonIndex = raw.button == input::Button::Left    ? 0
                            : raw.button == input::Button::Right ? 1
                                                                 : 2;
    static constexpr UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    UINT message = raw.kind == RawInput::Kind::Move ? WM_MOUSEMOVE
                   : down                           ? kDown[buttonIndex]
                                                    : kUp[buttonIndex];
    if (down) {
        const HWND top = GetTopLevel(target);
        if (top != s.active || !s.appActive) {
            const LRESULT answer = CallProc(target, WM_MOUSEACTIVATE, top.ToWParam(),
                                            MAKELPARAM(hit, static_cast<int>(message)));
            if ((answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) && Find(top) &&
                !(GetWindowExStyle(top) & WS_EX_NOACTIVATE)) {
                SetActiveWindow(top);
            }
            if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return;
            if (!Find(target)) return;
        }
        WindowData* w = Find(target);
        if (w && w->classStyle & CS_DBLCLKS && s.lastDownWindow == target && s.lastDownMessage == message &&
            now - s.lastDownTime <= kDoubleClickMs &&
            std::abs(raw.pt.x - s.lastDownPoint.x) <= kDoubleClickSlop &&
            std::abs(raw.pt.y - s.lastDownPoint.y) <= kDoubleClickSlop) {
            s.lastDownWindow = HWND();
            message += 2;  // the DBLCLK message follows its UP
        } else {
            s.lastDownWindow = target;
            s.lastDownMessage = message;
            s.lastDownTime = now;
            s.lastDownPoint = raw.pt;
        }
    }
    if (hit == HTCLIENT) {
        out.push_back(
            MSG{target, message, MouseKeys(), PointToLParam(ScreenToClient(target, raw.pt)), now, raw.pt});
    } else {
        const UINT nc = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        out.push_back(MSG{target, nc, static_cast<WPARAM>(hit), PointToLParam(raw.pt), now, raw.pt});
    }
}

}  // namespace detail

namespace input {

using detail::RawInput;

void MouseMove(Point screen) {
    detail::Queue(RawInput{RawInput::Kind::Move, screen, Button::Left, 0});
}
void MouseDown(Button button, Point screen) {
    detail::Queue(RawInput{RawInput::Kind::Down, screen, button, 0});
}
void MouseUp(Button button, Point screen) {
    detail::Queue(RawInput{RawInput::Kind::Up, screen, button, 0});
}
void Click(Button button, Point screen) {
    MouseMove(screen);
    MouseDown(button, screen);
    MouseUp(button, screen);
}
void Wheel(int delta, Point screen) {
    detail::Queue(RawInput{RawInput::Kind::Wheel, screen, Button::Left, delta});
}
void KeyDown(int vk) {
    detail::Queue(RawInput{RawInput::Kind::KeyDown, {}, Button::Left, vk});
}
void KeyUp(int vk) {
    detail::Queue(RawInput{RawInput::Kind::KeyUp, {}, Button::Left, vk});
}
void Char(unsigned char ch) {
    detail::Queue(RawInput{RawInput::Kind::Char, {}, Button::Left, ch});
}
void KeyPress(int vk, unsigned char ch) {
    KeyDown(vk);
    if (ch) Char(ch);
    KeyUp(vk);
}
void ApplicationActive(bool active) {
    detail::Queue(RawInput{RawInput::Kind::AppActive, {}, Button::Left, active ? 1 : 0});
}
void DesktopMinimized(HWND hwnd, bool minimized) {
    detail::Queue(RawInput{RawInput::Kind::Minimized, {}, Button::Left, minimized ? 1 : 0, hwnd});
}

}  // namespace input
}  // namespace zk
