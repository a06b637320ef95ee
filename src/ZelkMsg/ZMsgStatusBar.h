#pragma once
// The 26-pixel strip between the caption and the log: the connection state as text with a lamp that is lit
// for 700 ms and dark for 300 ms, and, while a device is open, which identity it was opened as (ID), which
// device it is (Dev, the serial zero-padded to four digits) and its code and profile revision (SwVer).
//
//   |  ID(Bench Team)  Dev(ECU-M4 #1201)  SwVer(3.1.7/0)            (o) CONNECTED |
//
// The lamp colours, lit: slot 37 while searching or not in sync, slot 38 disconnected, slot 35 connected;
// "OFFLINE" without searching is always drawn in slot 5, the background, so it does not blink. The strip is
// a menu bar without menus: its background is the bar's.

#include <functional>
#include <string>

#include "Gui/ZKMenuBar.h"
#include "ZelkMsg/ZMsgConnectionStatus.h"

class ZMsgStatusBar final : public ZKMenuBar {
public:
    static constexpr std::uintptr_t kLitTimer = 10;
    static constexpr std::uintptr_t kDarkTimer = 11;
    static constexpr zk::UINT kLitMs = 700;
    static constexpr zk::UINT kDarkMs = 300;
    static constexpr int kHeight = 26;

    using Source = std::function<ZMsgConnectionStatus()>;

    explicit ZMsgStatusBar(Source source) : source_(std::move(source)) {}

    // Creates the bar as a child of the main window.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect);

    bool LampLit() const { return blinkPhase_ == 1; }
    // The colour slot the lamp is drawn in for a status and a blink phase.
    static int LampSlot(const ZMsgConnectionStatus& status, bool lit);

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    // Draws the ID, Dev and SwVer texts from x; returns the x after them.
    static int PaintDeviceTexts(ZKDC& dc, const ZMsgConnectionStatus& status, int x);

    Source source_;
    std::uint32_t blinkPhase_ = 0;
};
