#include "Gui/ZKTreeCtrl.h"

#include <algorithm>

#include "Gui/ZKTextListItemBase.h"

using namespace zk;

// One shown line: the box and the text of its item, indented by its depth.
class ZKTreeCtrl::Row final : public ZKTextListItemBase {
public:
    Row(const ZKTreeItem& item, int depth) : item_(item), depth_(depth) {}

    static int BoxLeft(int rowLeft, int depth) { return rowLeft + kMargin + depth * kIndent; }

    Size PreferredSize(const ZKDC& dc) const override {
        const Size text = dc.TextExtent(item_.Text(), ZKFontSet::Normal);
        const int height = dc.Fonts().Get(ZKFontSet::Normal).height;
        return {BoxLeft(0, depth_) + kIndent + text.cx + kMargin, height + 4};
    }

    void Draw(ZKDC& dc, const Rect& rect, Look look) const override {
        ZKTextListItemBase::Draw(dc, rect, look);
        const int boxLeft = BoxLeft(rect.left, depth_);
        if (item_.HasBox()) DrawBox(dc, BoxIn(rect, boxLeft), item_.IsOpen());
        dc.TextOut(boxLeft + kIndent, rect.top + 2, item_.Text(), ZKFontSet::Normal, item_.TextColour(dc));
    }

    std::string Text() const override { return item_.Text(); }

    static Rect BoxIn(const Rect& row, int boxLeft) {
        const int top = row.top + (row.Height() - kBoxSize) / 2;
        return {boxLeft, top, boxLeft + kBoxSize, top + kBoxSize};
    }

private:
    // A framed square with a minus; a closed branch adds the upright of a plus.
    static void DrawBox(ZKDC& dc, const Rect& box, bool open) {
        dc.FrameRect(box, dc.Colour(12));
        const int midX = box.left + kBoxSize / 2;
        const int midY = box.top + kBoxSize / 2;
        dc.Line({box.left + 2, midY}, {box.right - 2, midY}, dc.Colour(0));
        if (!open) dc.Line({midX, box.top + 2}, {midX, box.bottom - 2}, dc.Colour(0));
    }

    const ZKTreeItem& item_;
    int depth_;
};

ZKTreeCtrl::ZKTreeCtrl() : ZKListBoxBase(kBarRight | kNoBorder | kNoFlash, false) {
    SetTakesFocusOnClick(false);
}

void ZKTreeCtrl::SetItems(const ZKTreeItems* items) {
    // Forget the current line first: it may point into items that are gone.
    rows_.Clear();
    lines_.clear();
    items_ = items;
    Rebuild();
}

void ZKTreeCtrl::AddLines(const ZKTreeItems& items, int depth) {
    for (const auto& item : items) {
        if (item->Hidden()) continue;
        lines_.push_back({item.get(), depth});
        if (item->IsOpen()) AddLines(item->Children(), depth + 1);
    }
}

int ZKTreeCtrl::LineOf(const ZKTreeItem* item) const {
    for (; item; item = item->Parent()) {
        const auto found = std::find_if(lines_.begin(), lines_.end(),
                                        [item](const Line& line) { return line.item == item; });
        if (found != lines_.end()) return static_cast<int>(found - lines_.begin());
    }
    return ZKListBoxContents::kNone;
}

void ZKTreeCtrl::Rebuild() {
    const ZKTreeItem* current = CurrentItem();
    lines_.clear();
    if (items_) AddLines(*items_, 0);
    rows_.Clear();
    for (const Line& line : lines_)
        rows_.Append(std::make_unique<Row>(*line.item, line.depth));
    const int at = LineOf(current);
    if (!lines_.empty()) rows_.SetCurrent(at == ZKListBoxContents::kNone ? 0 : at);
    // Attach keeps the view where it was and scrolls the current line into it.
    Attach(&rows_, false);
}

ZKTreeItem* ZKTreeCtrl::CurrentItem() const {
    const int current = rows_.Current();
    if (current < 0 || current >= LineCount()) return nullptr;
    return lines_[static_cast<std::size_t>(current)].item;
}

void ZKTreeCtrl::SetCurrentItem(const ZKTreeItem& item) {
    const int line = LineOf(&item);
    if (line != ZKListBoxContents::kNone) SetCurrent(line);
}

void ZKTreeCtrl::Open(ZKTreeItem& item) {
    if (item.IsOpen()) return;
    item.SetFlags(ZKTreeItem::kOpen);
    Rebuild();
}

void ZKTreeCtrl::Close(ZKTreeItem& item) {
    if (!item.IsOpen()) return;
    item.ClearFlags(ZKTreeItem::kOpen);
    Rebuild();
}

void ZKTreeCtrl::OpenCurrent() {
    if (ZKTreeItem* item = CurrentItem()) Open(*item);
}

void ZKTreeCtrl::CloseCurrent() {
    if (ZKTreeItem* item = CurrentItem()) Close(*item);
}

void ZKTreeCtrl::Action() {
    ZKTreeItem* item = CurrentItem();
    if (!item) return;
    if (item->IsOpen())
        Close(*item);
    else
        Open(*item);
}

bool ZKTreeCtrl::TreeKey(int vk) {
    switch (vk) {
        case VK_RETURN:
            Action();
            return true;
        case VK_RIGHT:
            OpenCurrent();
            return true;
        case VK_LEFT: {
            ZKTreeItem* item = CurrentItem();
            if (item && item->IsOpen() && !item->Children().empty())
                Close(*item);
            else if (item && item->Parent())
                SetCurrentItem(*item->Parent());
            return item != nullptr;
        }
        default:
            return HandleKey(vk);
    }
}

bool ZKTreeCtrl::TreeChar(int ch) {
    if (ch == '+') OpenCurrent();
    if (ch == '-') CloseCurrent();
    return ch == '+' || ch == '-';
}

void ZKTreeCtrl::SetEmptyText(std::string text) {
    emptyText_ = std::move(text);
    Invalidate();
}

Rect ZKTreeCtrl::BoxRect(int line) const {
    if (line < 0 || line >= LineCount() || !LineItem(line).HasBox()) return {};
    const int height = std::max(1, rows_.RowSize().cy);
    int top = 0;
    const int first = FirstVisibleRow(&top);
    const Rect rows = RowsRect();
    const Rect row{rows.left, top + (line - first) * height, rows.right, top + (line - first + 1) * height};
    return Row::BoxIn(row, Row::BoxLeft(row.left, LineDepth(line)));
}

bool ZKTreeCtrl::OnLeftDown(Point point) {
    const int line = RowAt(point);
    if (line == ZKListBoxContents::kNone || !BoxRect(line).Contains(point)) return false;
    SetCurrent(line);
    Action();
    return true;
}

bool ZKTreeCtrl::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    switch (message) {
        case WM_LBUTTONDOWN:
            if (OnLeftDown(LParamToPoint(lParam))) return true;
            break;
        case WM_LBUTTONDBLCLK: {
            const int line = RowAt(LParamToPoint(lParam));
            if (line != ZKListBoxContents::kNone) {
                SetCurrent(line);
                Action();
            }
            return true;
        }
        case WM_KEYDOWN:
            if (TreeKey(static_cast<int>(wParam))) return true;
            break;
        case WM_CHAR:
            if (TreeChar(static_cast<int>(wParam))) return true;
            break;
        default:
            break;
    }
    return ZKListBoxBase::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKTreeCtrl::Paint(ZKDC& dc, const Rect& rect) {
    ZKListBoxBase::Paint(dc, rect);
    if (lines_.empty() && !emptyText_.empty())
        dc.TextOut(kMargin, kMargin, emptyText_, ZKFontSet::Normal, dc.Colour(1));
}
