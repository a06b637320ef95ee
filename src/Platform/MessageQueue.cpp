// The GUI thread's message queue: posted and sent messages, timers, the quit flag, and the default handling
// of messages.
//
// A fetch looks, in this order, at: messages sent from other threads (answered at once), posted messages,
// the quit flag, display events and raw input, windows that need painting, due timers. Only when all are
// empty does the GUI thread show what was painted and block in its backend, until another thread posts or
// sends, a display event arrives, or the next timer is due.

#include <algorithm>
#include <chrono>

#include "Platform/MMTimer.h"
#include "Platform/WindowSystemState.h"

namespace zk {
namespace detail {

void Wake() {
    State* s = g_state;
    if (!s || s->guiThread == std::this_thread::get_id()) return;  // the GUI thread looks before it waits
    s->backend->Wake();
}

}  // namespace detail

using namespace detail;

namespace {

// Answers the messages other threads sent. GUI thread.
void AnswerSentMessages() {
    State& s = *g_state;
    for (;;) {
        std::shared_ptr<SentMessage> item;
        {
            std::lock_guard lock(s.queueMutex);
            if (s.sent.empty()) return;
            item = s.sent.front();
            s.sent.pop_front();
        }
        const LRESULT result =
            CallProc(item->msg.hwnd, item->msg.message, item->msg.wParam, item->msg.lParam);
        {
            std::lock_guard lock(s.queueMutex);
            item->result = result;
            item->ok = true;
            item->done = true;
        }
        s.sentDone.notify_all();
        if (!g_state) return;
    }
}

std::uint32_t Elapsed(std::uint32_t now, std::uint32_t due) {
    return now - due;
}
bool IsDue(std::uint32_t now, std::uint32_t due) {
    return static_cast<std::int32_t>(now - due) >= 0;
}

// The earliest due timer, or nullptr.
Timer* DueTimer(std::uint32_t now) {
    Timer* best = nullptr;
    for (Timer& t : g_state->timers)
        if (IsDue(now, t.due) && (!best || Elapsed(now, t.due) > Elapsed(now, best->due))) best = &t;
    return best;
}

// Milliseconds until the next timer, kInfinite without timers.
std::uint32_t NextTimerDelay(std::uint32_t now) {
    std::uint32_t delay = kInfinite;
    for (const Timer& t : g_state->timers) {
        const auto left = static_cast<std::int32_t>(t.due - now);
        delay = std::min(delay, left <= 0 ? 0u : static_cast<std::uint32_t>(left));
    }
    return delay;
}

bool Fetch(MSG& msg, bool remove) {
    State& s = *g_state;
    AnswerSentMessages();
    if (!g_state) return false;
    {
        std::lock_guard lock(s.queueMutex);
        if (!s.posted.empty()) {
            msg = s.posted.front();
            if (remove) s.posted.pop_front();
            return true;
        }
        if (s.quitPending) {
            msg = MSG{HWND(), WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, TimeGetTime(), s.cursor};
            if (remove) s.quitPending = false;
            return true;
        }
    }
    s.backend->PollEvents();
    // Raw input becomes zero or more messages; they join the posted queue in order.
    while (!s.input.empty()) {
        const RawInput raw = s.input.front();
        s.input.pop_front();
        std::deque<MSG> routed;
        RouteInput(raw, routed);
        if (!g_state) return false;
        if (routed.empty()) continue;
        std::lock_guard lock(s.queueMutex);
        for (auto it = routed.rbegin(); it != routed.rend(); ++it)
            s.posted.push_front(*it);
        msg = s.posted.front();
        if (remove) s.posted.pop_front();
        return true;
    }
    HWND paint;
    if (NextPaintWindow(paint)) {
        msg = MSG{paint, WM_PAINT, 0, 0, TimeGetTime(), s.cursor};
        return true;
    }
    const std::uint32_t now = TimeGetTime();
    if (Timer* t = DueTimer(now)) {
        msg = MSG{t->hwnd, WM_TIMER, t->id, 0, now, s.cursor};
        if (remove) t->due = now + t->period;
        return true;
    }
    s.backend->Flush();
    return false;
}

void WaitForWork() {
    State& s = *g_state;
    const std::uint32_t delay = NextTimerDelay(TimeGetTime());
    {
        std::lock_guard lock(s.queueMutex);
        if (!s.posted.empty() || !s.sent.empty() || s.quitPending || !s.input.empty()) return;
        ++s.waits;
    }
    // A post between the check and the wait has already woken the backend: its wake-up is kept.
    s.backend->WaitEvents(delay);
}

}  // namespace

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    State* s = g_state;
    if (!s) return false;
    {
        std::lock_guard lock(s->queueMutex);
        if (hwnd && !s->live.count(hwnd.id)) return false;
        s->posted.push_back(MSG{hwnd, message, wParam, lParam, TimeGetTime(), Point{}});
    }
    Wake();
    return true;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    SendMessageTimeout(hwnd, message, wParam, lParam, SMTO_NORMAL, kInfinite, &result);
    return result;
}

bool SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs,
                        LRESULT* result) {
    if (result) *result = 0;
    State* s = g_state;
    if (!s || !IsWindow(hwnd)) return false;
    if (IsGuiThread()) {
        const LRESULT r = CallProc(hwnd, message, wParam, lParam);
        if (result) *result = r;
        return true;
    }
    auto item = std::make_shared<SentMessage>();
    item->msg = MSG{hwnd, message, wParam, lParam, TimeGetTime(), Point{}};
    std::unique_lock lock(s->queueMutex);
    s->sent.push_back(item);
    s->backend->Wake();
    const auto done = [&] { return item->done; };
    if (timeoutMs == kInfinite)
        s->sentDone.wait(lock, done);
    else if (!s->sentDone.wait_for(lock, std::chrono::milliseconds(timeoutMs), done)) {
        std::erase(s->sent, item);  // not picked up yet: drop it
        return false;
    }
    if (result) *result = item->result;
    return item->ok;
}

void PostQuitMessage(int exitCode) {
    State* s = g_state;
    if (!s) return;
    {
        std::lock_guard lock(s->queueMutex);
        s->quitPending = true;
        s->quitCode = exitCode;
    }
    Wake();
}

bool GetMessage(MSG& msg) {
    for (;;) {
        if (!g_state) {
            msg = MSG{HWND(), WM_QUIT, 0, 0, 0, Point{}};
            return false;
        }
        if (Fetch(msg, true)) return msg.message != WM_QUIT;
        if (g_state) WaitForWork();
    }
}

bool PeekMessage(MSG& msg, UINT removeFlags) {
    return g_state && Fetch(msg, (removeFlags & PM_REMOVE) != 0);
}

void TranslateMessage(const MSG& msg) {
    // The characters of a key press follow its key-down message to the window it is dispatched to. Posted
    // now, they arrive there before anything the key's handling posts, and with that window gone they are
    // dropped instead of reaching whichever window has the focus by then (a dialog the key opened).
    State* s = g_state;
    if (!s || !s->keyChars || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return;
    const MSG& held = s->keyChars->keyDown;
    if (held.message != msg.message || held.wParam != msg.wParam || held.time != msg.time) return;
    const State::KeyChars chars = std::move(*s->keyChars);
    s->keyChars.reset();
    for (const char ch : chars.chars)
        PostMessage(msg.hwnd, chars.message, static_cast<unsigned char>(ch), 1);
}

LRESULT DispatchMessage(const MSG& msg) {
    if (!msg.hwnd || !Find(msg.hwnd)) return 0;
    return CallProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, UINT elapseMs) {
    if (!Find(hwnd)) return 0;
    const UINT period = std::max<UINT>(elapseMs, 1);
    const std::uint32_t due = TimeGetTime() + period;
    for (Timer& t : g_state->timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.period = period;
            t.due = due;
            return id == 0 ? 1 : id;
        }
    g_state->timers.push_back(Timer{hwnd, id, period, due});
    return id == 0 ? 1 : id;
}

bool KillTimer(HWND hwnd, std::uintptr_t id) {
    if (!g_state) return false;
    return std::erase_if(g_state->timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, ps);
            EndPaint(hwnd, ps);
            return 0;
        }
        case WM_NCHITTEST: {
            const Rect r = GetWindowRect(hwnd);
            return r.Contains(LParamToPoint(lParam)) ? HTCLIENT : HTNOWHERE;
        }
        case WM_MOUSEACTIVATE: {
            const HWND parent = GetWindowStyle(hwnd) & WS_CHILD ? GetParent(hwnd) : HWND();
            if (parent) {
                const LRESULT r = SendMessage(parent, WM_MOUSEACTIVATE, wParam, lParam);
                if (r) return r;
            }
            return MA_ACTIVATE;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && GetFocus() != hwnd && !IsChild(hwnd, GetFocus()))
                SetFocus(hwnd);
            return 0;
        case WM_NCACTIVATE:
            return 1;
        case WM_GETMINMAXINFO:
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MAXIMIZE) ShowWindow(hwnd, SW_MAXIMIZE);
            if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(hwnd, SW_MINIMIZE);
            if ((wParam & 0xFFF0) == SC_RESTORE) ShowWindow(hwnd, SW_RESTORE);
            if ((wParam & 0xFFF0) == SC_CLOSE) PostMessage(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_MOUSEWHEEL:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR: {
            // Unhandled wheel turns go up to the parent, like on the desktop.
            if (message == WM_MOUSEWHEEL && GetWindowStyle(hwnd) & WS_CHILD)
                return SendMessage(GetParent(hwnd), message, wParam, lParam);
            return 0;
        }
        case WM_NCLBUTTONDOWN:
            return DefWindowProcNcButtonDown(hwnd, static_cast<int>(wParam), LParamToPoint(lParam));
        case WM_SETCURSOR:
            return DefWindowProcSetCursor(hwnd, lParam);
        default:
            return 0;
    }
}

}  // namespace zk
