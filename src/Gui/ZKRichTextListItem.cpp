#include "Gui/ZKRichTextListItem.h"

#include "Gui/ZKDC.h"

namespace {

constexpr int kWide = 1 << 20;

}  // namespace

ZKRichTextListItem::ZKRichTextListItem(std::string text, std::span<const int> tabs) : text_(std::move(text)) {
    SetSingleLine(true);
    SetTabs(tabs);
    ZKMeasuringDC m;
    Remeasure(m.dc);
}

void ZKRichTextListItem::SetTabStops(std::span<const int> tabs) {
    SetTabs(tabs);
    ZKMeasuringDC m;
    Remeasure(m.dc);
}

void ZKRichTextListItem::Remeasure(const ZKDC& dc) {
    // A second justification that does not parse shows only in a layout: try one here, so that Draw
    // cannot fail later.
    try {
        Measure(dc, text_);
        LayOut(dc, {0, 0, kWide, kWide});
    } catch (const ZKRichTextError&) {
        Measure(dc, ZKRichText::PlainRichText(text_));
    }
}

zk::Size ZKRichTextListItem::PreferredSize(const ZKDC& dc) const {
    const int h = dc.Fonts().Get(ZKFontSet::Normal).height;
    const zk::Size extent = Extent();
    return {extent.cx + 2 * kInsetX, (extent.cy != 0 ? extent.cy : h) + h / 3};
}

void ZKRichTextListItem::Draw(ZKDC& dc, const zk::Rect& rect, Look look) const {
    ZKTextListItemBase::Draw(dc, rect, look);
    const zk::Rect inner{rect.left + kInsetX, rect.top + kInsetTop, rect.right - kInsetX,
                         rect.bottom - kInsetBottom};
    std::vector<PlacedText> placed;
    try {
        placed = LayOut(dc, inner);
    } catch (const ZKRichTextError&) {
        // A layout that only a narrow row meets: show the plain text.
        ZKRichText plain;
        plain.SetSingleLine(true);
        plain.Measure(dc, ZKRichText::PlainRichText(text_));
        placed = plain.LayOut(dc, inner);
    }
    for (const PlacedText& text : placed) {
        // A disabled row greys out all of its text, coloured or not.
        const ZKRGB colour = Enabled() ? text.colour : TextColour(dc);
        dc.TextOut(text.x, text.y, text.text, ZKFontSet::Normal, colour);
    }
}
