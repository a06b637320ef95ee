#pragma once
// The toolkit's tree control: the lines of a tree of ZKTreeItems, indented by depth, each branch with an
// open/close box when its item asks for one. It is a list box (TZKListBox) over the lines that are shown
// now, so scrolling, the scroll bar, the current line, the wheel and the tooltip of a too-wide line work
// as in every list; opening, closing and hiding rebuild those lines and keep the current item.
//
//   [-] Group                     kIndent pixels per level; the box is kBoxSize square
//       [+] Source
//       [-] Source
//           Cause
//
// Keys (when the tree has them; a dialog may pass its own keys on): Up, Down, Page Up, Page Down, Home, End
// move the current line; Right or "+" opens the current branch, Left or "-" closes it (Left on a closed or
// leafless line goes to its parent); Enter does the action: it opens a closed branch and closes an open
// one. A click on a box opens or closes that branch; a double click does the action on its line.
//
// The tree does not own its items: the owner keeps them, calls Rebuild after changing them, and detaches
// (SetItems(nullptr)) before deleting them.

#include <string>
#include <vector>

#include "Gui/TZKListBox.h"
#include "Gui/ZKTreeItem.h"

class ZKTreeCtrl : public ZKListBoxBase {
public:
    static constexpr int kIndent = 16;
    static constexpr int kBoxSize = 9;
    static constexpr int kMargin = 4;

    ZKTreeCtrl();

    // Shows `items` (may be null) from the first line; the items must outlive the tree or be detached.
    void SetItems(const ZKTreeItems* items);
    // Lays the shown lines out again after items were opened, closed, hidden or changed. The current item
    // stays current while it is shown, else its nearest shown ancestor, else the first line.
    void Rebuild();

    // Shown lines, for the owner and for checks.
    int LineCount() const { return static_cast<int>(lines_.size()); }
    const ZKTreeItem& LineItem(int line) const { return *lines_[static_cast<std::size_t>(line)].item; }
    int LineDepth(int line) const { return lines_[static_cast<std::size_t>(line)].depth; }
    // The current item, or null.
    ZKTreeItem* CurrentItem() const;
    void SetCurrentItem(const ZKTreeItem& item);

    // Branch operations on `item` or on the current item; they rebuild and redraw.
    void Open(ZKTreeItem& item);
    void Close(ZKTreeItem& item);
    void OpenCurrent();
    void CloseCurrent();
    // Enter: opens a closed branch, closes an open one.
    void Action();
    // The tree's keys and characters (see above); true when used.
    bool TreeKey(int vk);
    bool TreeChar(int ch);

    // Drawn where the lines would be while there is none.
    void SetEmptyText(std::string text);
    const std::string& EmptyText() const { return emptyText_; }

    // The open/close box of a shown line, in client coordinates (empty when the line has none).
    zk::Rect BoxRect(int line) const;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    struct Line {
        ZKTreeItem* item;
        int depth;
    };
    class Row;

    void AddLines(const ZKTreeItems& items, int depth);
    // The line showing `item` or its nearest shown ancestor; ZKListBoxContents::kNone when neither is.
    int LineOf(const ZKTreeItem* item) const;
    bool OnLeftDown(zk::Point point);

    const ZKTreeItems* items_ = nullptr;
    std::vector<Line> lines_;
    ZKListBoxContents rows_;
    std::string emptyText_;
};
