#include "Gui/ZKListBoxContents.h"

#include <algorithm>

#include "Gui/ZKDC.h"

void ZKListBoxContents::Clear() {
    rows_.clear();
    current_ = previous_ = kNone;
    RowsResized();
    deselected_ = flashChecked_ = 0;
    anyFlashing_ = false;
}

void ZKListBoxContents::SetCurrent(int index) {
    previous_ = current_;
    current_ = index;
}

void ZKListBoxContents::LayOut(const ZKDC& dc) {
    Layout& layout = layouts_[dc.ColourContext().printer];
    if (kind_ == Kind::Log)
        LayOutAppended(dc, layout);
    else
        LayOutAll(dc, layout);
}

void ZKListBoxContents::LayOutAll(const ZKDC& dc, Layout& layout) {
    layout.row = {0, 0};
    for (const auto& row : rows_) {
        const zk::Size size = row->PreferredSize(dc);
        layout.row.cx = std::max(layout.row.cx, size.cx);
        layout.row.cy = std::max(layout.row.cy, size.cy);
    }
    layout.total = {layout.row.cx, layout.row.cy * Count()};
}

void ZKListBoxContents::LayOutAppended(const ZKDC& dc, Layout& layout) {
    for (int i = layout.measured; i < Count(); ++i)
        layout.row.cy = std::max(layout.row.cy, At(i).PreferredHeight(dc));
    layout.measured = Count();
    layout.total = {0, layout.row.cy * Count()};
}

void ZKListBoxContents::RowsResized() {
    for (Layout& layout : layouts_)
        layout = {};
}

void ZKListBoxContents::ClearSelections() {
    for (int i = kind_ == Kind::Log ? deselected_ : 0; i < Count(); ++i)
        At(i).SetSelected(false);
    deselected_ = Count();
}

bool ZKListBoxContents::AnyFlashing() const {
    const auto flashing = [](const auto& row) { return row->Flashing(); };
    if (kind_ == Kind::List) return std::any_of(rows_.begin(), rows_.end(), flashing);
    anyFlashing_ = anyFlashing_ || std::any_of(rows_.begin() + flashChecked_, rows_.end(), flashing);
    flashChecked_ = Count();
    return anyFlashing_;
}
