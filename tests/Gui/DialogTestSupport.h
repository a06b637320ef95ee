#pragma once
// For dialog tests: a stand-in for the main window that keeps the modal stack, records what reaches it,
// and runs test steps from inside whatever modal loop is running (a step is a posted message, which every
// dialog's filter lets through to the owner).

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "Gui/IZKModalOwner.h"
#include "Gui/ZKPopupDialog.h"
#include "GuiWindowTest.h"

namespace zktest {

class StandInOwner : public IZKModalOwner {
public:
    static constexpr zk::UINT kRunStep = zk::WM_USER + 0x70;
    static constexpr std::uintptr_t kStepTimer = 98;

    explicit StandInOwner(zk::Rect r = {200, 150, 1000, 750}) {
        zk::WindowCreateParams p;
        p.style = zk::WS_POPUP | zk::WS_VISIBLE | zk::WS_THICKFRAME | zk::WS_CLIPCHILDREN;
        p.classStyle = zk::CS_DBLCLKS;
        p.x = r.left;
        p.y = r.top;
        p.cx = r.Width();
        p.cy = r.Height();
        p.proc = [this](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) { return Proc(h, m, w, l); };
        hwnd_ = zk::CreateWindowEx(p);
    }
    ~StandInOwner() override {
        if (zk::IsWindow(hwnd_)) zk::DestroyWindow(hwnd_);
    }
    StandInOwner(const StandInOwner&) = delete;
    StandInOwner& operator=(const StandInOwner&) = delete;

    zk::HWND MainWindow() const override { return hwnd_; }
    ZKModalStack& ModalStack() override { return stack_; }
    void ApplicationActiveChanged(bool active) override { activeChanges.push_back(active); }

    // Runs `step` when the running loop takes the message posted now.
    void Later(std::function<void()> step) {
        steps_.push_back(std::move(step));
        zk::PostMessage(hwnd_, kRunStep, 0, 0);
    }
    // Runs `step` after `ms` milliseconds (one pending delayed step at a time).
    void After(zk::UINT ms, std::function<void()> step) {
        delayed_ = std::move(step);
        zk::SetTimer(hwnd_, kStepTimer, ms);
    }
    std::vector<zk::HWND> Stack() const { return stack_.Windows(); }

    std::vector<zk::UINT> mouseMessages;  // button and double-click messages that reached the owner
    std::vector<zk::UINT> keyMessages;
    std::vector<bool> activeChanges;
    int serverLostCloses = 0;

private:
    zk::LRESULT Proc(zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) {
        switch (m) {
            case WMU_MODAL_OWNER:
                return AnswerQuery();
            case zk::WM_MOUSEACTIVATE:
                return stack_.Empty() ? zk::MA_ACTIVATE : zk::MA_NOACTIVATE;
            case kRunStep: {
                auto step = std::move(steps_.front());
                steps_.pop_front();
                step();
                return 0;
            }
            case zk::WM_TIMER:
                if (w == kStepTimer) {
                    zk::KillTimer(h, kStepTimer);
                    std::exchange(delayed_, {})();
                }
                return 0;
            case zk::WM_PAINT: {
                // White, so that what dialogs cast on it (their shadows) shows.
                zk::PAINTSTRUCT ps;
                zk::BeginPaint(h, ps);
                cairo_set_source_rgb(ps.cr, 1, 1, 1);
                cairo_paint(ps.cr);
                zk::EndPaint(h, ps);
                return 0;
            }
            case 0x427:  // the server-lost close reached the main window
                ++serverLostCloses;
                return 0;
            default:
                break;
        }
        if ((m >= zk::WM_LBUTTONDOWN && m <= zk::WM_MBUTTONDBLCLK) ||
            (m >= zk::WM_NCLBUTTONDOWN && m <= zk::WM_NCMBUTTONDBLCLK))
            mouseMessages.push_back(m);
        if (m == zk::WM_KEYDOWN || m == zk::WM_CHAR) keyMessages.push_back(m);
        return zk::DefWindowProc(h, m, w, l);
    }

    zk::HWND hwnd_;
    ZKModalStack stack_;
    std::deque<std::function<void()>> steps_;
    std::function<void()> delayed_;
};

// A dialog of a given size that records the keys it receives and notes its end in a shared log.
class ProbeDialog : public ZKPopupDialog {
public:
    ProbeDialog(zk::HWND owner, std::vector<zk::HWND>* destroyed = nullptr, zk::Size size = {300, 200},
                bool sizable = false)
        : ZKPopupDialog(owner, sizable), size_(size), destroyed_(destroyed) {}

    std::vector<zk::WPARAM> keys;  // WM_KEYDOWN codes
    std::vector<zk::WPARAM> chars;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override {
        if (message == zk::WM_KEYDOWN) keys.push_back(wParam);
        if (message == zk::WM_CHAR) chars.push_back(wParam);
        if (message == zk::WM_DESTROY && destroyed_) destroyed_->push_back(hwnd);
        return ZKPopupDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }

protected:
    zk::WindowCreateParams CreateParams() const override {
        zk::WindowCreateParams p = ZKPopupDialog::CreateParams();
        p.cx = size_.cx;
        p.cy = size_.cy;
        return p;
    }

private:
    zk::Size size_;
    std::vector<zk::HWND>* destroyed_;
};

}  // namespace zktest
