// The please-wait box: it stays while its work runs on another thread (a close waits for the work), and the
// work's result ends it.
#include "Gui/ZKPleaseWait.h"

#include <future>

#include "DialogTestSupport.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::StandInOwner;

class PleaseWaitTest : public GuiWindowTest {
protected:
    StandInOwner owner;
};

TEST_F(PleaseWaitTest, TheBoxStaysUntilTheWorkEndsAndEndsWithItsResult) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool workOnOtherThread = false;
    ZKPleaseWait box(owner.MainWindow(), "Searching for devices....", [&] {
        workOnOtherThread = !IsGuiThread();
        released.wait();
        return 42;
    });
    bool openAfterClose = false;
    bool textShown = false;
    owner.Later([&] {
        Pump();
        // Some pixel of the middle row is the text's ink.
        const Rect client = GetClientRect(box.Window());
        const Shot shot(box.Window());
        for (int x = 0; x < client.right && !textShown; ++x)
            textShown =
                shot.At(x, client.bottom / 2) != ZKRGB(255, 255, 255) && x > 1 && x < client.right - 1;
        PostMessage(box.Window(), WM_CLOSE, 0, 0);
        owner.After(150, [&] {
            openAfterClose = IsWindow(box.Window());
            release.set_value();
        });
    });
    EXPECT_EQ(42, box.DoModal());
    EXPECT_TRUE(workOnOtherThread);
    EXPECT_TRUE(openAfterClose) << "a close during the work waits for it";
    EXPECT_TRUE(textShown);
    EXPECT_TRUE(owner.Stack().empty());
}

TEST_F(PleaseWaitTest, AWorkThatFailsAtOnceEndsTheBoxWithItsResult) {
    ZKPleaseWait box(owner.MainWindow(), "Searching for devices....", [] { return 1; });
    EXPECT_EQ(1, box.DoModal());
    EXPECT_FALSE(IsWindow(box.Window()));
}

}  // namespace
