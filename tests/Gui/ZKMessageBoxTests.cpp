// The message box: every button set's keys and results, user buttons, the layout with and without a title
// band, a text taller than the work area, tab stops, and the focused first button.
#include "Gui/ZKMessageBox.h"

#include "MessageBoxTestSupport.h"
#include "Platform/Input.h"
#include "Platform/ZKAssert.h"

namespace {

using namespace zk;
using zktest::kWhite;
using zktest::MessageBoxTest;

TEST_F(MessageBoxTest, EachButtonSetsKeysEndTheBoxWithTheirResult) {
    struct Case {
        int set;
        std::vector<int> keys;
        int result;
    };
    const Case cases[] = {
        {0, {VK_RETURN}, 2},
        {0, {VK_ESCAPE}, 2},
        {0, {VK_SPACE}, 2},
        {1, {VK_RETURN}, 2},
        {1, {VK_ESCAPE}, 0},
        {1, {VK_TAB, VK_SPACE}, 0},
        {2, {VK_RETURN, 'Y'}, 3},
        {2, {'N'}, 1},
        {2, {VK_ESCAPE}, 1},
        {3, {'Y'}, 3},
        {3, {'N'}, 1},
        {3, {VK_ESCAPE}, 0},
        {3, {VK_RIGHT, VK_RIGHT, VK_SPACE}, 0},
    };
    for (const Case& c : cases) {
        ZKMessageBox box(owner.MainWindow(), "Question?", c.set);
        EXPECT_EQ(c.result, Run(box,
                                [&] {
                                    for (int vk : c.keys)
                                        Key(vk);
                                }))
            << "set " << c.set << ", first key " << c.keys.front();
    }
}

TEST_F(MessageBoxTest, UserButtonsHaveNoKeysUnlessGivenAndOnlyClicksEndThem) {
    for (int set = 4; set <= 6; ++set) {
        ZKMessageBox box(owner.MainWindow(), "Choose", set);
        const int last = set - 4;
        EXPECT_EQ(
            4 + last, Run(box, [&] {
                for (int vk : {VK_RETURN, VK_ESCAPE, static_cast<int>('Y'), VK_SPACE - 0})
                    if (vk != VK_SPACE) Key(vk);
                owner.After(100, [&] {
                    EXPECT_TRUE(IsWindow(box.Window())) << "a key ended set " << set;
                    input::Click(input::Button::Left, ClientToScreen(box.Button(last).Window(), {5, 5}));
                });
            }));
    }
}

TEST_F(MessageBoxTest, UserButtonTextsEnabledStatesAndKeysFollowTheSetsRules) {
    ZKMessageBox box(owner.MainWindow(), "Could not get device list", 5);
    EXPECT_FALSE(box.SetUserButtonText(2, "Cancel")) << "set 5 has no third button";
    EXPECT_EQ("User2", box.Button(1).Text());
    EXPECT_TRUE(box.SetUserButtonText(0, "Rescan", 'R'));
    EXPECT_TRUE(box.SetUserButtonText(1, "Filter", 'F'));
    EXPECT_TRUE(box.SetUserButtonKeys(1, {'F'}));
    EXPECT_TRUE(box.SetUserButtonEnabled(0, false));
    EXPECT_EQ("Rescan", box.Button(0).Text());
    const unsigned long reports = AssertReportCount();
    ZKMessageBox ok(owner.MainWindow(), "Done", 0);
    EXPECT_FALSE(ok.SetUserButtonText(0, "Go"));
    EXPECT_EQ(reports + 1, AssertReportCount());

    EXPECT_EQ(5, Run(box,
                     [&] {
                         input::Click(input::Button::Left, ClientToScreen(box.Button(0).Window(), {5, 5}));
                         Key('F');
                     }))
        << "the disabled Rescan button did not end the box";
}

TEST_F(MessageBoxTest, LayoutFollowsTheTitleTheTextAndTheButtonRow) {
    ZKMessageBox box(owner.MainWindow(), "$cbAbout", "Version$t2.15.83$nA longer second line of text", 2);
    Rect body, yes, no, client;
    ZKRGB bandLeft, bandRight, bandLine, belowBand, yesFrame, noFrame;
    int th = 0;
    EXPECT_EQ(2, Run(box, [&] {
                  Pump();
                  client = GetClientRect(box.Window());
                  body = InBox(box, box.Body().Window());
                  yes = InBox(box, box.Button(0).Window());
                  no = InBox(box, box.Button(1).Window());
                  th = body.top - 16;
                  const Shot shot(box.Window());
                  bandLeft = shot.At(1, 2);
                  bandRight = shot.At(client.right - 2, 2);
                  bandLine = shot.At(client.right / 2, 5 + th);
                  belowBand = shot.At(3, 7 + th);
                  yesFrame = shot.At(yes.left, yes.top + 3);
                  noFrame = shot.At(no.left, no.top + 3);
                  box.EndDialog(2);
              }));
    const Size text = box.Body().UnwrappedExtent();
    const Size yesSize = box.Button(0).PreferredSize();
    const Size noSize = box.Button(1).PreferredSize();
    const int rowWidth = yesSize.cx + 10 + noSize.cx;
    EXPECT_EQ(14, th);
    EXPECT_EQ(std::max(text.cx, rowWidth) + 20, client.right);
    EXPECT_EQ(yesSize.cy + 30 + text.cy + 6 + th, client.bottom);
    EXPECT_EQ((Rect{10, th + 16, client.right - 10, client.bottom - yesSize.cy - 20}), body);
    EXPECT_EQ((Rect{client.right / 2 - rowWidth / 2, client.bottom - 10 - yesSize.cy,
                    client.right / 2 - rowWidth / 2 + yesSize.cx, client.bottom - 10}),
              yes);
    EXPECT_EQ(yes.right + 10, no.left);
    EXPECT_EQ(ZKRGB(232, 242, 255), bandLeft);   // slot 16
    EXPECT_EQ(ZKRGB(192, 219, 255), bandRight);  // slot 13
    EXPECT_EQ(ZKRGB(65, 95, 153), bandLine);     // slot 18
    EXPECT_EQ(kWhite, belowBand);
    EXPECT_EQ(ZKRGB(255, 189, 105), yesFrame) << "the first button has the focus";
    EXPECT_EQ(ZKRGB(101, 147, 207), noFrame);
}

TEST_F(MessageBoxTest, WithoutATitleThereIsNoBandAndTheBodyStartsAtTen) {
    ZKMessageBox box(owner.MainWindow(), "Log written", 0);
    Rect body;
    ZKRGB corner;
    Run(box, [&] {
        Pump();
        body = InBox(box, box.Body().Window());
        corner = PixelAt(box.Window(), 3, 3);
        box.EndDialog(2);
    });
    EXPECT_EQ(10, body.top);
    EXPECT_EQ(kWhite, corner);
}

TEST_F(MessageBoxTest, ATextTallerThanTheWorkAreaScrollsInABoxAsTallAsTheWorkArea) {
    std::string text;
    for (int i = 0; i < 120; ++i)
        text += "Line " + std::to_string(i) + "$n";
    ZKMessageBox box(owner.MainWindow(), text, 0);
    int height = 0;
    bool scrolls = false;
    Run(box, [&] {
        height = GetWindowRect(box.Window()).Height();
        scrolls = box.Body().ScrollBarShown();
        box.EndDialog(2);
    });
    EXPECT_EQ(GetMonitorInfoFromWindow(owner.MainWindow()).work.Height(), height);
    EXPECT_TRUE(scrolls);
}

TEST_F(MessageBoxTest, TabStopsApplyToTheBody) {
    ZKMessageBox plain(owner.MainWindow(), "Name:$tvalue", 0);
    ZKMessageBox tabbed(owner.MainWindow(), "Name:$tvalue", 0);
    const int stops[] = {90};
    tabbed.SetTabs(stops);
    int plainWidth = 0, tabbedWidth = 0;
    Run(plain, [&] {
        plainWidth = plain.Body().UnwrappedExtent().cx;
        plain.EndDialog(2);
    });
    Run(tabbed, [&] {
        tabbedWidth = tabbed.Body().UnwrappedExtent().cx;
        tabbed.EndDialog(2);
    });
    ZKBitmap scratch(1, 1);
    const ZKDC dc(scratch);
    EXPECT_EQ(90 + dc.TextExtent("value", ZKFontSet::Normal).cx, tabbedWidth);
    EXPECT_LT(plainWidth, tabbedWidth);
}

}  // namespace
