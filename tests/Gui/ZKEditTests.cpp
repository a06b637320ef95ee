// The edit fields, one line and several lines: editing keys, selection by keys and mouse, the clipboard,
// Windows-1252 characters, the length limit and the change notices.
#include "Gui/ZKEdit.h"

#include "Gui/ZKMultiLineEdit.h"

#include "GuiWindowTest.h"
#include "Platform/Clipboard.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

class EditTest : public GuiWindowTest {
protected:
    ZKEdit edit{5, "hello"};

    void SetUp() override {
        GuiWindowTest::SetUp();
        ASSERT_TRUE(edit.Create(parent, {10, 10, 210, 30}));
        edit.FocusChanged(true);
        Pump();
        TakePosted();
    }
    // Runs `keys` with the modifier held.
    void With(int modifier, const std::function<void()>& keys) {
        input::KeyDown(modifier);
        Pump();
        keys();
        input::KeyUp(modifier);
        Pump();
    }
    int Notices() {
        int n = 0;
        for (const zktest::Posted& p : TakePosted())
            if (p.message == WMU_CONTROL_NOTIFY && p.lParam == reinterpret_cast<LPARAM>(&edit)) ++n;
        return n;
    }
    void Type(const std::string& text) {
        for (const char ch : text)
            EXPECT_TRUE(edit.Char(static_cast<unsigned char>(ch)));
    }
};

TEST_F(EditTest, KeysMoveTheCaretEditAndTellTheParent) {
    EXPECT_EQ(5u, edit.Caret()) << "the caret starts at the end";
    edit.KeyDown(VK_HOME);
    Type("Oh, ");
    EXPECT_EQ("Oh, hello", edit.Text());
    EXPECT_EQ(4u, edit.Caret());
    Pump();
    EXPECT_EQ(4, Notices());
    edit.KeyDown(VK_BACK);
    edit.KeyDown(VK_BACK);
    edit.KeyDown(VK_DELETE);
    EXPECT_EQ("Ohello", edit.Text());
    edit.KeyDown(VK_END);
    edit.KeyDown(VK_DELETE);  // nothing after the caret: no change, no notice
    edit.KeyDown(VK_LEFT);
    edit.KeyDown(VK_BACK);
    EXPECT_EQ("Ohelo", edit.Text());
    Pump();
    EXPECT_EQ(4, Notices());
    EXPECT_TRUE(edit.Char('\b')) << "Backspace's character does nothing more";
    EXPECT_FALSE(edit.Char('\r')) << "Enter is left to the dialog";
    EXPECT_EQ("Ohelo", edit.Text());
    // Windows-1252 characters are text like any other.
    Type("\xE9\x80");
    EXPECT_EQ("Ohel\xE9\x80o", edit.Text());
}

TEST_F(EditTest, ShiftSelectsAndTypingReplacesTheSelection) {
    With(VK_SHIFT, [&] {
        edit.KeyDown(VK_LEFT);
        edit.KeyDown(VK_LEFT);
    });
    EXPECT_EQ("lo", edit.SelectedText());
    edit.KeyDown(VK_LEFT);  // without Shift: to the selection's start, nothing selected
    EXPECT_EQ(3u, edit.Caret());
    EXPECT_EQ("", edit.SelectedText());
    With(VK_SHIFT, [&] { edit.KeyDown(VK_HOME); });
    EXPECT_EQ("hel", edit.SelectedText());
    Type("J");
    EXPECT_EQ("Jlo", edit.Text());
    With(VK_SHIFT, [&] { edit.KeyDown(VK_END); });
    edit.KeyDown(VK_DELETE);
    EXPECT_EQ("J", edit.Text());
}

TEST_F(EditTest, CutCopyAndPasteGoThroughTheClipboardAsUtf8) {
    edit.SetText("caf\xE9 au lait");
    With(VK_CONTROL, [&] { edit.KeyDown('A'); });
    EXPECT_EQ(edit.Text(), edit.SelectedText());
    edit.Select(0, 4);
    With(VK_CONTROL, [&] { edit.KeyDown('C'); });
    EXPECT_EQ("caf\xC3\xA9", GetClipboardText());
    edit.Select(4, 7);  // " au"
    With(VK_CONTROL, [&] { edit.KeyDown('X'); });
    EXPECT_EQ("caf\xE9 lait", edit.Text());
    EXPECT_EQ(" au", GetClipboardText());
    edit.KeyDown(VK_END);
    With(VK_CONTROL, [&] { edit.KeyDown('V'); });
    EXPECT_EQ("caf\xE9 lait au", edit.Text());
    // A paste becomes one line; what Windows-1252 cannot hold is left out.
    SetClipboardText("\n\xE2\x82\xAC 1\xE2\x9C\x93");
    With(VK_SHIFT, [&] { edit.KeyDown(VK_INSERT); });
    EXPECT_EQ("caf\xE9 lait au \x80 1", edit.Text());
    EXPECT_FALSE(edit.Char(3)) << "Ctrl+C's character is no text";
}

TEST_F(EditTest, TheLengthLimitCutsWhatIsTypedOrPasted) {
    edit.SetLimit(7);
    Type("abc");
    EXPECT_EQ("helloab", edit.Text());
    SetClipboardText("XYZ");
    edit.Select(0, 1);
    With(VK_CONTROL, [&] { edit.KeyDown('V'); });
    EXPECT_EQ("Xelloab", edit.Text()) << "only what fits in place of the selection";
    edit.SetLimit(3);
    EXPECT_EQ("Xel", edit.Text());
}

TEST_F(EditTest, TheMousePlacesTheCaretDragsASelectionAndShowsTheTextCursor) {
    input::MouseMove(OnScreen(edit.Window(), 150, 10));
    Pump();
    EXPECT_EQ(Cursor::IBeam, GetCursor());
    input::MouseDown(input::Button::Left, OnScreen(edit.Window(), 2, 10));
    Pump();
    EXPECT_EQ(0u, edit.Caret());
    input::MouseMove(OnScreen(edit.Window(), 150, 10));  // past the text's end
    input::MouseUp(input::Button::Left, OnScreen(edit.Window(), 150, 10));
    Pump();
    EXPECT_EQ("hello", edit.SelectedText());
    EXPECT_EQ(HWND(), GetCapture());
}

TEST_F(EditTest, ItDrawsItsTextTheSelectionAndTheCaret) {
    edit.Select(0, 5);
    Pump();
    // The selection's background (slot 7 of the light scheme) shows behind the text.
    EXPECT_EQ((ZKRGB{190, 220, 255}), PixelAt(edit.Window(), 6, 16));
    edit.FocusChanged(false);
    Pump();
    EXPECT_EQ((ZKRGB{255, 255, 255}), PixelAt(edit.Window(), 6, 16)) << "only a focused field shows it";
}

TEST_F(EditTest, CtrlArrowsJumpByWordsAndCtrlShiftSelectsWords) {
    edit.SetText("one, two  caf\xE9");
    std::vector<std::size_t> stops;
    With(VK_CONTROL, [&] {
        for (int i = 0; i < 5; ++i) {
            edit.KeyDown(VK_LEFT);
            stops.push_back(edit.Caret());
        }
    });
    EXPECT_EQ((std::vector<std::size_t>{10, 5, 3, 0, 0}), stops)
        << "word starts; a letter above 127 is a letter";
    stops.clear();
    With(VK_CONTROL, [&] {
        for (int i = 0; i < 5; ++i) {
            edit.KeyDown(VK_RIGHT);
            stops.push_back(edit.Caret());
        }
    });
    EXPECT_EQ((std::vector<std::size_t>{3, 5, 10, 14, 14}), stops) << "spaces go with the word before them";
    input::KeyDown(VK_CONTROL);
    input::KeyDown(VK_SHIFT);
    Pump();
    edit.KeyDown(VK_LEFT);
    edit.KeyDown(VK_LEFT);
    input::KeyUp(VK_SHIFT);
    input::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ("two  caf\xE9", edit.SelectedText());
    EXPECT_FALSE(edit.KeyDown(VK_UP)) << "one line leaves Up and Down to the dialog";
    EXPECT_FALSE(edit.KeyDown(VK_RETURN));
}

class MultiLineEditTest : public EditTest {
protected:
    ZKMultiLineEdit lines{6, "aaaaaaaaaa\naaaaaa\n\naaaa"};

    void SetUp() override {
        EditTest::SetUp();
        ASSERT_TRUE(lines.Create(parent, {10, 40, 210, 80}));
        edit.FocusChanged(false);
        lines.FocusChanged(true);
        Pump();
        TakePosted();
    }
};

TEST_F(MultiLineEditTest, LinesAreWalkedByArrowsHomeEndAndWordJumpsAndBrokenByEnter) {
    EXPECT_EQ(23u, lines.Caret());
    EXPECT_TRUE(lines.KeyDown(VK_HOME));
    EXPECT_EQ(19u, lines.Caret()) << "the start of the caret's line";
    lines.KeyDown(VK_UP);
    EXPECT_EQ(18u, lines.Caret()) << "onto the empty line";
    lines.KeyDown(VK_UP);
    lines.KeyDown(VK_END);
    EXPECT_EQ(17u, lines.Caret());
    lines.KeyDown(VK_UP);
    EXPECT_EQ(6u, lines.Caret()) << "the same x on the line above: under the end of the shorter line";
    EXPECT_TRUE(lines.KeyDown(VK_UP)) << "on the first line Up is still the field's";
    EXPECT_EQ(6u, lines.Caret());
    With(VK_CONTROL, [&] {
        lines.KeyDown(VK_RIGHT);
        lines.KeyDown(VK_RIGHT);
    });
    EXPECT_EQ(11u, lines.Caret()) << "the line break is a word of its own";
    With(VK_CONTROL, [&] { lines.KeyDown(VK_END); });
    EXPECT_EQ(23u, lines.Caret());
    lines.Select(5, 5);
    lines.KeyDown(VK_RETURN);
    EXPECT_EQ("aaaaa\naaaaa\naaaaaa\n\naaaa", lines.Text());
    Pump();
    int notices = 0;
    for (const zktest::Posted& p : TakePosted())
        notices += p.message == WMU_CONTROL_NOTIFY && p.lParam == reinterpret_cast<LPARAM>(&lines);
    EXPECT_EQ(1, notices);
}

TEST_F(MultiLineEditTest, APasteKeepsItsLineBreaksAndTheMousePicksALine) {
    SetClipboardText("a\r\nb\rc\td");
    lines.Select(0, lines.Text().size());
    With(VK_CONTROL, [&] { lines.KeyDown('V'); });
    EXPECT_EQ("a\nb\nc d", lines.Text());
    const int lh = ZKEdit(0, "a").PreferredSize().cy - 2 * ZKEdit::kPadY;
    EXPECT_EQ(3 * lh + 2 * ZKEdit::kPadY, lines.PreferredSize().cy) << "as high as its lines";
    // The field is lower than its three lines: it scrolled to show the caret on the last one.
    const Point second = OnScreen(lines.Window(), 2, ZKEdit::kPadY + lh + lh / 2);
    input::MouseDown(input::Button::Left, second);
    input::MouseUp(input::Button::Left, second);
    Pump();
    EXPECT_EQ(4u, lines.Caret()) << "the second row shows the third line";
    With(VK_CONTROL, [&] { lines.KeyDown(VK_HOME); });
    input::MouseDown(input::Button::Left, second);
    input::MouseUp(input::Button::Left, second);
    Pump();
    EXPECT_EQ(2u, lines.Caret()) << "scrolled back, the second row shows the second line";
}

}  // namespace
