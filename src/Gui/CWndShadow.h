#pragma once
// The drop shadow of the toolkit's dialogs and popup menus: as large as the window, moved 5 pixels right
// and 5 down, 150 of 255 dark at most, its edges blurred over 5 pixels. The window system casts it under
// the window and moves it along (zk::SetWindowShadow); it shows where the display can show translucent
// windows, and nowhere else.

#include "Platform/Window.h"

class CWndShadow {
public:
    static constexpr zk::DropShadow kDialogShadow{150, 5, 0, {5, 5}};

    explicit CWndShadow(zk::DropShadow shadow = kDialogShadow) : shadow_(shadow) {}

    // Casts the shadow under `hwnd`, a created top-level window; false for any other.
    bool Create(zk::HWND hwnd) const { return zk::SetWindowShadow(hwnd, shadow_); }
    const zk::DropShadow& Shadow() const { return shadow_; }

private:
    zk::DropShadow shadow_;
};
