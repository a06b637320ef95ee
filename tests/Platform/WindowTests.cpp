#include "Platform/Window.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "Platform/Input.h"
#include "Platform/MessageLoop.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using namespace zk;

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A headless window system with a watchdog, and windows whose messages are recorded.
class WindowTest : public ::testing::Test {
protected:
    // Declared before the window system: its shutdown still reports to them.
    std::vector<Seen> seen;
    std::map<std::uint32_t, std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>> handlers;
    WindowSystemScope scope{
        WindowSystemOptions{{1920, 1080}, Rect{0, 0, 1920, 1040}, BackendChoice::Headless}};
    zktest::Watchdog watchdog{10s};

    HWND Make(DWORD style, Rect r, HWND parent = HWND(), DWORD classStyle = 0) {
        WindowCreateParams p;
        p.style = style;
        p.classStyle = classStyle;
        p.x = r.left;
        p.y = r.top;
        p.cx = r.Width();
        p.cy = r.Height();
        p.parent = parent;
        p.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            seen.push_back({h, m, w, l});
            if (auto it = handlers.find(h.id); it != handlers.end())
                if (auto answer = it->second(h, m, w, l)) return *answer;
            if (auto it = handlers.find(0); it != handlers.end())
                if (auto answer = it->second(h, m, w, l)) return *answer;
            return DefWindowProc(h, m, w, l);
        };
        return CreateWindowEx(p);
    }

    std::vector<UINT> MessagesOf(HWND h, std::initializer_list<UINT> only = {}) const {
        std::vector<UINT> out;
        for (const Seen& s : seen)
            if (s.hwnd == h &&
                (only.size() == 0 || std::find(only.begin(), only.end(), s.message) != only.end()))
                out.push_back(s.message);
        return out;
    }
    Seen Last(UINT message) const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->message == message) return *it;
        return {};
    }
    std::vector<HWND> WindowsThatGot(UINT message) const {
        std::vector<HWND> out;
        for (const Seen& s : seen)
            if (s.message == message) out.push_back(s.hwnd);
        return out;
    }
};

TEST_F(WindowTest, CreationSendsCreateThenSizeAndMinusOneFailsIt) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 500, 400});
    ASSERT_TRUE(IsWindow(top));
    EXPECT_EQ((std::vector<UINT>{WM_CREATE, WM_SIZE}), MessagesOf(top, {WM_CREATE, WM_SIZE}));
    EXPECT_EQ(Rect(0, 0, 400, 300), GetClientRect(top));
    EXPECT_TRUE(IsWindowVisible(top));
    EXPECT_EQ(top, GetActiveWindow());

    handlers[0] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_CREATE) return -1;
        return std::nullopt;
    };
    seen.clear();
    const HWND failed = Make(WS_CHILD, {0, 0, 10, 10}, top);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(GetChildren(top).empty());
    ASSERT_FALSE(seen.empty());
    EXPECT_FALSE(IsWindow(seen.back().hwnd));
}

TEST_F(WindowTest, DestructionReachesOwnedWindowsAndChildrenAndFreesHandles) {
    const HWND owner = Make(WS_POPUP | WS_VISIBLE, {0, 0, 300, 300});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {10, 10, 50, 50}, owner);
    const HWND grandchild = Make(WS_CHILD | WS_VISIBLE, {1, 1, 5, 5}, child);
    const HWND owned = Make(WS_POPUP | WS_VISIBLE, {50, 50, 100, 100}, owner);
    EXPECT_EQ(owner, GetOwner(owned));
    EXPECT_EQ(child, GetParent(grandchild));
    EXPECT_TRUE(IsChild(owner, grandchild));
    seen.clear();
    ASSERT_TRUE(DestroyWindow(owner));
    EXPECT_EQ((std::vector<HWND>{owned, owner, child, grandchild}), WindowsThatGot(WM_DESTROY));
    EXPECT_EQ((std::vector<HWND>{owned, grandchild, child, owner}), WindowsThatGot(WM_NCDESTROY));
    for (HWND h : {owner, child, grandchild, owned})
        EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(PostMessage(owner, WM_USER, 0, 0));
    const HWND again = Make(WS_POPUP, {0, 0, 10, 10});
    for (HWND h : {owner, child, grandchild, owned})
        EXPECT_NE(h, again);  // handles are not reused
}

TEST_F(WindowTest, SentMessagesRunAtOncePostedOnesInOrderLater) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    handlers[w.id] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_USER + 1) {
            PostMessage(h, WM_USER + 2, 0, 0);
            PostMessage(h, WM_USER + 3, 0, 0);
            EXPECT_EQ(42, SendMessage(h, WM_USER + 4, 0, 0));
            PostQuitMessage(5);
        }
        if (m == WM_USER + 4) return 42;
        return std::nullopt;
    };
    PostMessage(w, WM_USER + 1, 0, 0);
    CMessageLoop loop;
    EXPECT_EQ(5, loop.Run());
    EXPECT_EQ((std::vector<UINT>{WM_USER + 1, WM_USER + 4, WM_USER + 2, WM_USER + 3}),
              MessagesOf(w, {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
}

TEST_F(WindowTest, AnotherThreadsPostWakesTheLoopWithoutPolling) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    handlers[w.id] = [](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_USER) PostQuitMessage(static_cast<int>(wp));
        return std::nullopt;
    };
    const auto before = GetWindowSystemStats().waits;
    const auto start = std::chrono::steady_clock::now();
    std::thread poster([w] {
        std::this_thread::sleep_for(100ms);
        PostMessage(w, WM_USER, 9, 0);
    });
    CMessageLoop loop;
    EXPECT_EQ(9, loop.Run());
    poster.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_LE(GetWindowSystemStats().waits - before, 2u);  // it slept until woken, it did not poll
}

TEST_F(WindowTest, SendFromAnotherThreadWaitsForTheGuiThreadAndTimesOut) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    handlers[w.id] = [](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_USER) return static_cast<LRESULT>(wp * 2);
        if (m == WM_USER + 1) PostQuitMessage(0);
        return std::nullopt;
    };
    // Nobody pumps: the timed send gives up.
    LRESULT result = -1;
    std::thread early([&] { EXPECT_FALSE(SendMessageTimeout(w, WM_USER, 1, 0, SMTO_NORMAL, 100, &result)); });
    early.join();
    EXPECT_EQ(0, result);
    EXPECT_TRUE(MessagesOf(w, {WM_USER}).empty());

    LRESULT answer = 0;
    std::thread sender([&] {
        answer = SendMessage(w, WM_USER, 21, 0);
        PostMessage(w, WM_USER + 1, 0, 0);
    });
    CMessageLoop loop;
    loop.Run();
    sender.join();
    EXPECT_EQ(42, answer);
}

TEST_F(WindowTest, TimersTickUntilKilled) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    int ticks = 0;
    handlers[w.id] = [&](HWND h, UINT m, WPARAM id, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_TIMER && id == 7 && ++ticks == 3) {
            EXPECT_TRUE(KillTimer(h, 7));
            SetTimer(h, 8, 80);
        }
        if (m == WM_TIMER && id == 8) PostQuitMessage(0);
        return std::nullopt;
    };
    EXPECT_EQ(7u, SetTimer(w, 7, 10));
    CMessageLoop loop;
    loop.Run();
    EXPECT_EQ(3, ticks);
    EXPECT_FALSE(KillTimer(w, 7));
}

TEST_F(WindowTest, NestedLoopsEndInnermostFirstWithTheirCodes) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    std::vector<int> results;
    handlers[w.id] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_USER) {  // a modal dialog
            PostMessage(h, WM_USER + 1, 0, 0);
            CMessageLoop inner;
            results.push_back(inner.Run());
            PostQuitMessage(2);
        }
        if (m == WM_USER + 1) PostQuitMessage(1);
        return std::nullopt;
    };
    PostMessage(w, WM_USER, 0, 0);
    CMessageLoop outer;
    results.push_back(outer.Run());
    EXPECT_EQ((std::vector<int>{1, 2}), results);
}

struct KeyRedirect : CMessageFilter {
    HWND target;
    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) msg->hwnd = target;
        return msg->message == WM_CHAR;  // characters are eaten
    }
};

struct CountIdle : CIdleHandler {
    int calls = 0;
    bool OnIdle() override {
        ++calls;
        return false;
    }
};

TEST_F(WindowTest, FiltersReaddressAndConsumeIdleRunsWhenEmpty) {
    const HWND a = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND b = Make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    SetFocus(a);
    KeyRedirect filter;
    filter.target = b;
    CountIdle idle;
    CMessageLoop loop;
    loop.AddMessageFilter(&filter);
    loop.AddIdleHandler(&idle);
    input::KeyPress('X', 'x');
    handlers[0] = [](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_KEYUP) SetTimer(h, 1, 20);  // quit after an empty spell
        if (m == WM_TIMER) PostQuitMessage(0);
        return std::nullopt;
    };
    seen.clear();
    loop.Run();
    EXPECT_EQ((std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}), MessagesOf(b, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}));
    EXPECT_TRUE(MessagesOf(a, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}).empty());
    EXPECT_GE(idle.calls, 1);
}

TEST_F(WindowTest, CaptureKeepsTheMouseAndLeaveIsReportedOnce) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 400});
    const HWND left = Make(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, top);
    const HWND right = Make(WS_CHILD | WS_VISIBLE, {150, 0, 250, 100}, top);
    input::MouseMove({120, 120});
    ASSERT_TRUE(PumpPendingMessages());
    ASSERT_EQ(left, Last(WM_MOUSEMOVE).hwnd);
    EXPECT_EQ(Point(20, 20), LParamToPoint(Last(WM_MOUSEMOVE).lParam));

    TrackMouseEvent(TME_LEAVE, left);
    SetCapture(left);
    seen.clear();
    input::MouseMove({300, 150});  // over `right`, but `left` holds the capture
    PumpPendingMessages();
    EXPECT_EQ((std::vector<UINT>{WM_MOUSELEAVE, WM_MOUSEMOVE}),
              MessagesOf(left, {WM_MOUSEMOVE, WM_MOUSELEAVE}));
    EXPECT_EQ(Point(200, 50), LParamToPoint(Last(WM_MOUSEMOVE).lParam));
    EXPECT_TRUE(MessagesOf(right, {WM_MOUSEMOVE}).empty());

    seen.clear();
    ReleaseCapture();
    EXPECT_EQ((std::vector<UINT>{WM_CAPTURECHANGED}), MessagesOf(left));
    input::MouseMove({310, 150});
    input::MouseMove({320, 150});
    PumpPendingMessages();
    EXPECT_EQ((std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSEMOVE}), MessagesOf(right, {WM_MOUSEMOVE}));
    EXPECT_TRUE(MessagesOf(left, {WM_MOUSELEAVE}).empty());  // only once
}

TEST_F(WindowTest, MouseActivateAnswersDecideActivationAndDelivery) {
    const HWND main = Make(WS_POPUP | WS_VISIBLE, {0, 0, 300, 300});
    const HWND other = Make(WS_POPUP | WS_VISIBLE, {400, 0, 700, 300});
    ASSERT_EQ(other, GetActiveWindow());
    LRESULT answer = MA_NOACTIVATEANDEAT;
    handlers[main.id] = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_MOUSEACTIVATE) return answer;
        return std::nullopt;
    };
    input::Click(input::Button::Left, {10, 10});
    PumpPendingMessages();
    EXPECT_EQ(other, GetActiveWindow());
    EXPECT_TRUE(MessagesOf(main, {WM_LBUTTONDOWN}).empty());

    answer = MA_NOACTIVATE;
    input::Click(input::Button::Left, {10, 10});
    PumpPendingMessages();
    EXPECT_EQ(other, GetActiveWindow());
    EXPECT_EQ(1u, MessagesOf(main, {WM_LBUTTONDOWN}).size());

    answer = MA_ACTIVATE;
    seen.clear();
    input::Click(input::Button::Left, {10, 10});
    PumpPendingMessages();
    EXPECT_EQ(main, GetActiveWindow());
    EXPECT_EQ(main, GetFocus());
    EXPECT_EQ((std::vector<UINT>{WM_ACTIVATE, WM_LBUTTONDOWN}),
              MessagesOf(main, {WM_ACTIVATE, WM_LBUTTONDOWN}));
    EXPECT_EQ(WA_INACTIVE, static_cast<int>(std::find_if(seen.begin(), seen.end(), [&](const Seen& s) {
                                                return s.hwnd == other && s.message == WM_ACTIVATE;
                                            })->wParam));
}

TEST_F(WindowTest, CaptionAnswerDragsTheWindow) {
    const HWND w = Make(WS_POPUP | WS_VISIBLE, {100, 100, 300, 200});
    handlers[w.id] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_NCHITTEST) return HTCAPTION;
        return std::nullopt;
    };
    input::MouseMove({110, 110});
    input::MouseDown(input::Button::Left, {110, 110});
    input::MouseMove({160, 130});
    input::MouseMove({170, 140});
    input::MouseUp(input::Button::Left, {170, 140});
    PumpPendingMessages();
    EXPECT_EQ(Rect(160, 130, 360, 230), GetWindowRect(w));
    EXPECT_EQ(HWND(), GetCapture());
    EXPECT_EQ(1u, MessagesOf(w, {WM_EXITSIZEMOVE}).size());
    input::MouseMove({10, 10});  // no longer dragging
    PumpPendingMessages();
    EXPECT_EQ(Rect(160, 130, 360, 230), GetWindowRect(w));
}

TEST_F(WindowTest, SizingEdgesObeyTheSizingHandler) {
    //   +------------------+ <- HTLEFT in the 5 pixels at the left, HTBOTTOMRIGHT in the corner
    //   |                  |
    //   +------------------+
    const HWND w = Make(WS_POPUP | WS_VISIBLE | WS_THICKFRAME, {100, 100, 500, 400});
    handlers[w.id] = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
        if (m == WM_NCHITTEST) {
            const Point p = ScreenToClient(h, LParamToPoint(lp));
            const Rect c = GetClientRect(h);
            if (p.x < 5) return HTLEFT;
            if (p.x >= c.right - 10 && p.y >= c.bottom - 10) return HTBOTTOMRIGHT;
            return HTCLIENT;
        }
        if (m == WM_SIZING) {  // at least 300 x 200
            Rect& r = *reinterpret_cast<Rect*>(lp);
            if (r.Width() < 300) {
                if (wp == WMSZ_LEFT || wp == WMSZ_TOPLEFT || wp == WMSZ_BOTTOMLEFT)
                    r.left = r.right - 300;
                else
                    r.right = r.left + 300;
            }
            if (r.Height() < 200) r.bottom = r.top + 200;
            return 1;
        }
        return std::nullopt;
    };
    input::MouseDown(input::Button::Left, {102, 200});
    input::MouseMove({302, 200});  // would make it 200 wide
    input::MouseUp(input::Button::Left, {302, 200});
    PumpPendingMessages();
    EXPECT_EQ(Rect(200, 100, 500, 400), GetWindowRect(w));  // the right edge stays

    input::MouseDown(input::Button::Left, {495, 395});
    input::MouseMove({395, 245});
    input::MouseMove({595, 495});
    input::MouseUp(input::Button::Left, {595, 495});
    PumpPendingMessages();
    EXPECT_EQ(Rect(200, 100, 600, 500), GetWindowRect(w));
    EXPECT_EQ(Rect(0, 0, 400, 400), GetClientRect(w));
}

TEST_F(WindowTest, ChildrenPaintAfterTheirParentInZOrderWithClipping) {
    // parent 200x100 (clips children); A at 10..110, B above it at 60..160, both clip siblings.
    //   +--------------------------+
    //   |  [ A    [ B      ]       |
    //   +--------------------------+
    const HWND parent = Make(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, 200, 100});
    const HWND a = Make(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, {10, 10, 110, 60}, parent);
    const HWND b = Make(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, {60, 10, 160, 60}, parent);
    PumpPendingMessages();
    std::map<std::uint32_t, std::vector<Rect>> painted;
    handlers[0] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        painted[h.id] = BeginPaint(h, ps);
        EndPaint(h, ps);
        return 0;
    };
    seen.clear();
    RedrawWindow(parent, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    PumpPendingMessages();
    EXPECT_EQ((std::vector<HWND>{parent, a, b}), WindowsThatGot(WM_PAINT));
    EXPECT_EQ((std::vector<HWND>{parent, a, b}), WindowsThatGot(WM_ERASEBKGND));
    auto area = [](const std::vector<Rect>& rects) {
        int sum = 0;
        for (const Rect& r : rects)
            sum += r.Width() * r.Height();
        return sum;
    };
    EXPECT_EQ(200 * 100 - 150 * 50, area(painted[parent.id]));
    EXPECT_EQ(50 * 50, area(painted[a.id]));  // B covers its right half
    EXPECT_EQ((std::vector<Rect>{Rect{0, 0, 100, 50}}), painted[b.id]);

    // The parent alone (it clips its children): no child paints.
    seen.clear();
    InvalidateRect(parent, nullptr, true);
    UpdateWindow(parent);
    EXPECT_EQ((std::vector<HWND>{parent}), WindowsThatGot(WM_PAINT));
    // Hidden windows are not painted.
    ShowWindow(b, SW_HIDE);
    seen.clear();
    PumpPendingMessages();
    EXPECT_EQ((std::vector<HWND>{parent, a}), WindowsThatGot(WM_PAINT));
    EXPECT_EQ((std::vector<Rect>{Rect{50, 0, 100, 50}}), painted[a.id]);  // only what B uncovered
}

TEST_F(WindowTest, PlacementAndMaximiseUseTheWorkArea) {
    const HWND w = Make(WS_POPUP | WS_VISIBLE, {100, 100, 500, 400});
    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_EQ(Rect(0, 0, 1920, 1040), GetWindowRect(w));
    EXPECT_TRUE(IsZoomed(w));
    WindowPlacement p;
    ASSERT_TRUE(GetWindowPlacement(w, p));
    EXPECT_EQ(static_cast<std::uint32_t>(SW_SHOWMAXIMIZED), p.showCmd);
    EXPECT_EQ(Rect(100, 100, 500, 400), p.normalPosition);
    ShowWindow(w, SW_MINIMIZE);
    ASSERT_TRUE(GetWindowPlacement(w, p));
    EXPECT_EQ(static_cast<std::uint32_t>(SW_SHOWMINIMIZED), p.showCmd);

    const auto restored = WindowPlacement::FromBytes(p.ToBytes());
    ASSERT_TRUE(restored);
    WindowPlacement normal = *restored;
    normal.showCmd = SW_SHOWNORMAL;
    ASSERT_TRUE(SetWindowPlacement(w, normal));
    EXPECT_FALSE(IsIconic(w));
    EXPECT_EQ(Rect(100, 100, 500, 400), GetWindowRect(w));
    EXPECT_EQ(Rect(0, 0, 1920, 1040), GetMonitorInfoFromWindow(w).work);
}

// A key that closes its window and opens another (a menu's hot letter opening a dialog with an edit): the
// key's character belongs to the window the key went to, not to the one focused while the key is handled.
TEST_F(WindowTest, CharactersFollowTheirKeyDownNotTheFocusItsHandlingMoves) {
    const HWND menu = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND dialog = Make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    const HWND edit = Make(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, dialog);
    SetFocus(menu);
    handlers[menu.id] = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_KEYDOWN || w != 'S') return std::nullopt;
        SetFocus(edit);
        if (GetKeyState(VK_SHIFT) < 0) DestroyWindow(h);
        return std::nullopt;
    };
    input::KeyPress('S', 's');
    ASSERT_TRUE(PumpPendingMessages());
    EXPECT_EQ((std::vector<UINT>{WM_KEYDOWN, WM_CHAR}), MessagesOf(menu, {WM_KEYDOWN, WM_CHAR}));
    EXPECT_EQ((std::vector<UINT>{WM_KEYUP}), MessagesOf(edit, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}));

    // The key's window gone with its handling: the character goes nowhere.
    SetFocus(menu);
    seen.clear();
    input::KeyDown(VK_SHIFT);
    input::KeyPress('S', 'S');
    input::KeyUp(VK_SHIFT);
    ASSERT_TRUE(PumpPendingMessages());
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_TRUE(WindowsThatGot(WM_CHAR).empty());

    // Characters typed without a key down still go to the focus.
    input::Char('x');
    ASSERT_TRUE(PumpPendingMessages());
    EXPECT_EQ((std::vector<HWND>{edit}), WindowsThatGot(WM_CHAR));
}

TEST_F(WindowTest, KeysGoToTheFocusWithCtrlAndShiftState) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND edit = Make(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, top);
    SetFocus(edit);
    bool ctrlSeen = false;
    handlers[edit.id] = [&](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_KEYDOWN && wp == 'C')
            ctrlSeen = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0;
        return std::nullopt;
    };
    input::KeyDown(VK_CONTROL);
    input::KeyPress('C');
    input::KeyUp(VK_CONTROL);
    input::KeyDown(VK_MENU);
    input::KeyPress('F');
    input::KeyUp(VK_MENU);
    input::Wheel(-120, {10, 10});
    PumpPendingMessages();
    EXPECT_TRUE(ctrlSeen);
    EXPECT_EQ(2u, MessagesOf(edit, {WM_SYSKEYDOWN}).size());  // Alt and F
    auto wheel =
        std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.message == WM_MOUSEWHEEL; });
    ASSERT_NE(seen.end(), wheel);
    EXPECT_EQ(-120, GET_WHEEL_DELTA_WPARAM(wheel->wParam));
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

TEST_F(WindowTest, TheWindowUnderTheMouseChoosesTheCursorParentFirst) {
    //   +------------------------+ top: HTBOTTOMRIGHT in its 10 x 10 corner
    //   | +-------+  +-------+   |
    //   | | hand  |  | text  |   | hand: its parent sets the hand over it; text: sets the text cursor itself
    //   | +-------+  +-------+   |
    //   +------------------------+
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
    const HWND hand = Make(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, top);
    const HWND text = Make(WS_CHILD | WS_VISIBLE, {150, 0, 250, 100}, top);
    handlers[top.id] = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
        if (m == WM_NCHITTEST)
            return ScreenToClient(h, LParamToPoint(l)).x >= 290 &&
                           ScreenToClient(h, LParamToPoint(l)).y >= 190
                       ? HTBOTTOMRIGHT
                       : HTCLIENT;
        if (m == WM_SETCURSOR && HWND::FromParam(w) == hand) {
            SetCursor(Cursor::Hand);
            return 1;
        }
        return std::nullopt;
    };
    handlers[text.id] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_SETCURSOR) return std::nullopt;
        SetCursor(Cursor::IBeam);
        return 1;
    };
    const auto cursorAt = [](Point p) {
        input::MouseMove(p);
        PumpPendingMessages();
        return GetCursor();
    };
    EXPECT_EQ(Cursor::Hand, cursorAt({120, 120}));
    EXPECT_EQ(MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), Last(WM_SETCURSOR).lParam);
    EXPECT_EQ(Cursor::IBeam, cursorAt({260, 120}));
    EXPECT_EQ(Cursor::SizeNWSE, cursorAt({395, 295}));
    EXPECT_EQ(Cursor::Arrow, cursorAt({200, 250}));
    EXPECT_EQ(Cursor::IBeam, cursorAt({260, 120}));
    EXPECT_EQ(Cursor::Arrow, cursorAt({600, 600})) << "outside every window";

    SetCapture(text);  // a captured mouse keeps its cursor
    EXPECT_EQ(Cursor::Arrow, cursorAt({120, 120}));
    EXPECT_EQ(Cursor::Arrow, cursorAt({260, 120}));
}

TEST_F(WindowTest, LosingTheActivationEndsTheCaptureAndADrag) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, top);
    SetCapture(child);
    seen.clear();
    input::ApplicationActive(false);
    PumpPendingMessages();
    EXPECT_EQ(HWND(), GetCapture());
    EXPECT_EQ(1u, MessagesOf(child, {WM_CAPTURECHANGED}).size());
    EXPECT_FALSE(IsApplicationActive());

    input::ApplicationActive(true);
    handlers[top.id] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_NCHITTEST) return HTCAPTION;
        return std::nullopt;
    };
    input::MouseDown(input::Button::Left, {300, 250});  // beside the child
    PumpPendingMessages();
    ASSERT_EQ(top, GetCapture()) << "dragging";
    input::ApplicationActive(false);
    input::MouseMove({350, 280});
    PumpPendingMessages();
    EXPECT_EQ(Rect(100, 100, 400, 300), GetWindowRect(top)) << "the drag ended with the activation";
    EXPECT_EQ(1u, MessagesOf(top, {WM_EXITSIZEMOVE}).size());
}

TEST_F(WindowTest, AWindowTheDesktopRestoresPaintsTakesInputAndReportsItsPlacement) {
    const HWND owner = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300}, owner);
    PumpPendingMessages();
    ShowWindow(top, SW_MINIMIZE);  // e.g. its own minimise button
    ASSERT_TRUE(IsIconic(top));
    seen.clear();
    input::DesktopMinimized(top, false);  // restored from the task bar
    input::Click(input::Button::Left, {200, 200});
    PumpPendingMessages();
    EXPECT_FALSE(IsIconic(top));
    EXPECT_EQ(1u, MessagesOf(top, {WM_PAINT}).size()) << "painted again";
    EXPECT_EQ(1u, MessagesOf(top, {WM_LBUTTONDOWN}).size()) << "takes input";
    EXPECT_EQ(static_cast<WPARAM>(SIZE_RESTORED), Last(WM_SIZE).wParam);
    EXPECT_EQ(top, GetActiveWindow());
    WindowPlacement placement;
    ASSERT_TRUE(GetWindowPlacement(top, placement));
    EXPECT_EQ(static_cast<std::uint32_t>(SW_SHOWNORMAL), placement.showCmd);
    EXPECT_EQ(Rect(100, 100, 400, 300), placement.normalPosition);

    // Minimised by the desktop: the window system follows, and the owner becomes active.
    SetCapture(top);
    seen.clear();
    input::DesktopMinimized(top, true);
    PumpPendingMessages();
    EXPECT_TRUE(IsIconic(top));
    EXPECT_EQ(static_cast<WPARAM>(SIZE_MINIMIZED), Last(WM_SIZE).wParam);
    EXPECT_EQ(HWND(), GetCapture());
    EXPECT_EQ(owner, GetActiveWindow());
    ASSERT_TRUE(GetWindowPlacement(top, placement));
    EXPECT_EQ(static_cast<std::uint32_t>(SW_SHOWMINIMIZED), placement.showCmd);
    input::DesktopMinimized(top, true);  // told twice: nothing more happens
    PumpPendingMessages();
    EXPECT_EQ(1u, MessagesOf(top, {WM_SIZE}).size());
}

TEST_F(WindowTest, ATopLevelWindowKeepsItsIcon) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, top);
    cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 32, 32);
    EXPECT_FALSE(SetWindowIcon(child, icon));
    EXPECT_EQ(nullptr, GetWindowIcon(top));
    EXPECT_TRUE(SetWindowIcon(top, icon));
    EXPECT_EQ(icon, GetWindowIcon(top));
    EXPECT_EQ(2u, cairo_surface_get_reference_count(icon));
    DestroyWindow(top);
    EXPECT_EQ(1u, cairo_surface_get_reference_count(icon)) << "released with the window";
    cairo_surface_destroy(icon);
}

}  // namespace
