// A window with a menu bar of three menus: opening them by mouse and by letter, moving between them, what
// reaches the choose operation, and the layout of the bar.
#include "Gui/ZKMenuBarHolder.h"

#include "DialogTestSupport.h"
#include "Gui/ZKTextEditDialog.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

// File (F): About, a separator, Save (disabled unless saveEnabled), eXit. Options (O): Global options.
// Device (D): Connect, or nothing when deviceEmpty.
class MenuWindow : public ZKMenuBarHolder<MenuWindow>, public IZKModalOwner {
public:
    MenuWindow() {
        WindowCreateParams p;
        p.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        p.x = 100;
        p.y = 100;
        p.cx = 600;
        p.cy = 400;
        p.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) { return Proc(h, m, w, l); };
        hwnd = CreateWindowEx(p);
        bar.Create(hwnd, {0, 0, 600, 26});
        file = AddMenu(bar, "File", 'F', &MenuWindow::FillFile, &MenuWindow::Choose);
        options = AddMenu(bar, "Options", 'O', &MenuWindow::FillOptions, &MenuWindow::Choose);
        device = AddMenu(bar, "Device", 'D', &MenuWindow::FillDevice, &MenuWindow::Choose);
        SetActiveWindow(hwnd);
    }
    ~MenuWindow() override { DestroyWindow(hwnd); }

    HWND MainWindow() const override { return hwnd; }
    ZKModalStack& ModalStack() override { return stack; }
    void ApplicationActiveChanged(bool) override {}

    Point TitlePoint(const Entry* e) const {
        const Rect r = GetWindowRect(e->button->Window());
        return {r.left + 5, r.top + 5};
    }

    HWND hwnd;
    ZKMenuBar bar;
    ZKModalStack stack;
    const Entry* file;
    const Entry* options;
    const Entry* device;
    bool saveEnabled = false;
    bool deviceEmpty = false;
    const Entry* openNext = nullptr;
    std::vector<std::string> opened;  // menu letter and flags, per fill
    std::vector<std::string> chosen;  // menu letter and item letter, per choice
    std::vector<LPARAM> states;
    std::function<void()> whileOpen;  // runs inside the next popup's loop
    std::function<void()> onChoose;   // runs when an item is chosen, after the popup has closed

private:
    void Opened(const Entry* e, DWORD flags) {
        opened.push_back(std::string(1, e->key) + std::to_string(flags));
        if (whileOpen) PostMessage(hwnd, WM_USER + 0x71, 0, 0);
    }
    void FillFile(ZKListBoxContents& items, DWORD flags) {
        Opened(file, flags);
        items.Append(std::make_unique<ZKPopupMenuItem>("A", "About", 'A'));
        items.Append(ZKPopupMenuItem::Separator());
        items.Append(std::make_unique<ZKPopupMenuItem>("S", "Save", 'S', saveEnabled));
        items.Append(std::make_unique<ZKPopupMenuItem>("X", "eXit", 'X'));
    }
    void FillOptions(ZKListBoxContents& items, DWORD flags) {
        Opened(options, flags);
        items.Append(std::make_unique<ZKPopupMenuItem>("G", "Global options", 'G'));
    }
    void FillDevice(ZKListBoxContents& items, DWORD flags) {
        Opened(device, flags);
        if (!deviceEmpty) items.Append(std::make_unique<ZKPopupMenuItem>("C", "Connect", 'C'));
    }
    const Entry* Choose(ZKListBoxContents& items, int result, const Entry& entry) {
        const auto& item = static_cast<const ZKPopupMenuItem&>(items.At(items.Current()));
        chosen.push_back(std::string(1, entry.key) + item.Key() + (result == 1 ? "" : "?"));
        if (onChoose) onChoose();
        return std::exchange(openNext, nullptr);
    }

    LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        LRESULT result = 0;
        if (HandleMenuMessage(m, w, l, result)) return result;
        switch (m) {
            case WMU_MODAL_OWNER:
                return AnswerQuery();
            case WMU_POPUP_STATE:
                states.push_back(l);
                return 0;
            case WM_USER + 0x71:
                std::exchange(whileOpen, {})();
                return 0;
            case WM_KEYDOWN:
                MenuKey(static_cast<int>(w));
                return 0;
            default:
                return DefWindowProc(h, m, w, l);
        }
    }
};

class MenuBarHolderTest : public GuiWindowTest {
protected:
    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
        SetActiveWindow(menus.hwnd);
    }
    // Lets the queued input run, with the menus it opens.
    void Settle() { RunFor(300); }

    MenuWindow menus;
    const int rowHeight = ZKFontSet::Screen().Height() + 8;
    // Screen point of a row of the popup open under `e`.
    Point RowPoint(const MenuWindow::Entry* e, int row) const {
        const Rect r = GetWindowRect(e->button->Window());
        return {r.left + 20, r.bottom + row * rowHeight + rowHeight / 2};
    }
};

TEST_F(MenuBarHolderTest, TitlesLaidOutLeftToRightWithTheFreeAreaAfterThem) {
    const Rect bar = GetWindowRect(menus.bar.Window());
    const Rect first = GetWindowRect(menus.file->button->Window());
    const Rect second = GetWindowRect(menus.options->button->Window());
    const Rect third = GetWindowRect(menus.device->button->Window());
    EXPECT_EQ((Point{3, 3}), (Point{first.left - bar.left, first.top - bar.top}));
    EXPECT_EQ(first.right + 5, second.left);
    EXPECT_EQ(second.right + 5, third.left);
    EXPECT_EQ(menus.file->button->PreferredSize(), (Size{first.Width(), first.Height()}));
    EXPECT_EQ((Rect{third.right - bar.left + 10, 0, 600, 26}), menus.bar.FreeArea());
    EXPECT_EQ(ZKGDI::Colour(ZKColourContext{}, 13), PixelAt(menus.bar.Window(), 590, 10));
}

TEST_F(MenuBarHolderTest, OpenedByClickAndByLetterButNotWithCtrlOrShift) {
    input::Click(input::Button::Left, menus.TitlePoint(menus.file));
    input::Click(input::Button::Left, RowPoint(menus.file, 3));
    input::KeyPress('O');
    input::KeyPress('G');
    input::KeyDown(VK_CONTROL);
    input::KeyPress('F');
    input::Click(input::Button::Left, menus.TitlePoint(menus.file));
    input::KeyUp(VK_CONTROL);
    input::KeyDown(VK_SHIFT);
    input::KeyPress('O');
    input::Click(input::Button::Left, menus.TitlePoint(menus.options));
    input::KeyUp(VK_SHIFT);
    Settle();
    EXPECT_EQ((std::vector<std::string>{"F4", "O6"}), menus.opened);
    EXPECT_EQ((std::vector<std::string>{"FX", "OG"}), menus.chosen);
    EXPECT_EQ((std::vector<LPARAM>{1, 0, 1, 0}), menus.states);
    EXPECT_TRUE(menus.stack.Empty());
}

TEST_F(MenuBarHolderTest, ChoosingByArrowsAndEnterButNeverTheDisabledItem) {
    input::KeyPress('F');
    input::KeyPress('S');        // disabled: stays open
    input::KeyPress(VK_RETURN);  // still on the disabled item: nothing
    input::KeyPress(VK_DOWN);    // eXit
    input::KeyPress(VK_RETURN);
    Settle();
    EXPECT_EQ((std::vector<std::string>{"FX"}), menus.chosen);

    menus.saveEnabled = true;
    input::KeyPress('F');
    input::KeyPress('S');
    Settle();
    EXPECT_EQ((std::vector<std::string>{"FX", "FS"}), menus.chosen) << "the items are filled afresh";
}

TEST_F(MenuBarHolderTest, TheHotLetterOfAnItemDoesNotReachTheDialogItOpens) {
    std::string entered = "?";
    menus.onChoose = [&] {
        ZKTextEditDialog dialog(menus.hwnd, "Enter filename", "");
        input::KeyPress(VK_RETURN, '\r');
        if (dialog.DoModal() == 1) entered = dialog.Text();
    };
    input::KeyPress('O', 'o');
    input::KeyPress('G', 'g');
    Settle();
    EXPECT_EQ((std::vector<std::string>{"OG"}), menus.chosen);
    EXPECT_EQ("", entered);
}

TEST_F(MenuBarHolderTest, MovingToTheNeighboursByArrowsAndByHovering) {
    // Right through all three (the last has no right neighbour), Left back to the first (none on its left).
    input::KeyPress('F');
    input::KeyPress(VK_RIGHT);
    input::KeyPress(VK_RIGHT);
    input::KeyPress(VK_RIGHT);
    input::KeyPress(VK_LEFT);
    input::KeyPress(VK_LEFT);
    input::KeyPress(VK_LEFT);
    input::KeyPress(VK_ESCAPE);
    Settle();
    EXPECT_EQ((std::vector<std::string>{"F4", "O6", "D2", "O6", "F4"}), menus.opened);
    EXPECT_TRUE(menus.chosen.empty());

    // Hovering over another title moves there; over the open one's own title nothing changes.
    menus.opened.clear();
    input::Click(input::Button::Left, menus.TitlePoint(menus.file));
    input::MouseMove(menus.TitlePoint(menus.file));
    input::MouseMove(menus.TitlePoint(menus.device));
    input::KeyPress('C');
    Settle();
    EXPECT_EQ((std::vector<std::string>{"F4", "D2"}), menus.opened);
    EXPECT_EQ((std::vector<std::string>{"DC"}), menus.chosen);
}

TEST_F(MenuBarHolderTest, DisabledOrEmptyMenusDoNotOpen) {
    menus.options->button->SetEnabled(false);
    input::KeyPress('F');
    input::KeyPress(VK_RIGHT);  // the right neighbour is disabled: closes, opens nothing
    input::KeyPress('O');
    input::Click(input::Button::Left, menus.TitlePoint(menus.options));
    Settle();
    EXPECT_EQ((std::vector<std::string>{"F4"}), menus.opened);
    EXPECT_EQ((std::vector<LPARAM>{1, 0}), menus.states);

    menus.deviceEmpty = true;
    input::KeyPress('D');
    input::KeyPress('C');
    Settle();
    EXPECT_EQ((std::vector<std::string>{"F4", "D2"}), menus.opened);
    EXPECT_TRUE(menus.chosen.empty()) << "an empty menu neither opens nor chooses";
    EXPECT_EQ((std::vector<LPARAM>{1, 0}), menus.states);
}

TEST_F(MenuBarHolderTest, ClosedByAClickElsewhereOrALostCaptureAndTheChoiceLeadsOn) {
    input::KeyPress('F');
    input::Click(input::Button::Left, {650, 450});
    Settle();
    menus.whileOpen = [&] {
        EXPECT_EQ((std::vector<LPARAM>{1, 0, 1}), menus.states) << "the owner knows a popup is open";
        SetCapture(menus.hwnd);
    };
    input::KeyPress('O');
    Settle();
    ReleaseCapture();
    EXPECT_EQ((std::vector<std::string>{"F4", "O6"}), menus.opened);
    EXPECT_TRUE(menus.chosen.empty());
    EXPECT_EQ((std::vector<LPARAM>{1, 0, 1, 0}), menus.states);

    // The choose operation's answer opens that menu next.
    menus.openNext = menus.device;
    input::KeyPress('O');
    input::KeyPress('G');
    input::KeyPress('C');
    Settle();
    EXPECT_EQ((std::vector<std::string>{"OG", "DC"}), menus.chosen);
}

}  // namespace
