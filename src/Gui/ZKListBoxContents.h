#pragma once
// The rows of a list box, in order and owned, with the current row and the one before it, and the layout
// the list box scrolls by: one uniform row size (the widest and the tallest preferred size) and the total
// size of all rows, kept apart for the screen and for a printer.

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

    void Append(std::unique_ptr<ZKListBoxItem> row) { rows_.push_back(std::move(row)); }
    // Deletes every row; there is no current row afterwards.
    void Clear();

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

    bool AnyFlashing() const;

private:
    struct Layout {
        zk::Size row;
        zk::Size total;
    };
    std::vector<std::unique_ptr<ZKListBoxItem>> rows_;
    int current_ = kNone;
    int previous_ = kNone;
    zk::HWND list_;
    Layout layouts_[2];
};
