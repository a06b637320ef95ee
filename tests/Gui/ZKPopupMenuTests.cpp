// The popup menu on its own: where it is placed, how its rows look, and every way it closes with its result.
#include "Gui/ZKPopupMenu.h"

#include "DialogTestSupport.h"
#include "Gui/ZKPopupMenuFileItem.h"
#include "Platform/Input.h"
#include "Platform/ZKAssert.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::StandInOwner;

ZKRGB ColourOf(int slot) {
    return ZKGDI::Colour(ZKColourContext{}, slot);
}

TEST(ZKPopupMenuPlaceTest, FourPlacementsKeptInsideTheWorkArea) {
    const Rect work{0, 0, 1000, 700};
    const Size size{100, 50};
    EXPECT_EQ((Rect{300, 200, 400, 250}),
              ZKPopupMenu::PlaceRect(size, {300, 200}, ZKPopupMenu::kBelowRight, work));
    EXPECT_EQ((Rect{200, 200, 300, 250}),
              ZKPopupMenu::PlaceRect(size, {300, 200}, ZKPopupMenu::kBelowLeft, work));
    EXPECT_EQ((Rect{300, 150, 400, 200}),
              ZKPopupMenu::PlaceRect(size, {300, 200}, ZKPopupMenu::kAboveRight, work));
    EXPECT_EQ((Rect{200, 150, 300, 200}),
              ZKPopupMenu::PlaceRect(size, {300, 200}, ZKPopupMenu::kAboveLeft, work));
    // Near the edges: moved back inside.
    EXPECT_EQ((Rect{900, 650, 1000, 700}),
              ZKPopupMenu::PlaceRect(size, {980, 690}, ZKPopupMenu::kBelowRight, work));
    EXPECT_EQ((Rect{0, 0, 100, 50}), ZKPopupMenu::PlaceRect(size, {30, 20}, ZKPopupMenu::kAboveLeft, work));
}

TEST(ZKPopupMenuPlaceTest, TallerThanTheWorkAreaIsCutAndGetsRoomForTheScrollBar) {
    const Rect work{0, 40, 1000, 700};
    EXPECT_EQ((Rect{300, 40, 413, 700}), ZKPopupMenu::PlaceRect({100, 2000}, {300, 200}, 0, work));
    EXPECT_EQ((Rect{887, 40, 1000, 700}), ZKPopupMenu::PlaceRect({100, 660}, {990, 200}, 0, work));
    const unsigned long reports = AssertReportCount();
    EXPECT_EQ((Rect{300, 200, 400, 250}), ZKPopupMenu::PlaceRect({100, 50}, {300, 200}, 9, work))
        << "an unknown placement is below-right";
    EXPECT_EQ(reports + 1, AssertReportCount());
}

TEST(ZKPopupMenuItemTest, KeysAndTheUnderlinedLetter) {
    EXPECT_EQ('S', ZKPopupMenuItem::VirtualKeyOf('s'));
    EXPECT_EQ('7', ZKPopupMenuItem::VirtualKeyOf('7'));
    EXPECT_EQ(VK_OEM_COMMA, ZKPopupMenuItem::VirtualKeyOf(','));
    EXPECT_EQ(0, ZKPopupMenuItem::VirtualKeyOf('\0'));
    EXPECT_EQ(0, ZKPopupMenuItem("S", "Save", 'S').UnderlinedIndex());
    EXPECT_EQ(4, ZKPopupMenuItem("Alt+X", "eXit", 'X').UnderlinedIndex());
    EXPECT_EQ(-1, ZKPopupMenuItem("F10", "Quit", '1').UnderlinedIndex()) << "a digit key is not underlined";
    EXPECT_FALSE(ZKPopupMenuItem("S", "Save", 'S', false).Enabled());
    EXPECT_TRUE(ZKPopupMenuItem::Separator()->IsSeparator());
    EXPECT_FALSE(ZKPopupMenuItem::Separator()->Enabled());

    ZKBitmap scratch(1, 1);
    ZKDC dc(scratch);
    const Size size = ZKPopupMenuItem("T", "save To", 'T').PreferredSize(dc);
    EXPECT_EQ(dc.TextExtent("save To      T", ZKFontSet::Normal).cx, size.cx);
    EXPECT_EQ(ZKFontSet::Screen().Height() + 8, size.cy);
}

TEST(ZKPopupMenuItemTest, FileRowsMeasuredByTheirCharactersAreNeverTooNarrow) {
    ZKMeasuringDC m;
    const auto widths = ZKPopupMenuFileItem::MeasureCharWidths(m.dc);
    for (const char* name : {"AVATAR WAVE.txt", "iiiiiiii",
                             "Gr\xFC\xDF"
                             "e \x80 2024-05-01.log",
                             "x"}) {
        ZKPopupMenuFileItem item(ZKFileEntry{name, "/", ZKFileKind::File});
        const int exact = item.PreferredSize(m.dc).cx;
        item.MeasureWith(widths);
        const int quick = item.PreferredSize(m.dc).cx;
        EXPECT_GE(quick, exact) << name;
        EXPECT_LE(quick, exact + 3) << name;
        EXPECT_EQ(ZKFontSet::Screen().Height() + 8, item.PreferredSize(m.dc).cy);
    }
}

// A popup over a stand-in main window, with four rows: "Open" (O), a separator, a disabled "Save" (S) and
// "eXit" (X).
class PopupMenuTest : public GuiWindowTest {
protected:
    StandInOwner owner;
    ZKListBoxContents rows;
    const Point anchor{300, 200};
    const int rowHeight = ZKFontSet::Screen().Height() + 8;
    std::vector<LPARAM> states;  // WMU_POPUP_STATE as the owner saw them

    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
        rows.Append(std::make_unique<ZKPopupMenuItem>("O", "Open", 'O'));
        rows.Append(ZKPopupMenuItem::Separator());
        rows.Append(std::make_unique<ZKPopupMenuItem>("S", "Save", 'S', false));
        rows.Append(std::make_unique<ZKPopupMenuItem>("X", "eXit", 'X'));
    }

    // Screen point in the middle of a row of the popup placed at the anchor.
    Point RowPoint(int row) const { return {anchor.x + 20, anchor.y + row * rowHeight + rowHeight / 2}; }

    int Run(DWORD flags, const std::function<void()>& input) {
        owner.Later(input);
        ZKPopupMenu popup(rows, owner.MainWindow(), anchor, ZKPopupMenu::kBelowRight, flags);
        return popup.DoModal();
    }
};

TEST_F(PopupMenuTest, ChoosingByKeyClickAndArrowsButNeverADisabledRow) {
    EXPECT_EQ(ZKPopupMenu::kChosen, Run(0, [] { input::KeyPress('X'); }));
    EXPECT_EQ(3, rows.Current());

    EXPECT_EQ(ZKPopupMenu::kChosen, Run(0, [&] { input::Click(input::Button::Left, RowPoint(0)); }));
    EXPECT_EQ(0, rows.Current());

    // Down passes over the separator and the disabled row.
    EXPECT_EQ(ZKPopupMenu::kChosen, Run(0, [&] {
                  input::KeyPress(VK_DOWN);
                  input::KeyPress(VK_RETURN);
              }));
    EXPECT_EQ(3, rows.Current());

    // The disabled row's letter makes it current without choosing it; neither a click on it nor an unknown
    // letter does anything.
    EXPECT_EQ(ZKPopupMenu::kChosen, Run(0, [&] {
                  input::KeyPress('S');
                  input::KeyPress(VK_RETURN);
                  input::KeyPress('Q');
                  input::Click(input::Button::Left, RowPoint(2));
                  owner.After(100, [&] {
                      EXPECT_EQ(2, rows.Current()) << "the popup is still open on the disabled row";
                      input::KeyPress(VK_UP);
                      input::KeyPress(VK_RETURN);
                  });
              }));
    EXPECT_EQ(0, rows.Current());
}

TEST_F(PopupMenuTest, ClosingResults) {
    EXPECT_EQ(ZKPopupMenu::kClosed, Run(0, [] { input::KeyPress(VK_ESCAPE); }));
    // A press outside released inside keeps it open; press and release outside close it.
    EXPECT_EQ(ZKPopupMenu::kChosen, Run(0, [&] {
                  input::MouseDown(input::Button::Left, {900, 600});
                  input::MouseUp(input::Button::Left, RowPoint(1));
                  input::KeyPress('X');
              }));
    EXPECT_EQ(ZKPopupMenu::kClosed, Run(0, [] { input::Click(input::Button::Left, {900, 600}); }));
    EXPECT_EQ(ZKPopupMenu::kClosed, Run(0, [&] { SetCapture(owner.MainWindow()); }));
    ReleaseCapture();

    // Left, Right, Delete and Backspace only with their flags.
    EXPECT_EQ(ZKPopupMenu::kMenuLeft, Run(ZKPopupMenu::kHasLeft, [] {
                  input::KeyPress(VK_RIGHT);
                  input::KeyPress(VK_DELETE);
                  input::KeyPress(VK_LEFT);
              }));
    EXPECT_EQ(ZKPopupMenu::kMenuRight, Run(ZKPopupMenu::kHasRight, [] {
                  input::KeyPress(VK_LEFT);
                  input::KeyPress(VK_RIGHT);
              }));
    EXPECT_EQ(ZKPopupMenu::kDelete, Run(ZKPopupMenu::kMayDelete, [] { input::KeyPress(VK_BACK); }));
}

TEST_F(PopupMenuTest, TellsTheOwnerItIsOpenAndAsksAboutTheMouseOutside) {
    std::vector<Point> asked;
    HWND owner2;
    WindowCreateParams p;
    p.style = WS_POPUP | WS_VISIBLE;
    p.x = 100;
    p.y = 100;
    p.cx = 150;
    p.cy = 40;
    p.proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WMU_POPUP_STATE) states.push_back(l);
        if (m == WMU_POPUP_HOVER) {
            asked.push_back(LParamToPoint(l));
            EXPECT_EQ(std::vector<LPARAM>{1}, states) << "open while it asks";
            return GetWindowRect(h).Contains(LParamToPoint(l)) ? 1 : 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    owner2 = CreateWindowEx(p);
    std::optional<DropShadow> shadow;
    ZKPopupMenu popup(rows, owner2, anchor);
    owner.Later([&] {
        shadow = GetWindowShadow(popup.Window());
        input::MouseMove({700, 500});  // over nothing of the owner's: stays open
        input::MouseMove({120, 120});
    });
    EXPECT_EQ(ZKPopupMenu::kMenuHover, popup.DoModal());
    EXPECT_EQ((std::vector<Point>{{700, 500}, {120, 120}}), asked);
    EXPECT_EQ((std::vector<LPARAM>{1, 0}), states);
    EXPECT_FALSE(IsWindow(popup.Window()));
    EXPECT_EQ(CWndShadow::kDialogShadow, shadow) << "the open popup casts the dialogs' shadow";
}

TEST_F(PopupMenuTest, TheHoveredRowIsHighlighted) {
    Run(0, [&] {
        input::MouseMove(RowPoint(3));
        owner.After(100, [&] {
            const HWND popup = GetCapture();
            ASSERT_TRUE(popup);
            EXPECT_EQ(3, rows.Current());
            PumpPendingMessages();
            Shot shot(popup);
            EXPECT_EQ(ColourOf(7), shot.At(60, 3 * rowHeight + 3)) << "the current row";
            EXPECT_EQ(ColourOf(5), shot.At(60, 0 * rowHeight + 3)) << "another row";
            input::KeyPress(VK_ESCAPE);
        });
    });
}

}  // namespace
