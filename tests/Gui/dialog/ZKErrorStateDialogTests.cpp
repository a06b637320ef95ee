// The error state dialog, modal over a stand-in main window, with a device of the in-process fakes and the
// device test profile (groups One and Two): the layout of its buttons, the filters, Refresh after the
// device's words changed, Clear, a device that stops answering or goes away, and the colours on screen.
#include "Gui/dialog/ZKErrorStateDialog.h"

#include <map>

#include "../DialogTestSupport.h"
#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Gui/dialog/ZKErrorItem.h"
#include "Platform/Input.h"
#include "Platform/ZKAssert.h"
#include "support/DeviceTestProfile.h"
#include "support/FakeZKServer.h"

namespace {

using namespace zk;
using Op = FakeZKDevice::Op;
using zktest::GuiWindowTest;
using zktest::StandInOwner;

class ErrorStateDialogTest : public GuiWindowTest {
protected:
    StandInOwner owner;
    ZKTimerServer timers;
    FakeZKServer server;
    FakeZKDevice fake;
    ZKServer zkServer{[this] { return std::make_unique<FakeZKServer>(server); }};
    ZPProfile profile;
    std::unique_ptr<ZKDevice> device;

    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
        ASSERT_TRUE(zktest::ParseDeviceProfile(profile));
        ZKDeviceListEntry entry;
        entry.address1 = 1;
        entry.identity.boxState = ZKDevice::kBoxStateMainCode;
        server.AddDevice(1, 0, 0, fake);
        device = ZKDevice::Open(zkServer, entry, &profile, 1, ZKDeviceAccess{});
        ASSERT_TRUE(device);
        // One: source 2 active (red); Two: source 22 stored (yellow).
        fake.SetErrorState(2, {0x1, 0x1, 0});
        fake.SetErrorState(22, {0, 0x1, 0});
    }
    int Run(ZKErrorStateDialog& dialog, std::function<void()> step) {
        owner.Later(std::move(step));
        const int result = dialog.DoModal();
        Pump();
        return result;
    }
    ZKErrorStateDialog Make() {
        return ZKErrorStateDialog(
            owner.MainWindow(), [this] { return device.get(); }, profile);
    }
    // Presses the key of a button and lets the dialog act on it.
    static void Press(char key) {
        input::KeyPress(key, static_cast<unsigned char>(key - 'A' + 'a'));
        Pump();
    }
    // Dismisses the dialog; its loop ends with the next message it takes.
    static void Dismiss() { input::KeyPress('D', 'd'); }
    // The top-level lines the tree shows.
    static std::vector<std::string> Groups(ZKErrorStateDialog& dialog) {
        std::vector<std::string> out;
        for (int i = 0; i < dialog.Tree().LineCount(); ++i)
            if (dialog.Tree().LineDepth(i) == 0) out.push_back(dialog.Tree().LineItem(i).Text());
        return out;
    }
    static int PixelsOf(HWND hwnd, ZKRGB colour) {
        const Shot shot(hwnd);
        const Rect r = GetClientRect(hwnd);
        int n = 0;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                n += shot.At(x, y) == colour;
        return n;
    }
};

TEST_F(ErrorStateDialogTest, TheButtonsSitInAndBesideTheShowFrameUnderTheTree) {
    auto dialog = Make();
    std::map<char, Rect> at;
    EXPECT_EQ(
        1, Run(dialog, [&] {
            const Point origin = ClientToScreen(dialog.Window(), {0, 0});
            for (const char key : std::string("AWERCD")) {
                const Rect r = GetWindowRect(dialog.Button(key).Window());
                at[key] = {r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
            }
            const Rect tree = GetWindowRect(dialog.Tree().Window());
            at['T'] = {tree.left - origin.x, tree.top - origin.y, tree.right - origin.x,
                       tree.bottom - origin.y};
            Dismiss();
        }));
    // Show [All] [Warnings] [Errors] | [Refresh] [Clear] ... [Dismiss], the tree above with 10 pixels around.
    const Rect frame = dialog.ShowFrame();
    EXPECT_EQ((Rect{10, 10, 630, frame.top - 10}), at['T']);
    EXPECT_EQ(470, frame.bottom);
    EXPECT_EQ(frame.top + 10, at['A'].top);
    EXPECT_EQ(at['A'].right + 10, at['W'].left);
    EXPECT_EQ(at['W'].right + 10, at['E'].left);
    EXPECT_EQ(frame.right - 10, at['E'].right);
    EXPECT_EQ(at['E'].right + 20, at['R'].left);
    EXPECT_EQ(at['R'].right + 10, at['C'].left);
    EXPECT_EQ(630, at['D'].right);
}

TEST_F(ErrorStateDialogTest, FiltersShowTheRedTheRedAndYellowOrAllGroups) {
    auto dialog = Make();
    std::vector<std::vector<std::string>> seen;
    EXPECT_EQ(1, Run(dialog, [&] {
                  seen.push_back(Groups(dialog));
                  Press('E');
                  seen.push_back(Groups(dialog));
                  Press('W');
                  seen.push_back(Groups(dialog));
                  // With group Two green after a Clear, Warnings leaves it out and All brings it back.
                  Press('C');
                  Press('W');
                  seen.push_back(Groups(dialog));
                  Press('A');
                  seen.push_back(Groups(dialog));
                  input::KeyPress(VK_ESCAPE, 0x1B);
              }));
    const std::vector<std::string> both{"One", "Two"};
    EXPECT_EQ((std::vector<std::vector<std::string>>{both, {"One"}, both, {"One"}, both}), seen);
}

TEST_F(ErrorStateDialogTest, TheDialogsKeysMoveInTheTreeAndOpenAndCloseItsBranches) {
    auto dialog = Make();
    std::vector<int> lines;
    std::vector<std::string> current;
    const auto note = [&] {
        Pump();
        lines.push_back(dialog.Tree().LineCount());
        current.push_back(dialog.Tree().CurrentItem()->Text());
    };
    EXPECT_EQ(1, Run(dialog, [&] {
                  note();  // both groups open: 2 groups, 30 sources, a cause under each of sources 2 and 22
                  input::Char('-');
                  note();
                  input::KeyPress(VK_RETURN);
                  note();
                  input::KeyPress(VK_DOWN);
                  input::KeyPress(VK_DOWN);
                  note();
                  input::KeyPress(VK_NEXT);
                  note();
                  Dismiss();
              }));
    EXPECT_EQ((std::vector<int>{34, 13, 34, 34, 34}), lines);
    EXPECT_EQ("One", current[2]);
    EXPECT_EQ("Source 2", current[3]);
    EXPECT_NE("Source 2", current[4]) << "a page further down";
}

TEST_F(ErrorStateDialogTest, RefreshReadsTheChangedWordsAndClearClearsTheDeviceFirst) {
    auto dialog = Make();
    EXPECT_EQ(1, Run(dialog, [&] {
                  EXPECT_EQ(2, fake.Calls(Op::ReadErrorStates));
                  // Source 2's Short line is red under group One.
                  EXPECT_EQ("Short", dialog.Tree().LineItem(3).Text());
                  fake.SetErrorState(2, {0, 0x1, 0});
                  fake.SetErrorState(30, {0x1, 0, 4});
                  Press('R');
                  EXPECT_EQ(4, fake.Calls(Op::ReadErrorStates));
                  const auto& two = static_cast<const ZKErrorItem&>(*dialog.Items()[1]);
                  EXPECT_EQ(38, two.ColourSlot()) << "source 30 is active now";
                  EXPECT_EQ("Source 30 (4)", two.Children().back()->Text());
                  EXPECT_EQ(37, static_cast<const ZKErrorItem&>(*dialog.Items()[0]).ColourSlot());

                  Press('C');
                  EXPECT_EQ(1, fake.Calls(Op::ClearErrors));
                  EXPECT_EQ(6, fake.Calls(Op::ReadErrorStates));
                  EXPECT_EQ(35, static_cast<const ZKErrorItem&>(*dialog.Items()[0]).ColourSlot());
                  EXPECT_EQ(38, static_cast<const ZKErrorItem&>(*dialog.Items()[1]).ColourSlot());
                  Dismiss();
              }));
}

TEST_F(ErrorStateDialogTest, ADeviceThatStopsAnsweringOrGoesAwayLeavesTheTreeEmptyWithTheReason) {
    auto dialog = Make();
    EXPECT_EQ(1, Run(dialog, [&] {
                  EXPECT_EQ(ZKErrorTree::Result::Built, dialog.LastResult());
                  fake.SetAnswer(Op::ReadErrorStates, zknet::kS_OK, 5);
                  Press('R');
                  EXPECT_EQ(0, dialog.Tree().LineCount());
                  EXPECT_EQ(ZKErrorStateDialog::kReadFailed, dialog.Tree().EmptyText());
                  // Clear on a device that dropped its link asks nothing and says the same.
                  Press('C');
                  EXPECT_EQ(0, fake.Calls(Op::ClearErrors));
                  EXPECT_EQ(ZKErrorStateDialog::kReadFailed, dialog.Tree().EmptyText());
                  device.reset();
                  Press('R');
                  EXPECT_EQ(ZKErrorStateDialog::kNoDevice, dialog.Tree().EmptyText());
                  Dismiss();
              }));
}

TEST_F(ErrorStateDialogTest, AProfileWithoutErrorDatabasesIsReportedAndShowsNothing) {
    ZPProfile bare;
    ASSERT_TRUE(bare.ParseText(zktest::DeviceProfileTextWithoutErrors(), "bare.txt"));
    ZKErrorStateDialog dialog(
        owner.MainWindow(), [this] { return device.get(); }, bare);
    const unsigned long reports = AssertReportCount();
    EXPECT_EQ(1, Run(dialog, [&] {
                  EXPECT_EQ(0, dialog.Tree().LineCount());
                  EXPECT_EQ(ZKErrorStateDialog::kNoDatabases, dialog.Tree().EmptyText());
                  Dismiss();
              }));
    EXPECT_EQ(reports + 1, AssertReportCount()) << "the missing local database";
    EXPECT_EQ(0, fake.Calls(Op::ReadErrorStates));
}

TEST_F(ErrorStateDialogTest, LinesAreDrawnInTheSeverityColoursOfTheScheme) {
    for (const bool light : {true, false}) {
        SCOPED_TRACE(light ? "light" : "dark");
        ZKGDI::SetOptionsSource([light] { return ZKSchemeOptions{light, false}; });
        auto dialog = Make();
        std::vector<int> red;
        std::vector<int> yellow;
        EXPECT_EQ(1, Run(dialog, [&] {
                      const auto count = [&] {
                          Pump();
                          red.push_back(PixelsOf(dialog.Tree().Window(), ZKGDI::Colour({}, 38)));
                          yellow.push_back(PixelsOf(dialog.Tree().Window(), ZKGDI::Colour({}, 37)));
                      };
                      count();
                      Press('E');  // only group One: no yellow left
                      count();
                      Dismiss();
                  }));
        EXPECT_GT(red[0], 50) << "group One, source 2 and its Short cause";
        EXPECT_GT(yellow[0], 50) << "group Two, source 22 and its Short cause";
        EXPECT_GT(red[1], 50);
        EXPECT_EQ(0, yellow[1]);
    }
    ZKGDI::SetOptionsSource(nullptr);
}

}  // namespace
