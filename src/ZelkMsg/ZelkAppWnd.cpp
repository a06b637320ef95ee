#include "ZelkMsg/ZelkAppWnd.h"

#include <algorithm>
#include <cstdio>

#include "Common/ZKRegistry.h"
#include "Common/device/ZKServer.h"
#include "Gui/ZKCopyDataCommand.h"
#include "Platform/Process.h"
#include "Platform/ZKAssert.h"
#include "ZelkMsg/ZelkMsgVersion.h"

namespace {

constexpr int kBandLeftSlot = 16;
constexpr int kBandRightSlot = 13;
constexpr int kInactiveBandLeftSlot = 20;
constexpr int kInactiveBandRightSlot = 21;
constexpr int kFrameSlot = 18;
constexpr int kInactiveFrameSlot = 12;
constexpr int kBackgroundSlot = 5;
constexpr int kTitleSlot = 0;
constexpr int kButtonTop = 3;
constexpr int kButtonGap = 2;
constexpr int kCornerSize = 8;

using Kind = ZelkCaptionButton::Kind;
constexpr std::array<Kind, 4> kButtonKinds = {Kind::Minimise, Kind::Maximise, Kind::Restore, Kind::Close};

}  // namespace

ZelkAppWnd::ZelkAppWnd(std::string appName, ZKRegistry* registry)
    : appName_(std::move(appName)), registry_(registry) {}

ZelkAppWnd::~ZelkAppWnd() {
    for (auto& button : captionButtons_)
        button.reset();
    if (zk::IsWindow(hwnd_)) zk::DestroyWindow(hwnd_);
}

std::string ZelkAppWnd::Title() const {
    char title[128];
    std::snprintf(title, sizeof title, "%s %d.%d.%d", appName_.c_str(), zelkmsg::kVersion.major,
                  zelkmsg::kVersion.minor, zelkmsg::kVersion.build);
    return title;
}

zk::HWND ZelkAppWnd::Create() {
    zk::WindowCreateParams p;
    p.style = kStyle;
    p.proc = [this](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) { return WindowProc(h, m, w, l); };
    return zk::CreateWindowEx(p);
}

void ZelkAppWnd::SetServerLostHandlers(AskFn ask, RestartFn restart) {
    askRestart_ = std::move(ask);
    restart_ = std::move(restart);
}

void ZelkAppWnd::RestartProgram() {
    const std::string self = zk::ExecutablePath();
    if (!self.empty()) zk::SpawnDetached(self, {});
}

void ZelkAppWnd::ApplicationActiveChanged(bool) {
    if (zk::IsWindow(hwnd_)) zk::RedrawWindow(hwnd_, nullptr, zk::RDW_INVALIDATE | zk::RDW_ALLCHILDREN);
}

zk::LRESULT ZelkAppWnd::WindowProc(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam) {
    if (message == zk::WM_CREATE) hwnd_ = hwnd;
    zk::LRESULT result = 0;
    if (ProcessWindowMessage(hwnd, message, wParam, lParam, result)) return result;
    result = zk::DefWindowProc(hwnd, message, wParam, lParam);
    if (message == zk::WM_NCDESTROY) hwnd_ = zk::HWND();
    return result;
}

bool ZelkAppWnd::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM, zk::LPARAM lParam,
                                      zk::LRESULT& result) {
    result = 0;
    switch (message) {
        case zk::WM_CREATE:
            CreateCaptionButtons();
            zk::SetWindowText(hwnd, Title());
            result = OnCreate();
            return true;
        case zk::WM_SIZE: {
            const int width = zk::LOWORD(static_cast<std::uintmax_t>(lParam));
            const int height = zk::HIWORD(static_cast<std::uintmax_t>(lParam));
            if (width < 1 || height < 1) return true;
            LayoutCaptionButtons(width);
            Layout(width, height);
            zk::RedrawWindow(hwnd, nullptr, zk::RDW_INVALIDATE | zk::RDW_ERASE | zk::RDW_ALLCHILDREN);
            return true;
        }
        case zk::WM_ERASEBKGND:
            result = 1;
            return true;
        case zk::WM_PAINT:
            OnPaint();
            return true;
        case zk::WM_NCCALCSIZE:
            return true;  // the whole window is client area
        case zk::WM_NCHITTEST:
            result = HitTest(zk::ScreenToClient(hwnd, zk::LParamToPoint(lParam)));
            return true;
        case zk::WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<zk::MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {kMinWidth, kMinHeight};
            return true;
        }
        case zk::WM_NCACTIVATE:
        case zk::WM_ACTIVATE:
        case zk::WM_ACTIVATEAPP:
            zk::InvalidateRect(hwnd, nullptr, false);
            result = message == zk::WM_NCACTIVATE ? 1 : 0;
            return true;
        case zk::WM_MOUSEACTIVATE:
            if (modals_.Empty()) return false;
            zk::SetForegroundWindow(modals_.Top());
            zk::BringWindowToTop(modals_.Top());
            result = zk::MA_NOACTIVATEANDEAT;
            return true;
        case WMU_MODAL_OWNER:
            result = AnswerQuery();
            return true;
        case WMU_POPUP_STATE_QUERY:
            result = popupOpen_ ? 1 : 0;
            return true;
        case zk::WM_CLOSE:
            OnClose();
            return true;
        case WMU_CONTROL_NOTIFY:
            for (const auto& button : captionButtons_)
                if (button && reinterpret_cast<zk::LPARAM>(static_cast<ZKControl*>(button.get())) == lParam)
                    OnCaptionButton(*button);
            return true;
        case WMU_POPUP_STATE:
            popupOpen_ = lParam != 0;
            return true;
        case WMU_ASSERT_REPORT:
            zk::DeliverQueuedAssertReports();
            return true;
        case WMU_SERVER_LOST_CLOSE:
            ZKASSERT(modals_.Empty());
            zk::PostMessage(hwnd, zk::WM_CLOSE, 0, 0);
            return true;
        case zk::WM_COPYDATA: {
            const auto* data = reinterpret_cast<const zk::COPYDATASTRUCT*>(lParam);
            const auto command = data ? ZKCopyDataCommand::Parse(*data) : std::nullopt;
            result = command && OnCopyDataCommand(command->command, command->argument) ? 1 : 0;
            return true;
        }
        case WMU_SERVER_LOST:
            OnServerLost();
            return true;
        default:
            return false;
    }
}

int ZelkAppWnd::HitTest(zk::Point p) const {
    const zk::Rect client = zk::GetClientRect(hwnd_);
    if (!client.Contains(p)) return zk::HTNOWHERE;
    if (!zk::IsZoomed(hwnd_)) {
        // Edges size the window; the corners take a little more of each edge.
        const bool left = p.x < kSizingBorder;
        const bool right = p.x >= client.right - kSizingBorder;
        const bool top = p.y < kSizingBorder;
        const bool bottom = p.y >= client.bottom - kSizingBorder;
        const bool nearLeft = p.x < kCornerSize;
        const bool nearRight = p.x >= client.right - kCornerSize;
        const bool nearTop = p.y < kCornerSize;
        const bool nearBottom = p.y >= client.bottom - kCornerSize;
        if ((top && nearLeft) || (left && nearTop)) return zk::HTTOPLEFT;
        if ((top && nearRight) || (right && nearTop)) return zk::HTTOPRIGHT;
        if ((bottom && nearLeft) || (left && nearBottom)) return zk::HTBOTTOMLEFT;
        if ((bottom && nearRight) || (right && nearBottom)) return zk::HTBOTTOMRIGHT;
        if (left) return zk::HTLEFT;
        if (right) return zk::HTRIGHT;
        if (top) return zk::HTTOP;
        if (bottom) return zk::HTBOTTOM;
    }
    return p.y < kCaptionHeight ? zk::HTCAPTION : zk::HTCLIENT;
}

void ZelkAppWnd::CreateCaptionButtons() {
    for (std::size_t i = 0; i < kButtonKinds.size(); ++i) {
        captionButtons_[i] = std::make_unique<ZelkCaptionButton>(kButtonKinds[i]);
        captionButtons_[i]->ZKButton::Create(hwnd_,
                                             {0, 0, ZelkCaptionButton::kWidth, ZelkCaptionButton::kHeight});
    }
}

void ZelkAppWnd::LayoutCaptionButtons(int width) {
    // Right to left: close, restore, maximise, minimise.
    int right = width - 5;
    const bool zoomed = zk::IsZoomed(hwnd_);
    for (auto it = captionButtons_.rbegin(); it != captionButtons_.rend(); ++it) {
        ZelkCaptionButton& button = **it;
        const int left = right - ZelkCaptionButton::kWidth;
        zk::MoveWindow(button.Window(), left, kButtonTop, ZelkCaptionButton::kWidth,
                       ZelkCaptionButton::kHeight);
        right = left - kButtonGap;
        if (button.GetKind() == Kind::Maximise) button.SetEnabled(!zoomed);
        if (button.GetKind() == Kind::Restore) button.SetEnabled(zoomed);
    }
}

void ZelkAppWnd::OnCaptionButton(const ZelkCaptionButton& button) {
    if (!button.Enabled()) return;
    switch (button.GetKind()) {
        case Kind::Minimise:
            zk::ShowWindow(hwnd_, zk::SW_MINIMIZE);
            break;
        case Kind::Maximise:
            zk::ShowWindow(hwnd_, zk::SW_MAXIMIZE);
            break;
        case Kind::Restore:
            zk::ShowWindow(hwnd_, zk::SW_RESTORE);
            break;
        case Kind::Close:
            zk::PostMessage(hwnd_, zk::WM_CLOSE, 0, 0);
            break;
    }
}

void ZelkAppWnd::OnClose() {
    if (!modals_.Empty()) return;
    if (!CanClose("quit")) return;
    SavePlacement();
    zk::DestroyWindow(hwnd_);
}

void ZelkAppWnd::ApplySavedPlacement() {
    if (!registry_) return;
    zk::WindowPlacement placement;
    registry_->GetWindowPlacement(placement);  // on failure it holds the default placement
    if (placement.showCmd == zk::SW_SHOWMAXIMIZED) {
        const zk::Rect& r = placement.normalPosition;
        zk::MoveWindow(hwnd_, r.left, r.top, r.Width(), r.Height());
        zk::PostMessage(hwnd_, zk::WM_SYSCOMMAND, zk::SC_MAXIMIZE, 0);
    } else {
        zk::SetWindowPlacement(hwnd_, placement);
    }
}

void ZelkAppWnd::SavePlacement() {
    if (!registry_) return;
    zk::WindowPlacement placement;
    if (!zk::GetWindowPlacement(hwnd_, placement)) return;
    if (placement.showCmd == zk::SW_SHOWMINIMIZED || placement.showCmd == zk::SW_HIDE) {
        zk::ShowWindow(hwnd_, zk::SW_SHOWNORMAL);
        if (!zk::GetWindowPlacement(hwnd_, placement)) return;
    }
    registry_->SetWindowPlacement(placement);
}

void ZelkAppWnd::OnServerLost() {
    if (serverLost_) return;
    serverLost_ = true;
    OnServerLostHook();
    const bool restart = askRestart_ && askRestart_(kServerLostText);
    zk::PostMessage(hwnd_, WMU_SERVER_LOST_CLOSE, 0, 0);
    if (restart) (restart_ ? restart_ : RestartProgram)();
}

void ZelkAppWnd::OnPaint() {
    zk::PAINTSTRUCT ps;
    zk::BeginPaint(hwnd_, ps);
    {
        ZKDC dc(ps);
        const zk::Rect client = zk::GetClientRect(hwnd_);
        PaintFrame(dc, client);
        PaintClient(dc, client);
    }
    zk::EndPaint(hwnd_, ps);
}

void ZelkAppWnd::PaintFrame(ZKDC& dc, const zk::Rect& client) const {
    const bool active = zk::GetActiveWindow() == hwnd_ && zk::IsApplicationActive();
    dc.FillRect(client, dc.Colour(kBackgroundSlot));
    const zk::Rect band{client.left, client.top, client.right, client.top + kCaptionHeight};
    dc.GradientFill(band, dc.Colour(active ? kBandLeftSlot : kInactiveBandLeftSlot),
                    dc.Colour(active ? kBandRightSlot : kInactiveBandRightSlot), false);
    const std::string title = Title();
    const zk::Size extent = dc.TextExtent(title, ZKFontSet::Normal);
    dc.TextOut((client.Width() - extent.cx) / 2, (kCaptionHeight - extent.cy) / 2, title, ZKFontSet::Normal,
               dc.Colour(kTitleSlot));
    dc.FrameRect(client, dc.Colour(active ? kFrameSlot : kInactiveFrameSlot));
}
