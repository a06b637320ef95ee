#pragma once
// The rows of a list box, in order and owned, with the current row and the one before it, and the layout
// the list box scrolls by: one uniform row size (the widest and the tallest preferred size) and the total
// size of all rows, kept apart for the screen and for a printer.
//
// A list's rows may change in place between two layouts, so every layout measures all of them and
// attaching looks at every row's selection and flash state. A log only grows: once appended, its rows keep
// their height, selection and flash state until Clear (or until RowsResized says otherwise). Its layouts
// and attaches visit only the rows appended since the last one, and its widths, which nothing scrolls by,
// are not measured (the row and total widths stay 0): appending to a million rows so costs what appending
// to a hundred does, and no row is measured before it is drawn.

#include <cstddef>
#include <memory>
#include <vector>

#include "Gui/ZKListBoxItem.h"
#include "Platform/Geometry.h"
#include "Platform/Window.h"

class ZKDC;

class ZKListBoxContents {
public:
    static constexpr int kNone = -1;

    enum class Kind { List, Log };

    explicit ZKListBoxContents(Kind kind = Kind::List) : kind_(kind) {}

    void Append(std::unique_ptr<ZKListBoxItem> row) { rows_.push_back(std::move(row)); }
    // Deletes every row; there is no current row afterwards.
    void Clear();

    Kind GetKind() const { return kind_; }
    int Count() const { return static_cast<int>(rows_.size()); }
    ZKListBoxItem& At(int index) { return *rows_[static_cast<std::size_t>(index)]; }
    const ZKListBoxItem& At(int index) const { return *rows_[static_cast<std::size_t>(index)]; }

    // The current row, or kNone. Setting it remembers the one before.
    int Current() const { return current_; }
    int PreviousCurrent() const { return previous_; }
    void SetCurrent(int index);

    // The list box that shows these rows (null before they are attached).
    void SetListWindow(zk::HWND list) { list_ = list; }
    zk::HWND ListWindow() const { return list_; }

    // Measures the uniform row size and the total size for the kind of context `dc` is.
    void LayOut(const ZKDC& dc);
    zk::Size RowSize(bool printer = false) const { return layouts_[printer].row; }
    zk::Size TotalSize(bool printer = false) const { return layouts_[printer].total; }
    // A log's rows changed their size (new fonts): the next layouts measure every row again.
    void RowsResized();

    // Clears the selection of every row (of a log: of the rows appended since the last call).
    void ClearSelections();
    bool AnyFlashing() const;

private:
    struct Layout {
        zk::Size row;
        zk::Size total;
        int measured = 0;  // a log's rows counted in `row`
    };
    void LayOutAll(const ZKDC& dc, Layout& layout);
    void LayOutAppended(const ZKDC& dc, Layout& layout);

    Kind kind_;
    std::vector<std::unique_ptr<ZKListBoxItem>> rows_;
    int current_ = kNone;
    int previous_ = kNone;
    zk::HWND list_;
    Layout layouts_[2];
    // A log's rows before these counts have been deselected and looked at for flashing.
    int deselected_ = 0;
    mutable int flashChecked_ = 0;
    mutable bool anyFlashing_ = false;
};
