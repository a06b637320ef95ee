// The list box on its own: the notices to its parent, flashing rows, disabled rows, choosing, multi-selection
// and tooltips.
#include "Gui/TZKListBox.h"

#include <algorithm>
#include <memory>

#include "Gui/ZKRichTextListItem.h"
#include "GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

class ListBoxTest : public GuiWindowTest {
protected:
    ZKListBoxContents rows;
    const std::vector<int> tabs{180};

    void Add(const std::string& text, bool flashing = false) {
        rows.Append(std::make_unique<ZKRichTextListItem>(text, tabs));
        rows.At(rows.Count() - 1).SetFlashing(flashing);
    }

    // Rows "r0".."r5" with r0, r2 and r5 disabled, attached to a list at (10, 10) of 200 x 110 pixels.
    //   y  0 r0 (disabled)   18 r1   36 r2 (disabled)   54 r3   72 r4   90 r5 (disabled)
    void MakeRowsWithDisabled(ZKListBoxBase& list) {
        ASSERT_TRUE(list.Create(parent, {10, 10, 210, 120}));
        for (int i = 0; i < 6; ++i)
            Add("r" + std::to_string(i));
        for (int i : {0, 2, 5})
            rows.At(i).SetEnabled(false);
        list.Attach(&rows, false);
        list.SetCurrent(list.FirstSelectableRow());
        Pump();
        TakePosted();
    }
    std::vector<zktest::Posted> Notices(const ZKListBoxBase& list, std::initializer_list<zk::UINT> messages) {
        std::vector<zktest::Posted> out;
        for (const zktest::Posted& p : TakePosted())
            if (std::find(messages.begin(), messages.end(), p.message) != messages.end() &&
                p.wParam == reinterpret_cast<WPARAM>(&list))
                out.push_back(p);
        return out;
    }
    void Key(int vk) {
        input::KeyPress(vk);
        Pump();
    }
    std::vector<bool> Selection() const {
        std::vector<bool> out;
        for (int i = 0; i < rows.Count(); ++i)
            out.push_back(rows.At(i).Selected());
        return out;
    }
};

TEST_F(ListBoxTest, AttachingNotifiesTheParentAndFlashingRowsAlternateTheirLook) {
    TZKListBox<ZKRichTextListItem> list;
    ASSERT_TRUE(list.Create(parent, {10, 10, 210, 110}));
    Add("steady");
    Add("alarm", true);
    TakePosted();
    list.Attach(&rows, false);
    Pump();
    EXPECT_EQ((std::vector<zktest::Posted>{
                  {WMU_LIST_ATTACHED, reinterpret_cast<WPARAM>(&list), reinterpret_cast<LPARAM>(&rows)}}),
              TakePosted());
    ASSERT_NE(nullptr, list.CurrentItem());
    EXPECT_EQ("steady", list.CurrentItem()->Text());

    // The flashing row (at y 18..36) turns to its second look after 300 ms and back 300 ms later; the
    // steady row keeps the background.
    const ZKRGB second{190, 220, 255};  // slot 7
    auto flashOn = [&] { return PixelAt(list.Window(), 150, 27) == second; };
    RunFor(1000, flashOn);
    ASSERT_TRUE(flashOn());
    EXPECT_EQ((ZKRGB{255, 255, 255}), PixelAt(list.Window(), 150, 9));
    RunFor(1000, [&] { return !flashOn(); });
    EXPECT_FALSE(flashOn());
}

TEST_F(ListBoxTest, KeysAndClicksSkipDisabledRowsAndEnterChoosesTheCurrentOne) {
    TZKListBox<ZKRichTextListItem> list;
    MakeRowsWithDisabled(list);
    ASSERT_EQ(1, list.FirstSelectableRow());
    EXPECT_EQ(1, rows.Current());
    SetFocus(list.Window());

    Key(VK_DOWN);  // over the disabled r2
    EXPECT_EQ(3, rows.Current());
    EXPECT_EQ((std::vector<zktest::Posted>{{WMU_LIST_CURRENT, reinterpret_cast<WPARAM>(&list), 3}}),
              Notices(list, {WMU_LIST_CURRENT, WMU_LIST_CHOOSE}));
    Key(VK_END);  // r5 is disabled
    EXPECT_EQ(4, rows.Current());
    Key(VK_DOWN);
    EXPECT_EQ(4, rows.Current()) << "nothing enabled below";
    Key(VK_HOME);
    EXPECT_EQ(1, rows.Current());
    Key(VK_UP);
    EXPECT_EQ(1, rows.Current()) << "nothing enabled above";
    TakePosted();

    input::Click(input::Button::Left, OnScreen(list.Window(), 50, 40));  // r2, disabled
    Pump();
    EXPECT_EQ(1, rows.Current());
    EXPECT_TRUE(Notices(list, {WMU_LIST_CURRENT, WMU_LIST_CHOOSE}).empty());

    Key(VK_RETURN);
    EXPECT_EQ((std::vector<zktest::Posted>{{WMU_LIST_CHOOSE, reinterpret_cast<WPARAM>(&list), 1}}),
              Notices(list, {WMU_LIST_CURRENT, WMU_LIST_CHOOSE}));
    list.SetCurrent(2);  // the program may make a disabled row current; it cannot be chosen
    Pump();
    TakePosted();
    EXPECT_FALSE(list.Choose());
    Key(VK_RETURN);
    EXPECT_TRUE(Notices(list, {WMU_LIST_CHOOSE}).empty());
}

TEST_F(ListBoxTest, ADoubleClickChoosesAndAClickDoesWithChooseOnClick) {
    TZKListBox<ZKRichTextListItem> list;
    MakeRowsWithDisabled(list);
    input::Click(input::Button::Left, OnScreen(list.Window(), 50, 60));  // r3
    Pump();
    EXPECT_EQ(3, rows.Current());
    EXPECT_TRUE(Notices(list, {WMU_LIST_CHOOSE}).empty());
    input::Click(input::Button::Left, OnScreen(list.Window(), 50, 60));
    Pump();
    EXPECT_EQ((std::vector<zktest::Posted>{{WMU_LIST_CHOOSE, reinterpret_cast<WPARAM>(&list), 3}}),
              Notices(list, {WMU_LIST_CHOOSE}));

    TZKListBox<ZKRichTextListItem> menu(ZKListBoxBase::kChooseOnClick);
    ASSERT_TRUE(menu.Create(parent, {220, 10, 390, 120}));
    menu.Attach(&rows, false);
    Pump();
    TakePosted();
    input::Click(input::Button::Left, OnScreen(menu.Window(), 50, 80));  // r4
    Pump();
    EXPECT_EQ((std::vector<zktest::Posted>{{WMU_LIST_CHOOSE, reinterpret_cast<WPARAM>(&menu), 4}}),
              Notices(menu, {WMU_LIST_CHOOSE}));
}

TEST_F(ListBoxTest, CtrlAndShiftSelectSeveralEnabledRows) {
    TZKListBox<ZKRichTextListItem> list(ZKListBoxBase::kMultiSelect);
    MakeRowsWithDisabled(list);
    SetFocus(list.Window());
    const Point r4 = OnScreen(list.Window(), 50, 80);

    input::KeyDown(VK_SHIFT);
    Key(VK_DOWN);
    Key(VK_DOWN);
    input::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ((std::vector<bool>{false, true, false, true, true, false}), Selection())
        << "the disabled r2 stays unselected";

    input::KeyDown(VK_CONTROL);
    Key(VK_SPACE);                                                       // r4 off
    input::Click(input::Button::Left, OnScreen(list.Window(), 50, 20));  // r1 off
    input::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ((std::vector<bool>{false, false, false, true, false, false}), Selection());

    input::KeyDown(VK_SHIFT);
    input::Click(input::Button::Left, r4);
    input::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ((std::vector<bool>{false, true, false, true, true, false}), Selection());
    EXPECT_EQ(4, rows.Current());

    Key(VK_UP);  // without Shift only the current row moves
    EXPECT_EQ((std::vector<bool>{false, true, false, true, true, false}), Selection());
}

TEST_F(ListBoxTest, ARowTooWideForTheListShowsItsTextInATooltip) {
    TZKListBox<ZKRichTextListItem> list;
    ASSERT_TRUE(list.Create(parent, {10, 10, 110, 110}));
    Add("short");
    Add("$cra row far too long to be read in a list this narrow");
    list.Attach(&rows, false);
    Pump();

    input::MouseMove(OnScreen(list.Window(), 20, 5));  // "short"
    RunFor(700);
    EXPECT_TRUE(!list.ToolTip() || !list.ToolTip()->Shown());

    input::MouseMove(OnScreen(list.Window(), 20, 25));
    RunFor(2000, [&] { return list.ToolTip() && list.ToolTip()->Shown(); });
    ASSERT_TRUE(list.ToolTip() && list.ToolTip()->Shown());
    EXPECT_EQ("a row far too long to be read in a list this narrow", list.ToolTip()->Text());
    const Rect tip = GetWindowRect(list.ToolTip()->Window());
    EXPECT_EQ(OnScreen(list.Window(), 0, 18), (Point{tip.left, tip.top})) << "over the row";
    EXPECT_GT(tip.Width(), 100);

    input::MouseMove(OnScreen(list.Window(), 20, 5));
    Pump();
    EXPECT_FALSE(list.ToolTip()->Shown());
}

}  // namespace
