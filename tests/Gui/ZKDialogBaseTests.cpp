// The modal loop and its input filter: nested dialogs on the owner's modal stack, the server-lost close
// travelling down through every dialog, the deferred close of a dialog that is not on top, input kept from
// the windows below, the close on an outside click, and the activation colours.
#include "Gui/ZKDialogBase.h"

#include "Gui/ZKMessageBox.h"

#include "DialogTestSupport.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::ProbeDialog;
using zktest::StandInOwner;

constexpr ZKRGB kActiveFrame{65, 95, 153};      // slot 18, light scheme
constexpr ZKRGB kInactiveFrame{128, 128, 128};  // slot 12

class DialogBaseTest : public GuiWindowTest {
protected:
    StandInOwner owner;
    std::vector<HWND> destroyed;

    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);  // only the owner and its dialogs are on the screen
    }

    // A point of the owner that no dialog covers (dialogs are centred over it).
    Point OwnerSpot() const { return ClientToScreen(owner.MainWindow(), {20, 20}); }
};

TEST_F(DialogBaseTest, ServerLostCloseTravelsFromAMessageBoxOverADialogDownToTheMainWindow) {
    ProbeDialog outer(owner.MainWindow(), &destroyed);
    int innerResult = -1;
    owner.Later([&] {
        EXPECT_EQ(std::vector<HWND>{outer.Window()}, owner.Stack());
        EXPECT_EQ(0u, GetWindowStyle(owner.MainWindow()) & WS_THICKFRAME) << "no sizing while a dialog runs";
        ZKMessageBox inner(outer.Window(), "Server lost. Restart?", ZKMessageBoxButtons::kYesNo);
        owner.Later([&] {
            EXPECT_EQ((std::vector<HWND>{outer.Window(), inner.Window()}), owner.Stack());
            EXPECT_EQ(inner.Window(), GetActiveWindow());
            PostMessage(owner.MainWindow(), WMU_SERVER_LOST_CLOSE, 0, 0);
        });
        innerResult = inner.DoModal();
        // The box's loop has ended and passed the close on; the outer dialog is still open and on top.
        EXPECT_EQ(std::vector<HWND>{outer.Window()}, owner.Stack());
        EXPECT_EQ(outer.Window(), GetActiveWindow());
        EXPECT_EQ(0, owner.serverLostCloses);
    });
    EXPECT_EQ(0, outer.DoModal());
    EXPECT_EQ(0, innerResult) << "closed without an answer";
    EXPECT_EQ(1u, destroyed.size());
    EXPECT_TRUE(owner.Stack().empty());
    EXPECT_NE(0u, GetWindowStyle(owner.MainWindow()) & WS_THICKFRAME) << "the sizing frame is given back";
    EXPECT_EQ(owner.MainWindow(), GetActiveWindow());
    RunFor(1000, [&] { return owner.serverLostCloses > 0; });
    EXPECT_EQ(1, owner.serverLostCloses);
}

TEST_F(DialogBaseTest, CloseOfALowerDialogWaitsUntilItIsOnTop) {
    ProbeDialog outer(owner.MainWindow(), &destroyed);
    ProbeDialog inner(owner.MainWindow(), &destroyed, {200, 100});
    HWND outerWindow, innerWindow;
    owner.Later([&] {
        outerWindow = outer.Window();
        owner.Later([&] {
            innerWindow = inner.Window();
            PostMessage(outerWindow, WM_CLOSE, 0, 0);
            owner.After(600, [&] {
                EXPECT_TRUE(IsWindow(outerWindow)) << "closed while not on top";
                PostMessage(innerWindow, WM_CLOSE, 0, 0);
            });
        });
        inner.DoModal();
    });
    outer.DoModal();
    EXPECT_EQ((std::vector<HWND>{innerWindow, outerWindow}), destroyed);
}

TEST_F(DialogBaseTest, InputAimedAtTheOwnerIsKeptFromItAndKeysGoToTheDialog) {
    ProbeDialog dialog(owner.MainWindow(), &destroyed);
    owner.Later([&] {
        input::Click(input::Button::Left, OwnerSpot());
        input::Click(input::Button::Left, OwnerSpot());  // a double click
        input::Click(input::Button::Right, OwnerSpot());
        // The focus on the owner: keys still reach the dialog.
        SetFocus(owner.MainWindow());
        input::KeyPress('A', 'a');
        // Posted messages come before input: close once the input has been handled.
        owner.After(100, [&] { PostMessage(dialog.Window(), WM_CLOSE, 0, 0); });
    });
    dialog.DoModal();
    EXPECT_TRUE(owner.mouseMessages.empty()) << owner.mouseMessages.size() << " mouse messages got through";
    EXPECT_TRUE(owner.keyMessages.empty());
    EXPECT_EQ(std::vector<WPARAM>{'A'}, dialog.keys);
    EXPECT_EQ(std::vector<WPARAM>{'a'}, dialog.chars);
}

class OutsideClickDialog : public ProbeDialog {
public:
    using ProbeDialog::ProbeDialog;
    OutsideClickDialog(HWND owner, std::vector<HWND>* destroyed) : ProbeDialog(owner, destroyed) {
        SetCloseOnOutsideClick(true);
    }
};

TEST_F(DialogBaseTest, PressAndReleaseOutsideClosesAPopupButReleaseInsideDoesNot) {
    OutsideClickDialog popup(owner.MainWindow(), &destroyed);
    bool openAfterReleaseInside = false;
    owner.Later([&] {
        const Rect r = GetWindowRect(popup.Window());
        input::MouseDown(input::Button::Left, OwnerSpot());
        input::MouseUp(input::Button::Left, {r.left + 5, r.top + 5});
        owner.After(100, [&] {
            openAfterReleaseInside = IsWindow(popup.Window());
            // A fresh press and release outside close it.
            input::Click(input::Button::Right, OwnerSpot());
        });
    });
    popup.DoModal();
    EXPECT_TRUE(openAfterReleaseInside);
    EXPECT_EQ(1u, destroyed.size());
    EXPECT_TRUE(owner.mouseMessages.empty());
}

TEST_F(DialogBaseTest, FrameShowsTheActiveColourOnlyOnTheTopDialogOfAnActiveApplication) {
    ProbeDialog outer(owner.MainWindow(), &destroyed);
    ProbeDialog inner(owner.MainWindow(), &destroyed, {100, 60});
    std::vector<ZKRGB> frames;  // outer's frame: alone, under inner, app inactive
    owner.Later([&] {
        Pump();
        frames.push_back(PixelAt(outer.Window(), 0, 10));
        owner.Later([&] {
            Pump();
            frames.push_back(PixelAt(outer.Window(), 0, 10));
            PostMessage(inner.Window(), WM_CLOSE, 0, 0);
        });
        inner.DoModal();
        input::ApplicationActive(false);
        Pump();
        frames.push_back(PixelAt(outer.Window(), 0, 10));
        input::ApplicationActive(true);
        Pump();
        frames.push_back(PixelAt(outer.Window(), 0, 10));
        PostMessage(outer.Window(), WM_CLOSE, 0, 0);
    });
    outer.DoModal();
    EXPECT_EQ((std::vector<ZKRGB>{kActiveFrame, kInactiveFrame, kInactiveFrame, kActiveFrame}), frames);
    EXPECT_EQ((std::vector<bool>{false, true}), owner.activeChanges);
}

TEST_F(DialogBaseTest, AMinimisedMainWindowIsRestoredAndADialogWithoutWindowReturnsZero) {
    ShowWindow(owner.MainWindow(), SW_MINIMIZE);
    ProbeDialog dialog(owner.MainWindow(), &destroyed);
    owner.Later([&] {
        EXPECT_FALSE(IsIconic(owner.MainWindow()));
        dialog.EndDialog(5);
    });
    EXPECT_EQ(5, dialog.DoModal());

    class FailingDialog : public ProbeDialog {
    public:
        using ProbeDialog::ProbeDialog;
        bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result) override {
            if (message == WM_CREATE) {
                result = -1;
                return true;
            }
            return ProbeDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
        }
    } failing(owner.MainWindow());
    EXPECT_EQ(0, failing.DoModal());
    EXPECT_TRUE(owner.Stack().empty());
}

}  // namespace
