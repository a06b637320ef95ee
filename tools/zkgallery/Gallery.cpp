#include "Gallery.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "Common/ZKRegistry.h"
#include "Gui/IZKModalOwner.h"
#include "Gui/ZKButton.h"
#include "Gui/ZKCheckBox.h"
#include "Gui/ZKChooseDialog.h"
#include "Gui/ZKCopyDataCommand.h"
#include "Gui/ZKDC.h"
#include "Gui/ZKFileNameDialog.h"
#include "Gui/ZKGlobalOptions.h"
#include "Gui/ZKGlobalOptionsDialog.h"
#include "Gui/ZKListContainer.h"
#include "Gui/ZKMessageBox.h"
#include "Gui/ZKMessageEditBox.h"
#include "Gui/ZKOptionsNotice.h"
#include "Gui/ZKScrollableRichText.h"
#include "MenuWindow.h"
#include "Platform/CopyData.h"
#include "Platform/Input.h"
#include "Platform/MessageLoop.h"
#include "Platform/Window.h"

namespace {

using namespace zk;

// Colours of the gallery's own chrome; the end-to-end tests look for them on the screen.
constexpr ZKRGB kTitleFrom{30, 60, 120};
constexpr ZKRGB kTitleTo{90, 140, 210};
constexpr ZKRGB kWhite{255, 255, 255};
constexpr ZKRGB kBlack{0, 0, 0};
constexpr ZKRGB kGrey{128, 128, 128};
constexpr ZKRGB kTrackerBackground{224, 236, 248};
constexpr ZKRGB kBox{200, 40, 40};
constexpr ZKRGB kListBackground{255, 250, 232};

constexpr const char* kApplicationName = "zkgallery";
// The gallery's own copy-data commands (0 and 1 are each program's own): quit, and write the picture of
// every window into the folder that the argument names.
constexpr std::uint32_t kQuitCommand = 0;
constexpr std::uint32_t kSnapshotCommand = 1;

constexpr int kTitleHeight = 24;
constexpr int kBoxSize = 24;
constexpr size_t kListLines = 16;

// What a window paints into its client area.
using Painter = std::function<void(HWND, ZKDC&)>;

// The dialogs window stands in for the main window: it keeps the stack of the dialogs open over it.
struct GalleryModalOwner : IZKModalOwner {
    HWND main;
    ZKModalStack stack;
    HWND MainWindow() const override { return main; }
    ZKModalStack& ModalStack() override { return stack; }
    void ApplicationActiveChanged(bool) override { InvalidateRect(main, nullptr, true); }
};

struct Gallery {
    std::vector<std::pair<std::string, HWND>> windows;  // file name, window
    Point box{120, 150};                                // centre of the box in the input window's client
    std::deque<std::string> messages;
    HWND input;
    HWND list;
    std::unique_ptr<ZKScrollableRichText> textView;
    std::unique_ptr<ZKListContainer> log;
    std::unique_ptr<GalleryMenuWindow> menus;
    // The dialogs window: a button that asks a question in a message box, a check box, a flashing button.
    GalleryModalOwner modal;
    std::unique_ptr<ZKButton> askButton;
    std::unique_ptr<ZKButton> flashButton;
    std::unique_ptr<ZKCheckBox> checkBox;
    std::unique_ptr<ZKButton> editButton;
    std::unique_ptr<ZKButton> chooseButton;
    std::unique_ptr<ZKButton> severalButton;
    std::unique_ptr<ZKButton> optionsButton;
    // The display options, shared with the maker's other programs through the store and the notices.
    ZKRegistry registry{kApplicationName};
    ZKGlobalOptions options{registry};
    std::unique_ptr<ZKOptionsNotice> notice;
    CopyDataEndpoint endpoint;
    std::unique_ptr<ZKButton> noteButton;
    std::ostream* out = nullptr;
    // Runs inside the loop of whatever dialog is open when kRunStep arrives (snapshots of open dialogs).
    std::function<void()> step;

    void Log(const std::string& line, bool replaceMove = false) {
        if (replaceMove && !messages.empty() && messages.back().starts_with("WM_MOUSEMOVE"))
            messages.back() = line;
        else
            messages.push_back(line);
        while (messages.size() > kListLines)
            messages.pop_front();
        InvalidateRect(list, nullptr, true);
    }
};

void PaintTitle(HWND hwnd, ZKDC& dc) {
    const Rect client = GetClientRect(hwnd);
    dc.GradientFill({0, 0, client.right, kTitleHeight}, kTitleFrom, kTitleTo, false);
    dc.TextOut(8, 5, GetWindowText(hwnd), ZKFontSet::Normal, kWhite);
    dc.TextOut(client.right - 8, 5, "Esc quits", ZKFontSet::Small, kWhite, ZKDC::Align::Right);
}

// --- the fonts and shapes window ---

void PaintFontsAndShapes(HWND hwnd, ZKDC& dc) {
    const Rect client = GetClientRect(hwnd);
    dc.FillRect({0, kTitleHeight, client.right, client.bottom}, kWhite);
    PaintTitle(hwnd, dc);

    struct Sample {
        ZKFontSet::Which font;
        const char* name;
    };
    const Sample samples[] = {{ZKFontSet::Huge, "Huge"},
                              {ZKFontSet::Large, "Large"},
                              {ZKFontSet::Normal, "Normal"},
                              {ZKFontSet::Small, "Small"}};
    int y = kTitleHeight + 8;
    for (const Sample& s : samples) {
        const int height = dc.Fonts().Get(s.font).height;
        std::string text = std::string(s.name) + " " + std::to_string(height) + " px: " + ZKFontSet::Family();
        if (s.font != ZKFontSet::Huge) text += " 0123456789 \xC4\xD6\xDC\xDF \x80";  // umlauts, euro sign
        dc.TextOut(12, y, text, s.font, kBlack);
        y += height + 6;
    }
    dc.TextOut(client.right - 30, client.bottom - 12, "Vertical text", ZKFontSet::Vertical, kBlack);

    // Access letters and alignment.
    y += 4;
    dc.TextOut(12, y, "Connect", ZKFontSet::Normal, kBlack, ZKDC::Align::Left, 0);
    dc.TextOut(92, y, "Save log as...", ZKFontSet::Normal, kBlack, ZKDC::Align::Left, 5);
    dc.TextOut(client.right - 40, y, "right-aligned", ZKFontSet::Normal, kGrey, ZKDC::Align::Right);
    y += 26;

    // Gradients, one horizontal and one vertical, and the checkerboard brush.
    dc.GradientFill({12, y, 212, y + 40}, {255, 0, 0}, {0, 0, 255}, false);
    dc.GradientFill({224, y, 264, y + 120}, {0, 160, 0}, {255, 255, 0}, true);
    dc.FillCheckerboard({276, y, 340, y + 40}, kBlack, kWhite);

    // Frames and one-pixel lines.
    for (int i = 0; i < 4; ++i)
        dc.FrameRect({352 + 4 * i, y + 4 * i, 452 - 4 * i, y + 60 - 4 * i}, i % 2 ? kGrey : kBlack);
    for (int width = 1; width <= 3; ++width)
        dc.Line({12, y + 50 + 8 * width}, {212, y + 50 + 8 * width}, kBlack, width);
    dc.Line({12, y + 90}, {212, y + 120}, {0, 0, 160});

    // Ellipses: filled with an outline, outline only, fill only.
    dc.Ellipse({470, y, 550, y + 60}, ZKRGB{255, 200, 0}, kBlack);
    dc.Ellipse({560, y, 600, y + 60}, std::nullopt, ZKRGB{0, 0, 200});
    dc.Ellipse({352, y + 70, 452, y + 120}, ZKRGB{0, 170, 170}, std::nullopt);
}

// --- the colour slot window ---

void PaintColourSlots(HWND hwnd, ZKDC& dc) {
    constexpr int kColumns = 8;
    constexpr int kCellWidth = 42;
    constexpr int kCellHeight = 22;
    constexpr int kPanelWidth = kColumns * kCellWidth + 16;
    const Rect client = GetClientRect(hwnd);
    PaintTitle(hwnd, dc);
    struct Panel {
        ZKColourScheme scheme;
        const char* name;
    };
    const Panel panels[] = {{ZKColourScheme::Dark, "Dark scheme"},
                            {ZKColourScheme::Light, "Light scheme"},
                            {ZKColourScheme::Printer, "Printer scheme"}};
    int left = 0;
    for (const Panel& panel : panels) {
        const ZKRGB background = ZKGDI::Colour(panel.scheme, false, 5);
        const ZKRGB text = ZKGDI::Colour(panel.scheme, false, 0);
        dc.FillRect({left, kTitleHeight, left + kPanelWidth, client.bottom}, background);
        dc.TextOut(left + 8, kTitleHeight + 6, panel.name, ZKFontSet::Large, text);
        const int top = kTitleHeight + 40;
        for (int slot = 0; slot < ZKGDI::kSlotCount; ++slot) {
            const int x = left + 8 + (slot % kColumns) * kCellWidth;
            const int y = top + (slot / kColumns) * kCellHeight;
            dc.FillRect({x, y + 2, x + 16, y + 18}, ZKGDI::Colour(panel.scheme, false, slot));
            dc.FrameRect({x, y + 2, x + 16, y + 18}, kGrey);
            dc.TextOut(x + 19, y + 4, std::to_string(slot), ZKFontSet::Small, text);
        }
        // The colour-blind option changes the warning colour.
        const int y = top + 10 * kCellHeight + 4;
        dc.TextOut(left + 8, y + 2, "Colour-blind warning (37):", ZKFontSet::Small, text);
        dc.FillRect({left + 160, y, left + 176, y + 16}, ZKGDI::Colour(panel.scheme, true, 37));
        dc.FrameRect({left + 160, y, left + 176, y + 16}, kGrey);
        left += kPanelWidth;
    }
}

// --- the input window and its message list ---

std::string Describe(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point p = LParamToPoint(lParam);
    const std::string at = " " + std::to_string(p.x) + "," + std::to_string(p.y);
    switch (message) {
        case WM_MOUSEMOVE:
            return "WM_MOUSEMOVE" + at;
        case WM_LBUTTONDOWN:
            return "WM_LBUTTONDOWN" + at;
        case WM_LBUTTONUP:
            return "WM_LBUTTONUP" + at;
        case WM_LBUTTONDBLCLK:
            return "WM_LBUTTONDBLCLK" + at;
        case WM_RBUTTONDOWN:
            return "WM_RBUTTONDOWN" + at;
        case WM_RBUTTONUP:
            return "WM_RBUTTONUP" + at;
        case WM_MBUTTONDOWN:
            return "WM_MBUTTONDOWN" + at;
        case WM_MBUTTONUP:
            return "WM_MBUTTONUP" + at;
        case WM_MOUSEWHEEL:
            return "WM_MOUSEWHEEL " + std::to_string(GET_WHEEL_DELTA_WPARAM(wParam));
        case WM_MOUSELEAVE:
            return "WM_MOUSELEAVE";
        case WM_KEYDOWN:
            return "WM_KEYDOWN vk " + std::to_string(wParam);
        case WM_KEYUP:
            return "WM_KEYUP vk " + std::to_string(wParam);
        case WM_SYSKEYDOWN:
            return "WM_SYSKEYDOWN vk " + std::to_string(wParam);
        case WM_SYSKEYUP:
            return "WM_SYSKEYUP vk " + std::to_string(wParam);
        case WM_CHAR:
            return "WM_CHAR " + std::to_string(wParam) +
                   (wParam >= 0x20 ? " '" + std::string(1, static_cast<char>(wParam)) + "'" : "");
        default:
            return {};
    }
}

void PaintInput(Gallery& g, HWND hwnd, ZKDC& dc) {
    const Rect client = GetClientRect(hwnd);
    dc.FillRect({0, kTitleHeight, client.right, client.bottom}, kTrackerBackground);
    PaintTitle(hwnd, dc);
    dc.TextOut(8, kTitleHeight + 6, "Move the mouse, click, type.", ZKFontSet::Small, kBlack);
    const Rect box{g.box.x - kBoxSize / 2, g.box.y - kBoxSize / 2, g.box.x + kBoxSize / 2,
                   g.box.y + kBoxSize / 2};
    dc.FillRect(box, kBox);
    dc.FrameRect(box, kBlack);
}

void PaintList(Gallery& g, HWND hwnd, ZKDC& dc) {
    const Rect client = GetClientRect(hwnd);
    dc.FillRect(client, kListBackground);
    dc.FrameRect(client, kGrey);
    int y = 4;
    for (const std::string& line : g.messages) {
        dc.TextOut(6, y, line, ZKFontSet::Small, kBlack);
        y += 14;
    }
}

bool HandleInput(Gallery& g, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::string line = Describe(message, wParam, lParam);
    if (line.empty()) return false;
    if (message == WM_MOUSEMOVE) {
        const Point p = LParamToPoint(lParam);
        if (p.y >= kTitleHeight + kBoxSize / 2) {
            // The old and the new place of the box need painting.
            Rect old{g.box.x - kBoxSize / 2, g.box.y - kBoxSize / 2, g.box.x + kBoxSize / 2 + 1,
                     g.box.y + kBoxSize / 2 + 1};
            InvalidateRect(hwnd, &old, true);
            g.box = p;
            const Rect now{p.x - kBoxSize / 2, p.y - kBoxSize / 2, p.x + kBoxSize / 2 + 1,
                           p.y + kBoxSize / 2 + 1};
            InvalidateRect(hwnd, &now, true);
        }
        TrackMouseEvent(TME_LEAVE, hwnd);
    }
    if (message == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_ESCAPE)) PostQuitMessage(0);
    g.Log(line, message == WM_MOUSEMOVE);
    return message != WM_KEYDOWN || wParam != static_cast<WPARAM>(VK_ESCAPE);
}

// --- the scrollable rich-text window ---

// A text long enough to need the scroll bar, in colours, indented and justified.
const char* const kLongText =
    "$cbScrollable rich text$n"
    "$cwThis view wraps its text to the window's width. When the text is taller than the window, a scroll "
    "bar appears at the left edge and the text moves right beside it.$n$n"
    "$cgColours:$cw $crred $cyyellow $cggreen $cccyan $cbblue $cegrey $cwand the default.$n"
    // An indent code moves its own line and the lines after it.
    "$cgIndent:$n$cw$i1one step in,$n$i2two steps in,$n$i0and back.$n"
    "name$jrvalue flush right$n"
    "$jcA centred line$n"
    "$jl$cgScrolling:$cw click an arrow for a tenth of a page, the trough beside the thumb for a page, or "
    "drag the thumb. Holding an arrow repeats after half a second, ten times a second.$n$n"
    "Line 1$nLine 2$nLine 3$nLine 4$nLine 5$nLine 6$nLine 7$nLine 8$nLine 9$nLine 10$n"
    "$crThe end.";

void PaintTextWindow(HWND hwnd, ZKDC& dc) {
    const Rect client = GetClientRect(hwnd);
    dc.FillRect({0, kTitleHeight, client.right, client.bottom}, dc.Colour(5));
    PaintTitle(hwnd, dc);
}

// --- display options and the copy-data commands ---

// Writes every window's picture into `folder`, after painting what is pending; false when one failed.
bool WriteSnapshots(Gallery& g, const std::string& folder) {
    bool ok = true;
    for (const auto& [file, hwnd] : g.windows) {
        UpdateWindow(hwnd);
        ok = SaveWindowPng(hwnd, folder + "/" + file + ".png") && ok;
    }
    return ok;
}

// A scheme or colour-blind change shows in every window and open dialog at once; the log lays its rows out
// again first.
LRESULT OnCopyData(Gallery& g, const COPYDATASTRUCT& data) {
    const auto parsed = ZKCopyDataCommand::Parse(data);
    if (!parsed) return 0;
    if (parsed->command == kQuitCommand) {
        PostQuitMessage(0);
        return 1;
    }
    if (parsed->command == kSnapshotCommand) {
        const auto* text = reinterpret_cast<const char*>(parsed->argument.data());
        const std::string folder(text, std::find(text, text + parsed->argument.size(), '\0'));
        return WriteSnapshots(g, folder) ? 1 : 0;
    }
    const auto remeasure = [&g] {
        if (g.log) g.log->Remeasure();
    };
    std::vector<HWND> windows;
    for (const auto& window : g.windows)
        windows.push_back(window.second);
    const auto& dialogs = g.modal.stack.Windows();
    windows.insert(windows.end(), dialogs.begin(), dialogs.end());
    return ZKOptionsNotice::Apply(g.options, windows, parsed->command, remeasure) ? 1 : 0;
}

// Puts the stored options in force and listens for the maker's other programs; the gallery works without
// the endpoint, only deaf to them.
void ListenToOtherPrograms(Gallery& g, std::ostream& err) {
    std::string error;
    if (!g.endpoint.Open(g.modal.main, error)) err << "zkgallery: no copy-data endpoint: " << error << "\n";
    g.notice = std::make_unique<ZKOptionsNotice>(g.options, g.registry, g.modal.main);
}

// --- windows ---

HWND MakeWindow(Gallery& g, const std::string& file, const std::string& title, Rect r, Painter paint,
                std::function<bool(HWND, UINT, WPARAM, LPARAM)> input = {}) {
    WindowCreateParams p;
    p.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    p.classStyle = CS_DBLCLKS;
    p.title = title;
    p.x = r.left;
    p.y = r.top;
    p.cx = r.Width();
    p.cy = r.Height();
    p.proc = [&g, paint, input](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        switch (m) {
            case WM_PAINT: {
                PAINTSTRUCT ps;
                BeginPaint(h, ps);
                {
                    ZKDC dc(ps);
                    paint(h, dc);
                }
                EndPaint(h, ps);
                return 0;
            }
            case WM_ERASEBKGND:
                return 1;  // the paint covers everything
            case WMU_MODAL_OWNER:
                return g.modal.main ? g.modal.AnswerQuery() : 0;
            case WM_COPYDATA:
                return OnCopyData(g, *reinterpret_cast<const COPYDATASTRUCT*>(l));
            case WM_NCHITTEST: {
                // The title strip drags the window.
                const Point client = ScreenToClient(h, LParamToPoint(l));
                if (GetClientRect(h).Contains(client)) return client.y < kTitleHeight ? HTCAPTION : HTCLIENT;
                return HTNOWHERE;
            }
            case WM_KEYDOWN:
                if (w == static_cast<WPARAM>(VK_ESCAPE) && !input) PostQuitMessage(0);
                break;
            case WM_DESTROY:
                std::erase_if(g.windows, [h](const auto& entry) { return entry.second == h; });
                if (g.windows.empty()) PostQuitMessage(0);
                return 0;
            default:
                break;
        }
        if (input && input(h, m, w, l)) return 0;
        return DefWindowProc(h, m, w, l);
    };
    const HWND hwnd = CreateWindowEx(p);
    if (hwnd) g.windows.emplace_back(file, hwnd);
    return hwnd;
}

HWND MakeList(Gallery& g, HWND parent, Rect r) {
    WindowCreateParams p;
    p.style = WS_CHILD | WS_VISIBLE;
    p.parent = parent;
    p.x = r.left;
    p.y = r.top;
    p.cx = r.Width();
    p.cy = r.Height();
    p.proc = [&g](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(h, ps);
            {
                ZKDC dc(ps);
                PaintList(g, h, dc);
            }
            EndPaint(h, ps);
            return 0;
        }
        if (m == WM_ERASEBKGND) return 1;
        return DefWindowProc(h, m, w, l);
    };
    return CreateWindowEx(p);
}

// A device's messages as the main window logs them: a batch of rows, then one Update that shows the end.
void FillLog(ZKListContainer& log) {
    log.AddFormatted("$cgDEVICE :$t%s #%d", "ZK-PDU 12", 4711);
    log.AddFormatted("$cgIDENTITY :$t%s", "front left");
    for (int i = 1; i <= 24; ++i) {
        if (i % 7 == 0)
            log.AddFormatted("$cr%05d fuse %d open", i * 250, i / 7);
        else
            log.AddFormatted("$cw%05d channel %d$t%d.%d V", i * 250, i % 5, 11 + i % 3, i % 10);
    }
    log.Update();
}

// --- the dialogs window ---

constexpr UINT kRunStep = WM_USER + 0x70;

// Asks a yes/no question in a message box and prints the answer: "message box: 3" for Yes, 1 for No.
void AskQuestion(Gallery& g) {
    ZKMessageBox box(g.modal.main, "$cbZelkMsg",
                     "Save the log before closing?$n$nY answers Yes; N or Escape answers No.",
                     ZKMessageBoxButtons::kYesNo);
    const int result = box.DoModal();
    if (g.out) *g.out << "message box: " << result << std::endl;
}

// Asks for a file name and prints "edit dialog: 1 <name>" after OK, "edit dialog: 0" after Cancel.
void AskFileName(Gallery& g) {
    ZKFileNameDialog dialog(g.modal.main, "Enter filename", "log");
    const int result = dialog.DoModal();
    if (g.out) *g.out << "edit dialog: " << result << (result ? " " + dialog.Text() : "") << std::endl;
}

// Asks for a note of several lines in the message box that edits text; prints "edit box: 2 <text>" after
// Ok (line breaks as "\n"), "edit box: 0" after Cancel.
void AskNote(Gallery& g) {
    ZKMessageEditBox box(g.modal.main, "$cbNote for the log", "Test bench 3\nShift: morning",
                         ZKMessageBoxButtons::kOkCancel);
    const int result = box.DoModal();
    if (!g.out) return;
    std::string text;
    for (const char ch : box.Text())
        text += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    *g.out << "edit box: " << result << (result ? " " + text : "") << std::endl;
}

// Devices as a device chooser lists them; the disabled one cannot be chosen.
void AddDeviceChoices(ZKChooseDialog& dialog) {
    dialog.AddChoice({"ZK-PDU 12#4711 2-15-83 front left", 4711});
    dialog.AddChoice({"ZK-PDU 12#4712 2-15-83 front right", 4712});
    dialog.AddChoice({"ZK-ECU 7#0815 1-9-2 engine", 815, false});
    dialog.AddChoice({"ZK-ECU 7#0816 1-9-2 gearbox", 816, true, ZKRGB{255, 128, 0}});
}

// Lets the user pick a device; prints "choose dialog: 1 <serial>" or "choose dialog: 0".
void AskChoice(Gallery& g) {
    ZKChooseDialog dialog(g.modal.main,
                          "$cbHow do you wish to access this device$n$cwType to narrow the list");
    AddDeviceChoices(dialog);
    const int result = dialog.DoModal();
    if (g.out)
        *g.out << "choose dialog: " << result << (result ? " " + std::to_string(dialog.ChosenValue()) : "")
               << std::endl;
}

// Lets the user pick several devices (Ctrl or Shift); prints "multi select: 1 <serial> ..." or
// "multi select: 0".
void AskSeveral(Gallery& g) {
    ZKMultiSelectDialog dialog(g.modal.main, "$cbWhich devices$n$cwCtrl and Shift choose several");
    AddDeviceChoices(dialog);
    const int result = dialog.DoModal();
    if (!g.out) return;
    *g.out << "multi select: " << result;
    for (const std::intptr_t value : result ? dialog.ChosenValues() : std::vector<std::intptr_t>{})
        *g.out << " " << value;
    *g.out << std::endl;
}

// The global options dialog; prints "global options: 1" after OK, "global options: 0" after Cancel.
void EditGlobalOptions(Gallery& g) {
    ZKGlobalOptionsDialog dialog(g.modal.main, g.options, kApplicationName);
    const int result = dialog.DoModal();
    if (g.out) *g.out << "global options: " << result << std::endl;
}

bool HandleDialogsInput(Gallery& g, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WMU_CONTROL_NOTIFY:
            if (reinterpret_cast<const ZKControl*>(lParam) == g.editButton.get()) AskFileName(g);
            if (reinterpret_cast<const ZKControl*>(lParam) == g.chooseButton.get()) AskChoice(g);
            if (reinterpret_cast<const ZKControl*>(lParam) == g.severalButton.get()) AskSeveral(g);
            if (reinterpret_cast<const ZKControl*>(lParam) == g.askButton.get()) AskQuestion(g);
            if (reinterpret_cast<const ZKControl*>(lParam) == g.optionsButton.get()) EditGlobalOptions(g);
            if (reinterpret_cast<const ZKControl*>(lParam) == g.noteButton.get()) AskNote(g);
            if (reinterpret_cast<const ZKControl*>(lParam) == g.checkBox.get())
                g.flashButton->SetFlash(g.checkBox->Ticked());
            return true;
        case WM_CHAR:
            if (wParam == 'm' || wParam == 'M') AskQuestion(g);
            if (wParam == 'e' || wParam == 'E') AskFileName(g);
            if (wParam == 'c' || wParam == 'C') AskChoice(g);
            if (wParam == 's' || wParam == 'S') AskSeveral(g);
            if (wParam == 'g' || wParam == 'G') EditGlobalOptions(g);
            if (wParam == 'n' || wParam == 'N') AskNote(g);
            return true;
        case WM_KEYDOWN:
            if (wParam == static_cast<WPARAM>(VK_ESCAPE)) PostQuitMessage(0);
            return true;
        case kRunStep:
            if (g.step) std::exchange(g.step, {})();
            return true;
        default:
            return false;
    }
}

void PaintDialogsWindow(HWND hwnd, ZKDC& dc) {
    const Rect client = GetClientRect(hwnd);
    dc.FillRect({0, kTitleHeight, client.right, client.bottom}, dc.Colour(5));
    PaintTitle(hwnd, dc);
    dc.TextOut(12, client.bottom - 24,
               "Click a button or type its letter; the answer goes to standard output.", ZKFontSet::Small,
               dc.Colour(0));
}

bool OpenDialogsWindow(Gallery& g) {
    const HWND dialogs =
        MakeWindow(g, "dialogs", "Dialogs", {760, 770, 1260, 1000}, PaintDialogsWindow,
                   [&g](HWND, UINT m, WPARAM w, LPARAM l) { return HandleDialogsInput(g, m, w, l); });
    if (!dialogs) return false;
    g.modal.main = dialogs;
    g.askButton = std::make_unique<ZKButton>("Message box", 'M');
    g.flashButton = std::make_unique<ZKButton>("Device", 'D');
    g.checkBox = std::make_unique<ZKCheckBox>("Flash the Device button", 'F');
    const Size ask = g.askButton->PreferredSize();
    const Size flash = g.flashButton->PreferredSize();
    const Size check = g.checkBox->PreferredSize();
    if (!g.askButton->Create(dialogs, {12, 40, 12 + ask.cx, 40 + ask.cy}) ||
        !g.flashButton->Create(dialogs, {200, 40, 200 + flash.cx, 40 + flash.cy}) ||
        !g.checkBox->Create(dialogs, {12, 80, 12 + check.cx, 80 + check.cy}))
        return false;
    g.editButton = std::make_unique<ZKButton>("Text entry", 'E');
    g.chooseButton = std::make_unique<ZKButton>("Choose", 'C');
    const Size edit = g.editButton->PreferredSize();
    g.severalButton = std::make_unique<ZKButton>("Choose several", 'S');
    const Size choose = g.chooseButton->PreferredSize();
    const Size several = g.severalButton->PreferredSize();
    if (!g.editButton->Create(dialogs, {12, 120, 12 + edit.cx, 120 + edit.cy}) ||
        !g.chooseButton->Create(dialogs, {200, 120, 200 + choose.cx, 120 + choose.cy}) ||
        !g.severalButton->Create(dialogs, {300, 120, 300 + several.cx, 120 + several.cy}))
        return false;
    g.optionsButton = std::make_unique<ZKButton>("Global Options", 'G');
    const Size options = g.optionsButton->PreferredSize();
    if (!g.optionsButton->Create(dialogs, {300, 40, 300 + options.cx, 40 + options.cy})) return false;
    g.noteButton = std::make_unique<ZKButton>("Note", 'N');
    const Size note = g.noteButton->PreferredSize();
    if (!g.noteButton->Create(dialogs, {420, 40, 420 + note.cx, 40 + note.cy})) return false;
    g.checkBox->SetTicked(true);
    g.flashButton->SetFlash(true);
    return true;
}

// Opens the message box, writes what it shows to `path`, and answers it.
bool SnapshotMessageBox(Gallery& g, const std::string& path) {
    bool saved = false;
    ZKMessageBox box(g.modal.main, "$cbZelkMsg", "Save the log before closing?", ZKMessageBoxButtons::kYesNo);
    g.step = [&] {
        PumpPendingMessages();
        saved = SaveWindowPng(box.Window(), path);
        box.EndDialog(ZKMessageBoxButtons::kResultNo);
    };
    PostMessage(g.modal.main, kRunStep, 0, 0);
    box.DoModal();
    return saved;
}

// The entry dialogs as they look in the light and in the dark scheme.
struct DarkScheme {
    DarkScheme() {
        ZKGDI::SetOptionsSource([] { return ZKSchemeOptions{false, false}; });
    }
    ~DarkScheme() { ZKGDI::SetOptionsSource(nullptr); }
};

// Opens `dialog`, lets `prepare` act inside its loop, writes what it shows to `path` and cancels it.
template <class TDialog>
bool SnapshotDialog(Gallery& g, TDialog& dialog, const std::string& path,
                    const std::function<void()>& prepare) {
    bool saved = false;
    g.step = [&] {
        prepare();
        PumpPendingMessages();
        saved = SaveWindowPng(dialog.Window(), path);
        dialog.EndDialog(0);
    };
    PostMessage(g.modal.main, kRunStep, 0, 0);
    dialog.DoModal();
    return saved;
}

// Opens the note box with a caret moved into its text, writes the screen around it (the box, its shadow
// and the dialogs window below) to `path`, and cancels it.
bool SnapshotNoteBox(Gallery& g, const std::string& path) {
    ZKMessageEditBox box(g.modal.main, "$cbNote for the log", "Test bench 3\nShift: morning",
                         ZKMessageBoxButtons::kOkCancel);
    bool saved = false;
    g.step = [&] {
        input::KeyPress(VK_UP);
        PumpPendingMessages();
        const Rect r = GetWindowRect(box.Window());
        cairo_surface_t* screen = CopyScreenSurface({r.left - 12, r.top - 12, r.right + 12, r.bottom + 12});
        saved = cairo_surface_write_to_png(screen, path.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(screen);
        box.EndDialog(ZKMessageBoxButtons::kResultCancel);
    };
    PostMessage(g.modal.main, kRunStep, 0, 0);
    box.DoModal();
    return saved;
}

// editdialog.png, choose.png and editbox.png, and their "-dark" twins: the file name dialog with the default
// name, and the choose dialog narrowed by a typed "pdu".
std::vector<std::string> SnapshotEntryDialogs(Gallery& g, const std::string& folder) {
    std::vector<std::string> written;
    for (const bool dark : {false, true}) {
        std::optional<DarkScheme> scheme;
        if (dark) scheme.emplace();
        const std::string suffix = dark ? "-dark.png" : ".png";
        ZKFileNameDialog edit(g.modal.main, "Enter filename", "log");
        if (SnapshotDialog(g, edit, folder + "/editdialog" + suffix, [] { input::Char('s'); }))
            written.push_back(folder + "/editdialog" + suffix);
        ZKChooseDialog choose(g.modal.main, "$cbHow do you wish to access this device");
        AddDeviceChoices(choose);
        const auto type = [] {
            for (const char ch : std::string("pdu"))
                input::Char(static_cast<unsigned char>(ch));
        };
        if (SnapshotDialog(g, choose, folder + "/choose" + suffix, type))
            written.push_back(folder + "/choose" + suffix);
        if (SnapshotNoteBox(g, folder + "/editbox" + suffix)) written.push_back(folder + "/editbox" + suffix);
    }
    return written;
}

// globaloptions.png and globaloptions-dark.png; the dark twin shows the scheme's box unticked.
std::vector<std::string> SnapshotGlobalOptions(Gallery& g, const std::string& folder) {
    std::vector<std::string> written;
    for (const bool dark : {false, true}) {
        std::optional<DarkScheme> scheme;
        if (dark) scheme.emplace();
        const std::string path = folder + (dark ? "/globaloptions-dark.png" : "/globaloptions.png");
        ZKGlobalOptionsDialog dialog(g.modal.main, g.options, kApplicationName);
        if (SnapshotDialog(g, dialog, path, [dark] {
                if (dark) input::Char('b');
            }))
            written.push_back(path);
    }
    return written;
}

bool OpenWindows(Gallery& g) {
    MakeWindow(g, "fonts", "Fonts and shapes", {20, 20, 660, 400}, PaintFontsAndShapes);
    MakeWindow(g, "colours", "Colour slots", {20, 420, 20 + 3 * (8 * 42 + 16), 420 + 330}, PaintColourSlots);
    g.input = MakeWindow(
        g, "input", "Input", {680, 20, 1180, 340}, [&g](HWND h, ZKDC& dc) { PaintInput(g, h, dc); },
        [&g](HWND h, UINT m, WPARAM w, LPARAM l) { return HandleInput(g, h, m, w, l); });
    if (!g.input) return false;
    g.list = MakeList(g, g.input, {260, kTitleHeight + 8, 492, 312});
    const HWND text = MakeWindow(g, "text", "Scrollable rich text", {20, 770, 580, 1010}, PaintTextWindow);
    if (!text) return false;
    g.textView = std::make_unique<ZKScrollableRichText>(kLongText);
    const Rect client = GetClientRect(text);
    if (!g.textView->Create(text, {8, kTitleHeight + 8, client.right - 8, client.bottom - 8})) return false;
    const HWND log = MakeWindow(g, "log", "Message log", {1200, 20, 1700, 340}, PaintTextWindow);
    if (!log) return false;
    g.log = std::make_unique<ZKListContainer>();
    const Rect logClient = GetClientRect(log);
    if (!g.log->Create(log, {8, kTitleHeight + 8, logClient.right - 8, logClient.bottom - 8})) return false;
    FillLog(*g.log);
    g.menus = std::make_unique<GalleryMenuWindow>(*g.out, [&g](HWND h) {
        std::erase_if(g.windows, [h](const auto& entry) { return entry.second == h; });
        if (g.windows.empty()) PostQuitMessage(0);
    });
    if (!g.menus->Create({1080, 360, 1276, 700})) return false;
    g.windows.emplace_back("menus", g.menus->Window());
    // Last, so that it is the active window that keys go to.
    if (!OpenDialogsWindow(g)) return false;
    return g.windows.size() == 7 && g.list;
}

// Shows the input window's reaction: a mouse move, a click, a wheel turn and a key.
void InjectSampleInput(const Gallery& g) {
    const Point at = ClientToScreen(g.input, {150, 200});
    input::MouseMove(ClientToScreen(g.input, {100, 120}));
    input::MouseMove(at);
    input::Click(input::Button::Left, at);
    input::Wheel(-WHEEL_DELTA, at);
    input::KeyPress('A', 'a');
}

}  // namespace

int RunGallery(const GalleryOptions& options, std::ostream& out, std::ostream& err) {
    if (options.snapshotDir) {
        std::error_code error;
        std::filesystem::create_directories(*options.snapshotDir, error);
        if (error) {
            err << "zkgallery: cannot create " << *options.snapshotDir << ": " << error.message() << "\n";
            return 1;
        }
    }
    WindowSystemOptions system;
    if (options.snapshotDir || options.headless) system.backend = BackendChoice::Headless;
    if (!InitWindowSystem(system)) {
        err << "zkgallery: the window system does not start\n";
        return 1;
    }
    if (!options.snapshotDir && !options.headless && CurrentBackend() == BackendChoice::Headless) {
        ShutdownWindowSystem();
        err << "zkgallery: there is no display (DISPLAY or WAYLAND_DISPLAY) to show the windows on; use "
               "--snapshot DIR to write them as pictures, or run it under xvfb-run\n";
        return 1;
    }
    int code = 0;
    {
        Gallery g;
        g.out = &out;
        // Snapshots show the default (light) scheme and the dark twins, whatever the store says.
        if (!options.snapshotDir) {
            g.options.Reload();
            g.options.Install();
        }
        if (!OpenWindows(g)) {
            err << "zkgallery: cannot open the windows\n";
            code = 1;
        } else if (options.snapshotDir) {
            InjectSampleInput(g);
            PumpPendingMessages();
            for (const auto& [file, hwnd] : g.windows) {
                const std::string path = *options.snapshotDir + "/" + file + ".png";
                if (!SaveWindowPng(hwnd, path)) {
                    err << "zkgallery: cannot write " << path << "\n";
                    code = 1;
                } else {
                    out << path << "\n";
                }
            }
            const std::vector<std::string> entry = SnapshotEntryDialogs(g, *options.snapshotDir);
            for (const std::string& path : entry)
                out << path << "\n";
            if (entry.size() != 6) {
                err << "zkgallery: cannot write the entry dialogs' pictures\n";
                code = 1;
            }
            const std::vector<std::string> globalOptions = SnapshotGlobalOptions(g, *options.snapshotDir);
            for (const std::string& path : globalOptions)
                out << path << "\n";
            if (globalOptions.size() != 2) {
                err << "zkgallery: cannot write the global options dialog's pictures\n";
                code = 1;
            }
            const std::string boxPath = *options.snapshotDir + "/messagebox.png";
            if (!SnapshotMessageBox(g, boxPath)) {
                err << "zkgallery: cannot write " << boxPath << "\n";
                code = 1;
            } else {
                out << boxPath << "\n";
            }
            const std::string menu = *options.snapshotDir + "/menu.png";
            if (!g.menus->SnapshotOpenMenu(menu)) {
                err << "zkgallery: cannot write " << menu << "\n";
                code = 1;
            } else {
                out << menu << "\n";
            }
        } else {
            ListenToOtherPrograms(g, err);
            CMessageLoop loop;
            code = loop.Run();
        }
        g.notice.reset();
        g.endpoint.Close();
        ShutdownWindowSystem();
    }
    return code;
}
