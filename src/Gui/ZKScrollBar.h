#pragma once
// The toolkit's owner-drawn scroll bar. It keeps its position as fractions of the whole (page: the visible
// part, 0..1; position: the start of the visible part, 0..1 - page) and tells its parent window what the user
// did through posted messages; the parent scrolls and writes the new position back.
//
// Notices posted to the parent: wParam the sending bar (ZKScrollBar*, for comparison only: the bar may be
// gone when the message arrives), lParam the amount.
//
//   WMU_SCROLL_LINE   arrow clicked, arrow key, or auto-repeat     -1 (up/left) or +1 (down/right)
//   WMU_SCROLL_PAGE   trough clicked before or after the thumb    -1 or +1
//   WMU_SCROLL_THUMB  thumb dragged; the bar holds the new place  the drag offset in pixels
//   WMU_SCROLL_END    mouse released after a drag                 the last drag offset
//
// Holding an arrow or the trough repeats the step after half a second, ten times a second (timers 2, 3).
//
// Geometry (vertical; a horizontal bar swaps the axes), u = 13 × the context's scale:
//
//   +-----+  <- arrow, u high
//   |  ^  |
//   +-----+  <- trough top
//   |:::::|
//   |#####|  <- thumb: trough height × page high, at trough top + trough height × position
//   |#####|
//   |:::::|
//   +-----+  <- trough bottom
//   |  v  |
//   +-----+

#include "Gui/ZKControl.h"
#include "Gui/ZKDoubleBuffer.h"

constexpr zk::UINT WMU_SCROLL_LINE = zk::WM_USER + 0x11;
constexpr zk::UINT WMU_SCROLL_PAGE = zk::WM_USER + 0x12;
constexpr zk::UINT WMU_SCROLL_THUMB = zk::WM_USER + 0x13;
constexpr zk::UINT WMU_SCROLL_END = zk::WM_USER + 0x14;

class ZKScrollBar : public ZKControl, public ZKDoubleBuffer {
public:
    static constexpr int kUnit = 13;  // arrow length and bar width, times the context's scale
    static constexpr std::uintptr_t kRepeatDelayTimer = 2;
    static constexpr std::uintptr_t kRepeatTimer = 3;
    static constexpr zk::UINT kRepeatDelayMs = 500;
    static constexpr zk::UINT kRepeatMs = 100;

    struct Geometry {
        zk::Rect trough;
        zk::Rect thumb;
        friend bool operator==(const Geometry&, const Geometry&) = default;
    };

    explicit ZKScrollBar(bool horizontal = false, zk::UINT id = 0);

    // Creates the bar as a child window of `parent`; `style` is added to WS_CHILD.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE);

    bool Horizontal() const { return horizontal_; }
    double GetPage() const { return page_; }
    double GetPosition() const { return position_; }
    // Store the fractions as given (the caller keeps them within range) and redraw the bar.
    void SetPageAndPosition(double page, double position);
    void SetPosition(double position);

    // The action under way (0, WMU_SCROLL_LINE, WMU_SCROLL_PAGE or WMU_SCROLL_THUMB) and its amount.
    zk::UINT Action() const { return action_; }
    int Amount() const { return amount_; }

    // Trough and thumb for a client rectangle at the given scale.
    Geometry GeometryFor(const zk::Rect& client, int scaleX = 1, int scaleY = 1) const;

    // Arrow keys: left/right step a horizontal bar, up/down a vertical one. True when the key was used.
    bool KeyDown(int vk) override;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    void Paint(ZKDC& dc, const zk::Rect& rect) override;
    zk::Size PreferredSize() const override { return {kUnit, kUnit}; }

private:
    void Post(zk::UINT message, int amount) const;
    // The coordinate along the bar's axis.
    int Along(zk::Point p) const { return horizontal_ ? p.x : p.y; }
    void OnButtonDown(zk::Point p);
    void OnMouseMove(zk::Point p);
    void OnButtonUp();
    void OnMouseLeave();
    void StopRepeat();
    void DrawArrow(ZKDC& dc, const zk::Rect& box, bool towardsStart, int firstSlot) const;

    bool horizontal_;
    double page_ = 1.0;
    double position_ = 0.0;
    zk::UINT action_ = 0;
    int amount_ = 0;
};
