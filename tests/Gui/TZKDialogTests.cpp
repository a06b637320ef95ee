// The dialog window: dragging by any empty spot, sizing by the grip down to the minimum size, the grip's
// drawing, the drop shadow, and both window implementations (plain and double-buffered).
#include "Gui/TZKDialog.h"

#include "DialogTestSupport.h"
#include "Gui/ZKDBPopupDialog.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::ProbeDialog;
using zktest::StandInOwner;

constexpr ZKRGB kBlack{0, 0, 0};
constexpr ZKRGB kWhite{255, 255, 255};

class DialogWindowTest : public GuiWindowTest {
protected:
    StandInOwner owner;

    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
    }
    // Drags with the left button from `from` (screen) by (dx, dy).
    static void Drag(Point from, int dx, int dy) {
        input::MouseMove(from);
        input::MouseDown(input::Button::Left, from);
        input::MouseMove({from.x + dx / 2, from.y + dy / 2});
        input::MouseMove({from.x + dx, from.y + dy});
        input::MouseUp(input::Button::Left, {from.x + dx, from.y + dy});
    }
};

TEST_F(DialogWindowTest, ADialogMovesWhenDraggedByAnEmptySpot) {
    ProbeDialog dialog(owner.MainWindow());
    Rect before, after;
    owner.Later([&] {
        before = GetWindowRect(dialog.Window());
        EXPECT_EQ(HTCAPTION, SendMessage(dialog.Window(), WM_NCHITTEST, 0,
                                         PointToLParam({before.right - 2, before.bottom - 2})));
        Drag({before.left + 150, before.top + 100}, 40, -30);
        owner.After(100, [&] {
            after = GetWindowRect(dialog.Window());
            PostMessage(dialog.Window(), WM_CLOSE, 0, 0);
        });
    });
    dialog.DoModal();
    EXPECT_EQ(before.Offset(40, -30), after);
}

TEST_F(DialogWindowTest, ASizableDialogStopsAtItsMinimumSizeOnTheDraggedEdges) {
    ProbeDialog dialog(owner.MainWindow(), nullptr, {300, 200}, true);
    Rect before, shrunk, grown;
    ZKRGB gripPixel, besideGrip;
    owner.Later([&] {
        const HWND d = dialog.Window();
        before = GetWindowRect(d);
        Pump();
        // The grip's first line runs from (r - 10, b - 3) up to (r - 2, b - 11).
        gripPixel = PixelAt(d, 300 - 10, 200 - 3);
        besideGrip = PixelAt(d, 300 - 10, 200 - 8);
        const Point corner{before.right - 3, before.bottom - 3};
        EXPECT_EQ(HTBOTTOMRIGHT, SendMessage(d, WM_NCHITTEST, 0, PointToLParam(corner)));
        Drag(corner, -250, -150);
        owner.After(100, [&, d] {
            shrunk = GetWindowRect(d);
            const Point now{shrunk.right - 3, shrunk.bottom - 3};
            Drag(now, 50, 20);
            owner.After(100, [&, d] {
                grown = GetWindowRect(d);
                PostMessage(d, WM_CLOSE, 0, 0);
            });
        });
    });
    dialog.DoModal();
    EXPECT_EQ((Rect{before.left, before.top, before.left + 160, before.top + 120}), shrunk);
    EXPECT_EQ((Rect{before.left, before.top, before.left + 210, before.top + 140}), grown);
    EXPECT_EQ(kBlack, gripPixel);
    EXPECT_EQ(kWhite, besideGrip);
}

TEST_F(DialogWindowTest, ADialogCastsItsShadowOnTheOwnerWhileItRuns) {
    ProbeDialog dialog(owner.MainWindow());
    Rect r;
    Point beside, right, below;
    auto grey = [](cairo_surface_t* s, Point p) {
        const unsigned char* row = cairo_image_surface_get_data(s) + p.y * cairo_image_surface_get_stride(s);
        return static_cast<int>(row[4 * p.x + 1]);  // green: every colour involved is a grey or near one
    };
    int inShadowRight = 0, inShadowBelow = 0, outside = 0;
    owner.Later([&] {
        Pump();
        r = GetWindowRect(dialog.Window());
        beside = {r.left - 3, r.top + r.Height() / 2};
        right = {r.right + 1, beside.y};
        below = {r.left + r.Width() / 2, r.bottom + 1};
        cairo_surface_t* s = CopyScreenSurface({0, 0, 1920, 1080});
        outside = grey(s, beside);
        inShadowRight = grey(s, right);
        inShadowBelow = grey(s, below);
        cairo_surface_destroy(s);
        dialog.EndDialog(0);
    });
    dialog.DoModal();
    Pump();
    EXPECT_LT(inShadowRight, outside - 60) << "darker right of the dialog than left of it";
    EXPECT_LT(inShadowBelow, outside - 60);
    cairo_surface_t* s = CopyScreenSurface({0, 0, 1920, 1080});
    EXPECT_EQ(outside, grey(s, right)) << "the shadow went with the dialog";
    cairo_surface_destroy(s);
}

TEST_F(DialogWindowTest, TheDoubleBufferedDialogRunsAndPaintsLikeThePlainOne) {
    class BufferedDialog : public ZKDBPopupDialog {
    public:
        using ZKDBPopupDialog::ZKDBPopupDialog;
    } dialog(owner.MainWindow());
    ZKRGB frame, inside;
    owner.Later([&] {
        Pump();
        frame = PixelAt(dialog.Window(), 0, 50);
        inside = PixelAt(dialog.Window(), 50, 50);
        EXPECT_EQ(std::vector<HWND>{dialog.Window()}, owner.Stack());
        dialog.EndDialog(3);
    });
    EXPECT_EQ(3, dialog.DoModal());
    EXPECT_EQ(ZKRGB(65, 95, 153), frame);
    EXPECT_EQ(kWhite, inside);
}

TEST_F(DialogWindowTest, TheCursorShowsWhereTheDialogDragsAndSizes) {
    ProbeDialog dialog(owner.MainWindow(), nullptr, {300, 200}, true);
    std::vector<Cursor> cursors;
    owner.Later([&] {
        const Rect r = GetWindowRect(dialog.Window());
        for (const Point p : {Point{r.left + 150, r.top + 100}, Point{r.right - 3, r.bottom - 3},
                              Point{r.left - 20, r.top + 10}}) {
            input::MouseMove(p);
            Pump();
            cursors.push_back(GetCursor());
        }
        PostMessage(dialog.Window(), WM_CLOSE, 0, 0);
    });
    dialog.DoModal();
    EXPECT_EQ((std::vector<Cursor>{Cursor::Hand, Cursor::SizeNWSE, Cursor::Arrow}), cursors)
        << "hand to drag, sizing arrows on the grip, the arrow over the owner";
}

}  // namespace
