// The dialog window: dragging by any empty spot, sizing by the grip down to the minimum size, the grip's
// drawing, and both window implementations (plain and double-buffered).
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

}  // namespace
