// The choose dialog: typing narrows the rows and highlights the matches, Backspace widens them again,
// nothing matching leaves the disabled "EMPTY" row, an exact match becomes current, disabled rows are
// skipped, and the chosen entry's own value comes back; the multi-selection variant returns several.
#include "Gui/ZKChooseDialog.h"

#include "DialogTestSupport.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::StandInOwner;

class ChooseDialogTest : public GuiWindowTest {
protected:
    StandInOwner owner;

    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
    }
    int Run(ZKChooseDialog& dialog, std::function<void()> step) {
        owner.Later(std::move(step));
        const int result = dialog.DoModal();
        Pump();
        return result;
    }
    static void Fill(ZKChooseDialog& dialog) {
        dialog.AddChoice({"Abc", 100});
        dialog.AddChoice({"xAB", 200});
        dialog.AddChoice({"cd", 300});
    }
    static std::vector<std::string> Texts(const ZKChooseDialog& dialog) {
        std::vector<std::string> out;
        for (int i = 0; i < dialog.Rows().Count(); ++i)
            out.push_back(dialog.Rows().At(i).Text());
        return out;
    }
    static void Type(const std::string& text) {
        for (const char ch : text)
            input::KeyPress(ch >= 'a' && ch <= 'z' ? ch - 32 : ch, static_cast<unsigned char>(ch));
    }
    static int GreenPixels(HWND hwnd) {
        const Shot shot(hwnd);
        const Rect r = GetClientRect(hwnd);
        int n = 0;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                n += shot.At(x, y) == ZKHighlightedTextListItem::kGreen;
        return n;
    }
};

TEST_F(ChooseDialogTest, TypingNarrowsAndHighlightsAndBackspaceWidensAgain) {
    ZKChooseDialog dialog(owner.MainWindow(), "Choose one");
    Fill(dialog);
    std::vector<std::vector<std::string>> seen;
    std::vector<int> green;
    const auto look = [&] {
        Pump();
        seen.push_back(Texts(dialog));
        green.push_back(GreenPixels(dialog.List().Window()));
    };
    EXPECT_EQ(0, Run(dialog, [&] {
                  look();
                  Type("ab");
                  look();
                  input::KeyPress(VK_BACK, '\b');
                  input::KeyPress(VK_BACK, '\b');
                  look();
                  input::KeyPress(VK_ESCAPE, 0x1B);
              }));
    const std::vector<std::string> all{"Abc", "xAB", "cd"};
    EXPECT_EQ((std::vector<std::vector<std::string>>{all, {"Abc", "xAB"}, all}), seen);
    EXPECT_EQ(0, green[0]);
    EXPECT_GT(green[1], 0) << "the matches are drawn in green";
    EXPECT_EQ(0, green[2]);
}

TEST_F(ChooseDialogTest, NothingMatchingLeavesTheDisabledPlaceholderAndOkCannotChoose) {
    ZKChooseDialog dialog(owner.MainWindow(), "Choose one");
    Fill(dialog);
    bool okEnabled = true;
    std::string search;
    EXPECT_EQ(0, Run(dialog, [&] {
                  Type("zz");
                  Pump();
                  okEnabled = dialog.OkButton().Enabled();
                  input::KeyPress(VK_RETURN, '\r');  // does nothing
                  Pump();
                  search = dialog.SearchText();
                  input::KeyPress(VK_ESCAPE, 0x1B);
              }));
    EXPECT_EQ((std::vector<std::string>{"EMPTY"}), Texts(dialog));
    EXPECT_FALSE(dialog.Rows().At(0).Enabled());
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ("zz", search);
}

TEST_F(ChooseDialogTest, AnExactMatchBecomesCurrentAndItsValueIsReturned) {
    ZKChooseDialog dialog(owner.MainWindow(), "Choose one");
    dialog.AddChoice({"cdx", 1});
    dialog.AddChoice({"acd", 2});
    dialog.AddChoice({"cd", 3});
    EXPECT_EQ(1, Run(dialog, [] {
                  Type("cd");
                  input::KeyPress(VK_RETURN, '\r');
              }));
    EXPECT_EQ(2, dialog.ChosenIndex());
    EXPECT_EQ(3, dialog.ChosenValue());
}

TEST_F(ChooseDialogTest, DisabledRowsAreSkippedAndCannotBeChosen) {
    ZKChooseDialog dialog(owner.MainWindow(), "$cgDevices");
    dialog.AddChoice({"first", 10, false});
    dialog.AddChoice({"second", 20});
    dialog.AddChoice({"third", 30, false});
    dialog.AddChoice({"fourth", 40});
    int startRow = -1;
    EXPECT_EQ(1, Run(dialog, [&] {
                  Pump();
                  startRow = dialog.Rows().Current();
                  input::KeyPress(VK_DOWN);
                  input::KeyPress(VK_RETURN, '\r');
              }));
    EXPECT_EQ(1, startRow) << "the first selectable row";
    EXPECT_EQ(40, dialog.ChosenValue());

    // A double click chooses; on a disabled row it does nothing.
    ZKChooseDialog clicked(owner.MainWindow(), "Devices");
    clicked.AddChoice({"first", 10, false});
    clicked.AddChoice({"second", 20});
    EXPECT_EQ(1, Run(clicked, [&] {
                  const HWND list = clicked.List().Window();
                  input::Click(input::Button::Left, OnScreen(list, 30, 9));
                  input::Click(input::Button::Left, OnScreen(list, 30, 9));
                  Pump();
                  input::Click(input::Button::Left, OnScreen(list, 30, 27));
                  input::Click(input::Button::Left, OnScreen(list, 30, 27));
              }));
    EXPECT_EQ(20, clicked.ChosenValue());
}

TEST_F(ChooseDialogTest, ManyChoicesOnASmallScreenShrinkTheListButNotBelowThreeRows) {
    ZKChooseDialog dialog(owner.MainWindow(), "Choose one");
    for (int i = 0; i < 100; ++i)
        dialog.AddChoice({"choice " + std::to_string(i), i});
    Rect list;
    Rect work;
    Run(dialog, [&] {
        list = GetWindowRect(dialog.List().Window());
        work = GetMonitorInfoFromWindow(dialog.Window()).work;
        input::KeyPress(VK_ESCAPE, 0x1B);
    });
    EXPECT_LT(list.Height(), 100 * 18);
    EXPECT_GE(list.Height(), 3 * 18);
    EXPECT_LE(GetWindowRect(dialog.Window()).Height(), work.Height());
}

TEST_F(ChooseDialogTest, TheMultiSelectDialogReturnsEverySelectedEntryThroughTheFilter) {
    ZKMultiSelectDialog dialog(owner.MainWindow(), "Choose some");
    Fill(dialog);
    EXPECT_EQ(1, Run(dialog, [&] {
                  input::KeyDown(VK_SHIFT);
                  input::KeyPress(VK_DOWN);  // Abc and xAB
                  input::KeyUp(VK_SHIFT);
                  Type("c");  // Abc and cd stay; xAB keeps its selection out of sight
                  input::KeyPress(VK_RETURN, '\r');
              }));
    EXPECT_EQ((std::vector<std::intptr_t>{100, 200}), dialog.ChosenValues());
}

}  // namespace
