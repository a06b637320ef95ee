#pragma once
// The toolkit's owner-drawn list box. It shows the rows of a ZKListBoxContents (not owned) at one uniform
// height, scrolls them with its own ZKScrollBar (shown only when the rows are taller than the window),
// keeps the current row in view, and answers keys, the mouse wheel and clicks.
//
// The scroll position lives in the bar as a fraction of the total height of all rows. A re-layout (new
// rows, new size) keeps the pixel offset of the view, then scrolls the current row into view; a list that
// attaches its rows with the last row current so follows the end.
//
// Style bits: kBarRight puts the bar at the right edge; kNoBorder leaves out the line below the last row;
// kNoFlash never starts the flash timers; kMultiSelect lets several rows stay selected (otherwise attaching
// clears every selection); kChooseOnClick chooses a row with a single click (popup menus). After attaching,
// the list box posts WMU_LIST_ATTACHED to its parent (wParam the list box, lParam the rows).
//
// Disabled rows cannot become current by key or mouse: the keys skip them, clicks on them do nothing. A row
// is chosen by Enter, a double click (or a click with kChooseOnClick) on an enabled current row: the list
// posts WMU_LIST_CHOOSE. Every change of the current row posts WMU_LIST_CURRENT. Both carry the list box in
// wParam and the row in lParam.
//
// Multi-selection (kMultiSelect): Ctrl+click and Ctrl+Space toggle a row's selection; Shift+click and the
// movement keys with Shift select the enabled rows from the old to the new current row.
//
// A row too wide for the list shows its whole text in a tooltip while the mouse rests on it.
//
// TZKListBox<TItem> is the same list box for rows of a known class.

#include <cstdint>
#include <memory>

#include "Gui/ZKDoubleBuffer.h"
#include "Gui/ZKListBoxContents.h"
#include "Gui/ZKScrollBar.h"
#include "Gui/ZKToolTip.h"

constexpr zk::UINT WMU_LIST_ATTACHED = zk::WM_USER + 0x0c;
constexpr zk::UINT WMU_LIST_CHOOSE = zk::WM_USER + 0x0d;
constexpr zk::UINT WMU_LIST_CURRENT = zk::WM_USER + 0x0e;

class ZKListBoxBase : public ZKDoubleBuffer {
public:
    enum StyleBits : zk::DWORD {
        kBarRight = 2,
        kNoBorder = 8,
        kNoFlash = 16,
        kMultiSelect = 32,
        kChooseOnClick = 64
    };
    static constexpr zk::UINT kScrollBarId = 1;
    static constexpr std::uintptr_t kFlashOffTimer = 10;
    static constexpr std::uintptr_t kFlashOnTimer = 11;
    static constexpr zk::UINT kFlashOnDelayMs = 300;
    static constexpr zk::UINT kFlashOnTimeMs = 300;
    static constexpr zk::UINT kFlashOffTimeMs = 700;
    static constexpr std::uintptr_t kTipTimer = 13;
    static constexpr zk::UINT kTipDelayMs = 500;

    // `keepsCurrent`: attaching makes the first or last row current; a list without a current row paints
    // only its background.
    explicit ZKListBoxBase(zk::DWORD style = 0, bool keepsCurrent = true);

    // Creates the list box as a child window of `parent`; `wsStyle` is added to WS_CHILD | WS_CLIPCHILDREN.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD wsStyle = zk::WS_VISIBLE,
                    zk::UINT id = 0);

    // Shows `rows` (may be null): lays them out, makes the first (`lastCurrent` false) or the last row
    // current and scrolls it into view, restarts the flash timers, and posts WMU_LIST_ATTACHED.
    void Attach(ZKListBoxContents* rows, bool lastCurrent);
    ZKListBoxContents* Rows() const { return rows_; }
    zk::DWORD Style() const { return style_; }

    // Row-moving keys: the current row moves and is scrolled into view.
    void PageUp();
    void PageDown();
    void Home();
    void End();
    void LineUp();
    void LineDown();
    // Makes `row` (clamped to the rows) current, scrolls it into view and redraws; any row, also a disabled
    // one.
    void SetCurrent(int row);
    // The first enabled row, or ZKListBoxContents::kNone.
    int FirstSelectableRow() const;
    // Posts WMU_LIST_CHOOSE when the current row is enabled; true when it did.
    bool Choose();
    // View-only scrolling, by `rows` rows or `pages` pages (negative: up); the current row stays.
    void ScrollRows(int rows);
    void ScrollPages(int pages);
    // The list's key handling (Page Up/Down, Home, End, Up, Down); true when the key was used.
    bool HandleKey(int virtualKey);

    // For the owner and for checks: the bar, whether it shows, the rectangle the rows use, the wheel step,
    // and the first row drawn at the top with its y (at or above 0).
    const ZKScrollBar& ScrollBar() const { return bar_; }
    bool ScrollBarShown() const;
    zk::Rect RowsRect() const;
    int WheelStep() const { return wheelStep_; }
    int FirstVisibleRow(int* top = nullptr) const;
    // The row under a client point, or ZKListBoxContents::kNone.
    int RowAt(zk::Point point) const;
    // Whether a click gives the list the keyboard focus (the default); a dialog that takes every key
    // itself turns it off.
    void SetTakesFocusOnClick(bool takes) { takesFocusOnClick_ = takes; }
    // The tooltip window, once a row needed it (null before).
    const ZKToolTip* ToolTip() const;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int type, int width, int height) override;
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    int RowCount() const { return rows_ ? rows_->Count() : 0; }
    int RowHeight() const;
    int TotalHeight() const;
    int PixelOffset() const;
    int RowsPerPage() const;
    // Lays the rows out for the client rectangle: bar shown or hidden, offset kept, current row in view.
    void LayOut();
    // The position after scrolling `row` into view from `position`, clamped.
    double PositionShowing(int row, double position, double page) const;
    double Clamp(double position) const;
    void ScrollBy(double delta);
    void StartFlashing();
    void OnFlashTimer(std::uintptr_t id);
    void OnClick(zk::Point point, zk::WPARAM keys);
    void OnMouseMove(zk::Point point);
    // Makes the enabled row nearest to `row` current, looking first in the direction of `step` (+1 or
    // -1), then back; with Shift in a multi-selection list the rows passed over become selected.
    void MoveTo(int row, int step);
    bool Selectable(int row) const;
    void SelectRange(int from, int to);
    void ShowTip();
    void HideTip();

    ZKListBoxContents* rows_ = nullptr;
    ZKScrollBar bar_{false, kScrollBarId};
    zk::DWORD style_;
    bool keepsCurrent_;
    int wheelStep_ = 1;
    zk::Point lastMouse_;
    bool flashLook_ = false;
    bool takesFocusOnClick_ = true;
    int pressedRow_ = ZKListBoxContents::kNone;
    int tipRow_ = ZKListBoxContents::kNone;  // the row under the resting mouse
    std::unique_ptr<ZKToolTip> tip_;
};

template <class TItem>
class TZKListBox : public ZKListBoxBase {
public:
    using ZKListBoxBase::ZKListBoxBase;

    // The current row, or null.
    TItem* CurrentItem() const {
        if (!Rows() || Rows()->Current() == ZKListBoxContents::kNone) return nullptr;
        return static_cast<TItem*>(&Rows()->At(Rows()->Current()));
    }
};
