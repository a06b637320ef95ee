// The message box that asks for text: the field takes what no button's key takes, the answer and the
// edited text come back, and the box lays out around the field like the message box around its body.
#include "Gui/ZKMessageEditBox.h"

#include "MessageBoxTestSupport.h"

namespace {

using namespace zk;
using zktest::MessageBoxTest;

class MessageEditBoxTest : public MessageBoxTest {
protected:
    static void Type(const std::string& text) {
        for (const char ch : text)
            input::Char(static_cast<unsigned char>(ch));
    }
};

TEST_F(MessageEditBoxTest, TypedTextComesBackWithTheButtonThatEndedTheBox) {
    ZKMessageEditBox box(owner.MainWindow(), "Enter filename", "log", ZKMessageBoxButtons::kOkCancel);
    bool fieldFocused = false;
    EXPECT_EQ(2, Run(box, [&] {
                  fieldFocused = box.Edit().Focused();
                  Type(" 2");
                  Key(VK_RETURN);
              }));
    EXPECT_TRUE(fieldFocused);
    EXPECT_EQ("log 2", box.Text());

    ZKMessageEditBox cancelled(owner.MainWindow(), "Enter new directory name...", "", 1);
    EXPECT_EQ(0, Run(cancelled, [&] {
                  Type("x");
                  Key(VK_ESCAPE);
              }));
    EXPECT_EQ("x", cancelled.Text());
}

TEST_F(MessageEditBoxTest, KeysNoButtonTakesGoToTheFieldAndTabReachesTheButtons) {
    // Yes, No, Cancel: Enter is no button's key, so it breaks the line; Y still answers.
    ZKMessageEditBox box(owner.MainWindow(), "Note", "first", ZKMessageBoxButtons::kYesNoCancel);
    EXPECT_EQ(3, Run(box, [&] {
                  Key(VK_RETURN);
                  Type("second");
                  Key(VK_HOME);
                  Key(VK_UP);
                  Key(VK_DELETE);
                  Key('Y');
              }));
    EXPECT_EQ("irst\nsecond", box.Text());

    ZKMessageEditBox tabbed(owner.MainWindow(), "Note", "", ZKMessageBoxButtons::kYesNoCancel);
    EXPECT_EQ(1, Run(tabbed, [&] {
                  Key(VK_TAB);
                  Key(VK_TAB);
                  Key(VK_SPACE);  // the second button, "No"
              }));
    EXPECT_EQ("", tabbed.Text());
}

TEST_F(MessageEditBoxTest, TheBoxLaysOutAroundTheFieldUnderTheTitleBand) {
    ZKMessageEditBox box(owner.MainWindow(), "$cbEnter filename", "a\nb", ZKMessageBoxButtons::kOkCancel);
    Rect field, ok, client;
    ZKRGB band;
    Run(box, [&] {
        Pump();
        client = GetClientRect(box.Window());
        field = InBox(box, box.Edit().Window());
        ok = InBox(box, box.Button(0).Window());
        band = PixelAt(box.Window(), 1, 2);
        box.EndDialog(0);
    });
    const Size preferred = box.Edit().PreferredSize();
    const Size okSize = box.Button(0).PreferredSize();
    const int th = field.top - 16;
    EXPECT_GT(th, 0);
    EXPECT_EQ(ZKMessageEditBox::kMinEditWidth + 20, client.right) << "a short text gets the least width";
    EXPECT_EQ(okSize.cy + 30 + preferred.cy + 6 + th, client.bottom);
    EXPECT_EQ((Rect{10, th + 16, client.right - 10, client.bottom - okSize.cy - 20}), field);
    EXPECT_EQ(client.bottom - 10 - okSize.cy, ok.top);
    EXPECT_EQ(ZKRGB(232, 242, 255), band) << "the title band of the message box (slot 16)";

    // A text taller than the work area: the box is as tall as the work area, the field scrolls.
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + std::to_string(i) + "\n";
    ZKMessageEditBox tall(owner.MainWindow(), "", lines, 0);
    int height = 0;
    Run(tall, [&] {
        height = GetWindowRect(tall.Window()).Height();
        tall.EndDialog(2);
    });
    EXPECT_EQ(GetMonitorInfoFromWindow(owner.MainWindow()).work.Height(), height);
}

}  // namespace
