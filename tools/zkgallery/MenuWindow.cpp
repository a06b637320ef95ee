#include "MenuWindow.h"

#include <ostream>

#include "Gui/ZKDC.h"
#include "Platform/Input.h"

using namespace zk;

namespace {

constexpr ZKRGB kTitleFrom{30, 60, 120};
constexpr ZKRGB kTitleTo{90, 140, 210};
constexpr ZKRGB kWhite{255, 255, 255};
constexpr std::uintptr_t kSnapshotTimer = 1;
constexpr UINT kSnapshotDelayMs = 50;

std::unique_ptr<ZKPopupMenuItem> Item(const char* text, char key, bool enabled = true) {
    return std::make_unique<ZKPopupMenuItem>(std::string(1, key), text, key, enabled);
}

}  // namespace

GalleryMenuWindow::GalleryMenuWindow(std::ostream& out, std::function<void(HWND)> onDestroy)
    : out_(out), onDestroy_(std::move(onDestroy)) {}

GalleryMenuWindow::~GalleryMenuWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool GalleryMenuWindow::Create(const Rect& screen) {
    WindowCreateParams p;
    p.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    p.title = "Menus";
    p.x = screen.left;
    p.y = screen.top;
    p.cx = screen.Width();
    p.cy = screen.Height();
    p.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) { return Proc(h, m, w, l); };
    hwnd_ = CreateWindowEx(p);
    if (!hwnd_ || !bar_.Create(hwnd_, {0, kTitleHeight, screen.Width(), kTitleHeight + kBarHeight}))
        return false;
    file_ = AddMenu(bar_, "File", 'F', &GalleryMenuWindow::FillFile, &GalleryMenuWindow::Choose);
    AddMenu(bar_, "View", 'V', &GalleryMenuWindow::FillView, &GalleryMenuWindow::Choose);
    AddMenu(bar_, "Help", 'H', &GalleryMenuWindow::FillHelp, &GalleryMenuWindow::Choose);
    return file_ != nullptr;
}

void GalleryMenuWindow::FillFile(ZKListBoxContents& items, DWORD) {
    items.Append(Item("Open", 'O'));
    items.Append(Item("Save", 'S', false));
    items.Append(ZKPopupMenuItem::Separator());
    items.Append(Item("eXit", 'X'));
    if (!snapshotPath_.empty()) SetTimer(hwnd_, kSnapshotTimer, kSnapshotDelayMs);
}

void GalleryMenuWindow::FillView(ZKListBoxContents& items, DWORD) {
    items.Append(Item("Fonts", 'F'));
    items.Append(Item("Colours", 'C'));
}

void GalleryMenuWindow::FillHelp(ZKListBoxContents& items, DWORD) {
    items.Append(Item("About", 'A'));
}

const GalleryMenuWindow::Entry* GalleryMenuWindow::Choose(ZKListBoxContents& items, int, const Entry& entry) {
    const auto& item = static_cast<const ZKPopupMenuItem&>(items.At(items.Current()));
    const std::string title = entry.button->Text();
    last_ = title + " > " + item.Text();
    out_ << "menu: " << entry.key << " " << item.Key() << " " << item.Text() << std::endl;
    InvalidateRect(hwnd_, nullptr, true);
    if (entry.key == 'F' && item.Key() == 'X') PostQuitMessage(0);
    return nullptr;
}

bool GalleryMenuWindow::SnapshotOpenMenu(const std::string& path) {
    snapshotPath_ = path;
    input::KeyPress(VK_DOWN);
    OpenMenu(*file_);
    snapshotPath_.clear();
    return snapshotWritten_;
}

void GalleryMenuWindow::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, ps);
    {
        ZKDC dc(ps);
        const Rect client = GetClientRect(hwnd);
        dc.GradientFill({0, 0, client.right, kTitleHeight}, kTitleFrom, kTitleTo, false);
        dc.TextOut(8, 5, GetWindowText(hwnd), ZKFontSet::Normal, kWhite);
        dc.FillRect({0, kTitleHeight + kBarHeight, client.right, client.bottom}, dc.Colour(5));
        dc.TextOut(8, kTitleHeight + kBarHeight + 10, last_, ZKFontSet::Normal, dc.Colour(0));
        dc.TextOut(8, kTitleHeight + kBarHeight + 30, popupOpen_ ? "a menu is open" : "", ZKFontSet::Small,
                   dc.Colour(1));
    }
    EndPaint(hwnd, ps);
}

LRESULT GalleryMenuWindow::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    LRESULT result = 0;
    if (HandleMenuMessage(m, w, l, result)) return result;
    switch (m) {
        case WM_PAINT:
            Paint(h);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST: {
            const Point client = ScreenToClient(h, LParamToPoint(l));
            if (!GetClientRect(h).Contains(client)) return HTNOWHERE;
            return client.y < kTitleHeight ? HTCAPTION : HTCLIENT;
        }
        case WM_KEYDOWN:
            if (w == static_cast<WPARAM>(VK_ESCAPE))
                PostQuitMessage(0);
            else
                MenuKey(static_cast<int>(w));
            return 0;
        case WMU_POPUP_STATE:
            popupOpen_ = l != 0;
            InvalidateRect(h, nullptr, true);
            return 0;
        case WM_TIMER:
            if (w != kSnapshotTimer) break;
            // Runs inside the open popup's loop: the popup holds the capture.
            KillTimer(h, kSnapshotTimer);
            snapshotWritten_ = GetCapture() && SaveWindowPng(GetCapture(), snapshotPath_);
            input::KeyPress(VK_ESCAPE);
            return 0;
        case WM_DESTROY:
            if (onDestroy_) onDestroy_(h);
            return 0;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}
