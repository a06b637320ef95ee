#pragma once
// The top-level window of the maker's applications: no system caption or frame, so it draws its own caption
// band with the title and four caption buttons, answers the hit test so that the caption moves the window
// and the edges size it, keeps the stack of open modal child windows, and takes the server-lost path.
//
// Layout (client = whole window): the caption band is the top 25 pixels; the caption buttons sit at its
// right end; a one-pixel frame runs round the window.
//
// Closing: WM_CLOSE does nothing while a modal child is open (a click on the window then brings that child
// to the front); otherwise the close hook is asked with "quit", the placement is saved and the window is
// destroyed.
//
// Server lost: the first WMU_SERVER_LOST asks the user whether to restart the program (later ones are
// dropped), then closes the window; the answer Yes starts one new instance of our own executable without
// arguments.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Gui/IZKModalOwner.h"
#include "Gui/ZKDC.h"
#include "Gui/ZKDialogBase.h"
#include "Platform/Window.h"
#include "ZelkMsg/ZelkCaptionButton.h"

class ZKRegistry;

class ZelkAppWnd : public IZKModalOwner {
public:
    static constexpr zk::DWORD kStyle = 0x960F0000;
    static constexpr int kCaptionHeight = 25;
    static constexpr int kSizingBorder = 4;
    static constexpr int kMinWidth = 640;
    static constexpr int kMinHeight = 480;
    static constexpr const char* kServerLostText =
        "The connetion to the ZelkNetServer has been lost\nThis Program will now exit\n\n"
        "Do you wish to attempt to restart this program?";

    // `registry` keeps the window placement; null: the placement is neither read nor stored.
    ZelkAppWnd(std::string appName, ZKRegistry* registry);
    ~ZelkAppWnd() override;
    ZelkAppWnd(const ZelkAppWnd&) = delete;
    ZelkAppWnd& operator=(const ZelkAppWnd&) = delete;

    // Creates the window (default position and size, empty title: WM_CREATE sets it). Null on failure.
    zk::HWND Create();
    zk::HWND Window() const { return hwnd_; }
    const std::string& AppName() const { return appName_; }
    // "<name> 2.15.83".
    std::string Title() const;

    // --- IZKModalOwner: the modal child windows open over this window, the last one on top ---
    zk::HWND MainWindow() const override { return hwnd_; }
    ZKModalStack& ModalStack() override { return modals_; }
    void ApplicationActiveChanged(bool active) override;
    bool PopupOpen() const { return popupOpen_; }
    bool ServerLost() const { return serverLost_; }

    // Reads the stored placement and applies it; a maximised one is restored to its normal rectangle first
    // and maximised by a posted SC_MAXIMIZE.
    void ApplySavedPlacement();
    // Stores the placement; a minimised or hidden window is restored first so that a normal one is stored.
    void SavePlacement();

    // How the server-lost question is asked (true = Yes) and how the program is started again; replaceable
    // for tests and the console.
    using AskFn = std::function<bool(const std::string& text)>;
    using RestartFn = std::function<void()>;
    void SetServerLostHandlers(AskFn ask, RestartFn restart);
    // Starts our own executable once, without arguments, and does not wait for it.
    static void RestartProgram();

protected:
    // Handles a message; true when handled with the answer in `result`. A derived window handles its own
    // messages first and passes the rest here.
    virtual bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                                      zk::LRESULT& result);
    // The derived window's part of WM_CREATE, after the caption buttons and the title; -1 fails creation.
    virtual zk::LRESULT OnCreate() { return 0; }
    // The client area became width × height (both at least 1), after the caption buttons moved.
    virtual void Layout(int, int) {}
    // Draws below the caption band after the background.
    virtual void PaintClient(ZKDC&, const zk::Rect&) {}
    // Whether the window may close ("quit").
    virtual bool CanClose(const char*) { return true; }
    virtual void OnServerLostHook() {}
    // A copy-data command of the maker's programs; true when known.
    virtual bool OnCopyDataCommand(std::uint32_t, std::span<const std::byte>) { return false; }

    // The answer to the hit test at a client point.
    int HitTest(zk::Point client) const;
    void PaintFrame(ZKDC& dc, const zk::Rect& client) const;

private:
    zk::LRESULT WindowProc(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam);
    void CreateCaptionButtons();
    void LayoutCaptionButtons(int width);
    void OnCaptionButton(const ZelkCaptionButton& button);
    void OnClose();
    void OnServerLost();
    void OnPaint();

    std::string appName_;
    ZKRegistry* registry_;
    zk::HWND hwnd_;
    std::array<std::unique_ptr<ZelkCaptionButton>, 4> captionButtons_;
    ZKModalStack modals_;
    bool popupOpen_ = false;
    bool serverLost_ = false;
    AskFn askRestart_;
    RestartFn restart_;
};
