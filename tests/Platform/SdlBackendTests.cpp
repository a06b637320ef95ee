// The SDL backend on SDL's display-less "dummy" video driver: waking the GUI thread from another thread,
// presenting window surfaces and SDL's clipboard.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <thread>
#include <vector>

#include "Platform/Clipboard.h"
#include "Platform/MessageLoop.h"
#include "Platform/Window.h"
#include "support/TestSupport.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using namespace zk;

class SdlBackendTest : public ::testing::Test {
protected:
    zktest::ScopedEnv driver{"SDL_VIDEODRIVER", "dummy"};
    WindowSystemScope scope{WindowSystemOptions{{1920, 1080}, std::nullopt, BackendChoice::Sdl}};
    zktest::Watchdog watchdog{10s};

    void SetUp() override {
        if (CurrentBackend() != BackendChoice::Sdl) GTEST_SKIP() << "SDL's dummy video driver does not start";
    }
};

TEST_F(SdlBackendTest, AnotherThreadsPostEndsTheWaitAtOnce) {
    WindowCreateParams p;
    p.style = WS_POPUP | WS_VISIBLE;
    p.x = 10, p.y = 10, p.cx = 100, p.cy = 50;
    int painted = 0;
    p.proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) PostQuitMessage(static_cast<int>(w));
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(h, ps);
            cairo_set_source_rgb(ps.cr, 1, 0, 0);
            cairo_paint(ps.cr);
            EndPaint(h, ps);
            ++painted;
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    const HWND window = CreateWindowEx(p);
    ASSERT_TRUE(window);
    ASSERT_TRUE(PumpPendingMessages());
    EXPECT_EQ(1, painted);

    const auto before = GetWindowSystemStats().waits;
    const auto start = std::chrono::steady_clock::now();
    std::thread poster([window] {
        std::this_thread::sleep_for(100ms);
        PostMessage(window, WM_USER, 4, 0);
    });
    CMessageLoop loop;
    EXPECT_EQ(4, loop.Run());
    poster.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_LE(GetWindowSystemStats().waits - before, 3u);  // it slept until woken, it did not poll
}

TEST_F(SdlBackendTest, ClipboardTextRoundTrips) {
    ASSERT_TRUE(
        SetClipboardText("Gr\xC3\xBC\xC3\x9F"
                         "e"));
    EXPECT_EQ(
        "Gr\xC3\xBC\xC3\x9F"
        "e",
        GetClipboardText());
}

// The SDL window that shows a top-level window, found by its title.
SDL_Window* SdlWindowTitled(const std::string& title) {
    for (Uint32 id = 1; id < 256; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id); w && title == SDL_GetWindowTitle(w)) return w;
    return nullptr;
}

void PushWindowEvent(SDL_Window* window, SDL_WindowEventID event) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(window);
    e.window.event = static_cast<Uint8>(event);
    ASSERT_EQ(1, SDL_PushEvent(&e));
}

TEST_F(SdlBackendTest, MinimiseAndRestoreByTheDesktopAreFollowed) {
    WindowCreateParams p;
    p.style = WS_POPUP | WS_VISIBLE;
    p.title = "minimise me";
    p.x = 10, p.y = 10, p.cx = 100, p.cy = 50;
    std::vector<WPARAM> sizes;
    int painted = 0;
    p.proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_SIZE) sizes.push_back(w);
        if (m == WM_PAINT) ++painted;
        return DefWindowProc(h, m, w, l);
    };
    const HWND window = CreateWindowEx(p);
    ASSERT_TRUE(window);
    ASSERT_TRUE(PumpPendingMessages());
    SDL_Window* shown = SdlWindowTitled("minimise me");
    ASSERT_NE(nullptr, shown);
    sizes.clear();
    painted = 0;

    PushWindowEvent(shown, SDL_WINDOWEVENT_MINIMIZED);
    ASSERT_TRUE(PumpPendingMessages());
    EXPECT_TRUE(IsIconic(window));
    PushWindowEvent(shown, SDL_WINDOWEVENT_RESTORED);
    ASSERT_TRUE(PumpPendingMessages());
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ((std::vector<WPARAM>{SIZE_MINIMIZED, SIZE_RESTORED}), sizes);
    EXPECT_EQ(1, painted);

    // The cursor and the icon reach SDL without trouble.
    SetCursor(Cursor::Hand);
    EXPECT_EQ(Cursor::Hand, GetCursor());
    cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);
    EXPECT_TRUE(SetWindowIcon(window, icon));
    cairo_surface_destroy(icon);
}

// Without an explicit choice, ZK_BACKEND decides, then whether a display exists.
TEST(BackendChoiceTest, EnvironmentAndDisplayChooseTheBackend) {
    zktest::ScopedEnv driver{"SDL_VIDEODRIVER", "dummy"};
    zktest::ScopedEnv wayland{"WAYLAND_DISPLAY", ""};
    const auto chosen = [](const char* backend, const char* display) {
        zktest::ScopedEnv env{"ZK_BACKEND", backend};
        zktest::ScopedEnv x{"DISPLAY", display};
        WindowSystemScope scope;
        return CurrentBackend();
    };
    EXPECT_EQ(BackendChoice::Headless, chosen("headless", ":0"));
    EXPECT_EQ(BackendChoice::Headless, chosen("", ""));
    EXPECT_EQ(BackendChoice::Auto, CurrentBackend());  // nothing runs now
    if (chosen("sdl", "") != BackendChoice::Sdl) GTEST_SKIP() << "SDL's dummy video driver does not start";
    EXPECT_EQ(BackendChoice::Sdl, chosen("", ":0"));  // a display exists: SDL (here on its dummy driver)
}

}  // namespace
