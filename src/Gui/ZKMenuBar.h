#pragma once
// The strip of menu titles across the top of a window: one ZKButton per menu, owned by the bar, placed left
// to right in the order added (the first at x = 3, each next one 5 pixels right of the one before, all at
// y = 3, each at its preferred size). A press of a title (WMU_CONTROL_NOTIFY) is posted on unchanged to the
// bar's owner, the parent it was created with, which opens the menu (ZKMenuBarHolder).
//
// The background is colour slot 13 while the application is active and slot 10 when it is not. Owners draw
// their own things in the free area to the right of the last title. A status bar derives from the bar: it
// paints the bar first (PaintBar) and its own content over it.

#include <memory>
#include <string>
#include <vector>

#include "Gui/ZKButton.h"
#include "Gui/ZKDoubleBuffer.h"

class ZKMenuBar : public ZKDoubleBuffer {
public:
    static constexpr int kFirstLeft = 3;
    static constexpr int kGap = 5;
    static constexpr int kTop = 3;
    static constexpr int kFreeAreaGap = 10;
    static constexpr int kActiveSlot = 13;
    static constexpr int kInactiveSlot = 10;

    ZKMenuBar() = default;

    // Creates the bar as a child of `owner`.
    zk::HWND Create(zk::HWND owner, const zk::Rect& rect,
                    zk::DWORD style = zk::WS_VISIBLE | zk::WS_CLIPSIBLINGS | zk::WS_CLIPCHILDREN,
                    zk::UINT id = 0);

    // A title button for a menu, placed after the last one; the bar is redrawn at once. Null (an internal
    // error) before the bar's window exists.
    ZKButton* AddMenu(const std::string& title, char key);
    const std::vector<std::unique_ptr<ZKButton>>& Buttons() const { return buttons_; }
    zk::HWND OwnerWindow() const { return owner_; }
    // The part of the bar right of the last title (from 10 pixels after it, or from x = 10), full height.
    zk::Rect FreeArea() const;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    void Paint(ZKDC& dc, const zk::Rect& rect) override { PaintBar(dc, rect); }

protected:
    void PaintBar(ZKDC& dc, const zk::Rect& rect);

private:
    std::vector<std::unique_ptr<ZKButton>> buttons_;
    zk::HWND owner_;
};
