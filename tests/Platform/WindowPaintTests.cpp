// Window surfaces: painting through BeginPaint/EndPaint into the top-level window's surface, clipping of
// overlapping children, what is handed to the backend, PNG snapshots, and the screen composed of the
// windows with their drop shadows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "Platform/MessageLoop.h"
#include "Platform/Window.h"
#include "Platform/WindowSystemState.h"
#include "Platform/headless/HeadlessBackend.h"
#include "support/TestSupport.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using namespace zk;

using Colour = std::uint32_t;  // 0xRRGGBB
constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0xFF0000;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kBlue = 0x0000FF;
constexpr Colour kYellow = 0xFFFF00;
constexpr Colour kWhite = 0xFFFFFF;

Colour PixelOf(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    std::uint32_t p;
    std::memcpy(&p, cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + 4 * x, 4);
    return p & 0xFFFFFF;
}

class WindowPaintTest : public ::testing::Test {
protected:
    std::map<std::uint32_t, Colour> fill;  // each window paints its whole update area in its colour
    std::map<std::uint32_t, int> clientInset;
    WindowSystemScope scope{WindowSystemOptions{{1920, 1080}, std::nullopt, BackendChoice::Headless}};
    zktest::Watchdog watchdog{10s};
    HWND top;

    void TearDown() override {
        // Keep a picture of what went wrong next to the test's output.
        if (HasFailure() && IsWindow(top)) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            SaveWindowPng(top, std::string(info->name()) + ".png");
        }
    }

    HWND Make(DWORD style, Rect r, Colour colour, HWND parent = HWND()) {
        WindowCreateParams p;
        p.style = style;
        p.x = r.left;
        p.y = r.top;
        p.cx = r.Width();
        p.cy = r.Height();
        p.parent = parent;
        p.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_NCCALCSIZE && clientInset.count(h.id)) {
                const int inset = clientInset[h.id];
                Rect& rc = reinterpret_cast<NCCALCSIZE_PARAMS*>(l)->rgrc[0];
                rc = {rc.left + inset, rc.top + inset, rc.right - inset, rc.bottom - inset};
                return 0;
            }
            if (m == WM_PAINT) {
                PAINTSTRUCT ps;
                BeginPaint(h, ps);
                const Colour c = fill[h.id];
                cairo_set_source_rgb(ps.cr, (c >> 16) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
                cairo_paint(ps.cr);  // everything: the clip decides what lands
                EndPaint(h, ps);
                return 0;
            }
            return DefWindowProc(h, m, w, l);
        };
        const HWND hwnd = CreateWindowEx(p);
        fill[hwnd.id] = colour;
        return hwnd;
    }

    static void Pump() { ASSERT_TRUE(PumpPendingMessages()); }

    // The top-level window's pixels, row by row, one letter per `step` pixels: R G B Y W and . for black.
    std::vector<std::string> Picture(HWND hwnd, int step) {
        cairo_surface_t* s = CopyWindowSurface(hwnd);
        std::vector<std::string> rows;
        for (int y = step / 2; y < cairo_image_surface_get_height(s); y += step) {
            std::string row;
            for (int x = step / 2; x < cairo_image_surface_get_width(s); x += step) {
                const Colour c = PixelOf(s, x, y);
                row += c == kRed      ? 'R'
                       : c == kGreen  ? 'G'
                       : c == kBlue   ? 'B'
                       : c == kYellow ? 'Y'
                       : c == kWhite  ? 'W'
                       : c == kBlack  ? '.'
                                      : '?';
            }
            rows.push_back(row);
        }
        cairo_surface_destroy(s);
        return rows;
    }
};

TEST_F(WindowPaintTest, OverlappingChildrenPaintInZOrderClippedToWhatTheyShow) {
    top = Make(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {100, 100, 300, 200}, kRed);
    const HWND a = Make(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, {20, 20, 120, 80}, kGreen, top);
    const HWND b = Make(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, {80, 40, 180, 100}, kBlue, top);
    // A grandchild reaching out of A is cut at A's edge.
    Make(WS_CHILD | WS_VISIBLE, {80, 0, 160, 20}, kYellow, a);
    Pump();
    const std::vector<std::string> expected{
        // 20 px per letter over 200 x 100
        "RRRRRRRRRR",  //
        "RGGGGYRRRR",  //
        "RGGGBBBBBR",  //
        "RGGGBBBBBR",  //
        "RRRRBBBBBR",  //
    };
    EXPECT_EQ(expected, Picture(top, 20));

    // A repaint of A alone stays below B; a repaint of the parent alone stays below both.
    fill[a.id] = kWhite;
    fill[top.id] = kBlack;
    InvalidateRect(a, nullptr, true);
    RedrawWindow(top, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
    Pump();
    const std::vector<std::string> repainted{
        "..........",  //
        ".WWWWY....",  //
        ".WWWBBBBB.",  //
        ".WWWBBBBB.",  //
        "....BBBBB.",  //
    };
    EXPECT_EQ(repainted, Picture(top, 20));

    // A child's own picture is its rectangle cut out of the top-level surface.
    EXPECT_EQ((std::vector<std::string>{"BBBBB", "BBBBB", "BBBBB"}), Picture(b, 20));
}

TEST_F(WindowPaintTest, PaintingStartsAtTheClientOriginAndOnlyThePaintedPartIsPresented) {
    top = Make(WS_POPUP, {0, 0, 1, 1}, kRed);
    clientInset[top.id] = 5;
    MoveWindow(top, 10, 10, 60, 40);  // the frame leaves a 5-pixel border outside the client area
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {10, 10, 30, 20}, kGreen, top);
    ShowWindow(top, SW_SHOW);
    auto& backend = static_cast<detail::HeadlessBackend&>(*detail::g_state->backend);
    backend.TakePresented();
    Pump();
    cairo_surface_t* s = CopyWindowSurface(top);
    ASSERT_EQ(60, cairo_image_surface_get_width(s));
    ASSERT_EQ(40, cairo_image_surface_get_height(s));
    EXPECT_EQ(kBlack, PixelOf(s, 4, 4));    // the frame is not painted by WM_PAINT
    EXPECT_EQ(kRed, PixelOf(s, 5, 5));      // client (0, 0)
    EXPECT_EQ(kRed, PixelOf(s, 54, 34));    // client's last pixel
    EXPECT_EQ(kBlack, PixelOf(s, 55, 35));  // frame again
    EXPECT_EQ(kGreen, PixelOf(s, 15, 15));  // the child at client (10, 10)
    EXPECT_EQ(kGreen, PixelOf(s, 34, 24));  // and its last pixel
    EXPECT_EQ(kRed, PixelOf(s, 35, 25));
    cairo_surface_destroy(s);

    // Only the child repaints: the backend is handed the child's rectangle in surface coordinates.
    backend.TakePresented();
    InvalidateRect(child, nullptr, true);
    Pump();
    EXPECT_EQ((std::vector<std::pair<HWND, Rect>>{{top, Rect{15, 15, 35, 25}}}), backend.TakePresented());

    // A larger window gets a larger surface, painted in full.
    MoveWindow(top, 10, 10, 100, 80);
    Pump();
    s = CopyWindowSurface(top);
    EXPECT_EQ(100, cairo_image_surface_get_width(s));
    EXPECT_EQ(kRed, PixelOf(s, 94, 74));
    cairo_surface_destroy(s);
}

TEST_F(WindowPaintTest, WindowsAreSavedAsPngFiles) {
    zktest::TempDir dir;
    top = Make(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, 64, 48}, kBlue);
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {8, 8, 24, 16}, kYellow, top);
    Pump();
    ASSERT_TRUE(SaveWindowPng(top, dir.File("top.png")));
    ASSERT_TRUE(SaveWindowPng(child, dir.File("child.png")));

    cairo_surface_t* read = cairo_image_surface_create_from_png(dir.File("top.png").c_str());
    ASSERT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(read));
    EXPECT_EQ(64, cairo_image_surface_get_width(read));
    EXPECT_EQ(48, cairo_image_surface_get_height(read));
    EXPECT_EQ(kBlue, PixelOf(read, 0, 0));
    EXPECT_EQ(kYellow, PixelOf(read, 8, 8));
    cairo_surface_destroy(read);
    read = cairo_image_surface_create_from_png(dir.File("child.png").c_str());
    ASSERT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(read));
    EXPECT_EQ(16, cairo_image_surface_get_width(read));
    EXPECT_EQ(kYellow, PixelOf(read, 15, 7));
    cairo_surface_destroy(read);

    EXPECT_FALSE(SaveWindowPng(HWND(0x7777), dir.File("none.png")));
    EXPECT_FALSE(SaveWindowPng(top, dir.File("missing/folder/top.png")));
}

TEST_F(WindowPaintTest, TheScreenShowsTheWindowsBottomUpEachOverItsShadow) {
    top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 500, 400}, kWhite);
    const HWND dialog = Make(WS_POPUP | WS_VISIBLE, {200, 200, 300, 260}, kBlue);
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, kRed, dialog);
    EXPECT_FALSE(SetWindowShadow(child, DropShadow{})) << "only top-level windows cast shadows";
    ASSERT_TRUE(SetWindowShadow(dialog, DropShadow{}));
    EXPECT_EQ(DropShadow{}, GetWindowShadow(dialog));
    EXPECT_TRUE(ShadowsShown());
    Pump();
    const Rect screen{0, 0, 600, 500};
    cairo_surface_t* s = CopyScreenSurface(screen);
    // Right of the dialog, through its middle: dark at its edge (150 of 255 on white, less the blur), then
    // fading to nothing 10 pixels out.
    std::vector<int> fade;
    for (int x = 300; x <= 310; ++x)
        fade.push_back(static_cast<int>(PixelOf(s, x, 230) & 0xFF));
    EXPECT_NEAR(255 - 150, fade.front(), 10);
    EXPECT_TRUE(std::is_sorted(fade.begin(), fade.end()) && fade[0] < fade[5] && fade[5] < fade[9]);
    EXPECT_EQ(255, fade.back());
    EXPECT_EQ(PixelOf(s, 300, 230), PixelOf(s, 250, 260)) << "as dark below as to the right";
    EXPECT_EQ(kWhite, PixelOf(s, 199, 230)) << "the shadow lies right and below only";
    EXPECT_EQ(kWhite, PixelOf(s, 250, 199));
    EXPECT_EQ(kBlue, PixelOf(s, 299, 259)) << "the window covers its own shadow";
    EXPECT_EQ(kRed, PixelOf(s, 205, 205));
    EXPECT_EQ(kBlack, PixelOf(s, 50, 50)) << "the desktop";
    cairo_surface_destroy(s);

    // The shadow goes with its window, and away with it.
    MoveWindow(dialog, 340, 200, 100, 60);
    Pump();
    s = CopyScreenSurface(screen);
    EXPECT_EQ(kWhite, PixelOf(s, 300, 230));
    EXPECT_LT(PixelOf(s, 440, 230) & 0xFF, 128u);
    cairo_surface_destroy(s);
    ShowWindow(dialog, SW_HIDE);
    Pump();
    s = CopyScreenSurface(screen);
    EXPECT_EQ(kWhite, PixelOf(s, 440, 230));
    cairo_surface_destroy(s);
}

}  // namespace
