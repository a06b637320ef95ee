#include "Gui/ZKListBoxContents.h"

#include <algorithm>

#include "Gui/ZKDC.h"

void ZKListBoxContents::Clear() {
    rows_.clear();
    current_ = previous_ = kNone;
}

void ZKListBoxContents::SetCurrent(int index) {
    previous_ = current_;
    current_ = index;
}

void ZKListBoxContents::LayOut(const ZKDC& dc) {
    Layout& layout = layouts_[dc.ColourContext().printer];
    layout.row = {0, 0};
    for (const auto& row : rows_) {
        const zk::Size size = row->PreferredSize(dc);
        layout.row.cx = std::max(layout.row.cx, size.cx);
        layout.row.cy = std::max(layout.row.cy, size.cy);
    }
    layout.total = {layout.row.cx, layout.row.cy * Count()};
}

bool ZKListBoxContents::AnyFlashing() const {
    return std::any_of(rows_.begin(), rows_.end(), [](const auto& row) { return row->Flashing(); });
}
