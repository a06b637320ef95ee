#pragma once
// A fixture for toolkit window tests on the headless backend: a top-level parent window that records the
// private messages its children post to it, pixel reading, and a message loop that runs for a while or
// until a condition holds (with a watchdog, so a stuck queue fails instead of hanging).

#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Gui/ZKDC.h"
#include "Platform/MessageLoop.h"
#include "Platform/Window.h"
#include "support/Watchdog.h"

namespace zktest {

struct Posted {
    zk::UINT message = 0;
    zk::WPARAM wParam = 0;
    zk::LPARAM lParam = 0;
    friend bool operator==(const Posted&, const Posted&) = default;
};

inline void PrintTo(const Posted& p, std::ostream* os) {
    *os << "{0x" << std::hex << p.message << std::dec << ", " << p.wParam << ", " << p.lParam << "}";
}

class GuiWindowTest : public ::testing::Test {
protected:
    static constexpr ZKRGB kParentColour{10, 200, 10};
    static constexpr std::uintptr_t kDeadlineTimer = 99;

    zk::WindowSystemScope scope{
        zk::WindowSystemOptions{{1920, 1080}, std::nullopt, zk::BackendChoice::Headless}};
    Watchdog watchdog{std::chrono::seconds(20)};
    zk::HWND parent;
    std::vector<Posted> posted;  // WM_USER and above, in arrival order
    std::vector<zk::Point> parentClicks;

    void SetUp() override {
        ZKGDI::SetOptionsSource(nullptr);  // light scheme
        zk::WindowCreateParams p;
        p.style = zk::WS_POPUP | zk::WS_VISIBLE | zk::WS_CLIPCHILDREN;
        p.x = 100;
        p.y = 100;
        p.cx = 400;
        p.cy = 300;
        p.proc = [this](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
            if (m >= zk::WM_USER) posted.push_back({m, w, l});
            if (m == zk::WM_LBUTTONDOWN) parentClicks.push_back(zk::LParamToPoint(l));
            if (m == zk::WM_TIMER && w == kDeadlineTimer) deadline_ = true;
            if (m == zk::WM_PAINT) {
                zk::PAINTSTRUCT ps;
                zk::BeginPaint(h, ps);
                {
                    ZKDC dc(ps);
                    dc.FillRect(zk::GetClientRect(h), kParentColour);
                }
                zk::EndPaint(h, ps);
                return 0;
            }
            return zk::DefWindowProc(h, m, w, l);
        };
        parent = zk::CreateWindowEx(p);
        ASSERT_TRUE(parent);
    }

    void TearDown() override {
        if (HasFailure() && zk::IsWindow(parent)) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            zk::SaveWindowPng(parent, std::string(info->test_suite_name()) + "." + info->name() + ".png");
        }
    }

    static void Pump() { ASSERT_TRUE(zk::PumpPendingMessages()); }

    // Dispatches messages as they come for `ms` milliseconds, or until `done` holds.
    void RunFor(int ms, const std::function<bool()>& done = {}) {
        deadline_ = false;
        zk::SetTimer(parent, kDeadlineTimer, static_cast<zk::UINT>(ms));
        zk::MSG msg;
        while (!deadline_ && !(done && done()) && zk::GetMessage(msg)) {
            zk::TranslateMessage(msg);
            zk::DispatchMessage(msg);
        }
        zk::KillTimer(parent, kDeadlineTimer);
    }

    // What a window shows, copied once.
    struct Shot {
        cairo_surface_t* s;
        explicit Shot(zk::HWND hwnd) : s(zk::CopyWindowSurface(hwnd)) { cairo_surface_flush(s); }
        ~Shot() { cairo_surface_destroy(s); }
        Shot(const Shot&) = delete;
        Shot& operator=(const Shot&) = delete;
        ZKRGB At(int x, int y) const {
            std::uint32_t p;
            std::memcpy(&p, cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + 4 * x,
                        4);
            return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                    static_cast<std::uint8_t>(p)};
        }
    };
    static ZKRGB PixelAt(zk::HWND hwnd, int x, int y) { return Shot(hwnd).At(x, y); }

    zk::Point OnScreen(zk::HWND hwnd, int x, int y) const { return zk::ClientToScreen(hwnd, {x, y}); }

    std::vector<Posted> TakePosted() { return std::exchange(posted, {}); }

private:
    bool deadline_ = false;
};

}  // namespace zktest
