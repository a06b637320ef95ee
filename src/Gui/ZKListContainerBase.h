#pragma once
// A child window that holds a list box of rich-text rows filling its client area, and the rows themselves
// (owned). It attaches the rows to the list with the first row current (Refresh) or the last one (Update,
// which so scrolls the end into view), clears them, and hands out their texts.
//
// The object owns its window: destroying the object destroys the window with the list box.

#include <string>

#include "Gui/TZKListBox.h"
#include "Gui/ZKListBoxContents.h"
#include "Gui/ZKRichTextListItem.h"

class ZKListContainerBase {
public:
    static constexpr zk::UINT kListId = 1;

    // `listStyle`: the list box's style bits (ZKListBoxBase::StyleBits).
    explicit ZKListContainerBase(zk::DWORD listStyle);
    virtual ~ZKListContainerBase();
    ZKListContainerBase(const ZKListContainerBase&) = delete;
    ZKListContainerBase& operator=(const ZKListContainerBase&) = delete;

    // Creates the container as a child window of `parent`; `style` is added to WS_CHILD | WS_CLIPCHILDREN.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE, zk::UINT id = 0);
    zk::HWND Window() const { return hwnd_; }

    TZKListBox<ZKRichTextListItem>& List() { return list_; }
    const TZKListBox<ZKRichTextListItem>& List() const { return list_; }
    const ZKListBoxContents& Rows() const { return rows_; }
    ZKListBoxContents& Rows() { return rows_; }

    // Re-attach the rows with the first row current; the second also redraws the whole window.
    void Refresh();
    void RefreshAndRedraw();
    // Re-attach the rows with the last row current (scrolled into view); the second also redraws.
    void Update();
    void UpdateAndRedraw();
    // Delete every row, then Refresh (and redraw).
    void Clear();
    void ClearAndRedraw();
    // Measures every row again for the screen, after a font or colour scheme change (each row when it is
    // next drawn or asked for its size).
    void Remeasure();

    // The current row's text (with its codes); false when there is no current row.
    bool GetCurrentText(std::string& text) const;
    // Every row's text followed by a line feed; false when that is empty.
    bool GetAllText(std::string& text) const;

protected:
    // Invalidates and erases the whole window with its frame and all children.
    void RedrawAll();

private:
    zk::LRESULT WindowProc(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam);

    zk::HWND hwnd_;
    ZKListBoxContents rows_{ZKListBoxContents::Kind::Log};
    TZKListBox<ZKRichTextListItem> list_;
};
