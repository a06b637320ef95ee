#pragma once
// A small window that shows one line of text over other windows, for a list row too wide to be read whole.
// It never takes the activation or the mouse (clicks fall through it), and it is created on the first Show.

#include <string>

#include "Gui/ZKDoubleBuffer.h"

class ZKToolTip : public ZKDoubleBuffer {
public:
    static constexpr int kPadX = 4;
    static constexpr int kPadY = 2;

    // Shows `text` (plain, Windows-1252) with its top-left corner at `screen`, inside the work area, above
    // the windows of `owner`'s top-level window.
    void Show(zk::HWND owner, const std::string& text, zk::Point screen);
    void Hide();
    bool Shown() const;
    const std::string& Text() const { return text_; }

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    std::string text_;
};
