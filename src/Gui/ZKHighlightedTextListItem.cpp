#include "Gui/ZKHighlightedTextListItem.h"

#include "Gui/ZKDC.h"

namespace {

constexpr int kInsetX = 4;
constexpr int kInsetTop = 2;

}  // namespace

ZKHighlightedTextListItem::ZKHighlightedTextListItem(std::string text, std::string search,
                                                     std::optional<ZKRGB> colour)
    : text_(std::move(text)), search_(std::move(search)), colour_(colour) {}

std::string ZKHighlightedTextListItem::UpperCase(std::string text) {
    for (char& ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            ch = static_cast<char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E)  // s, oe, z with caron
            ch = static_cast<char>(c - 0x10);
        else if (c == 0xFF)
            ch = static_cast<char>(0x9F);  // y with diaeresis
    }
    return text;
}

std::size_t ZKHighlightedTextListItem::FindMatch(const std::string& text, const std::string& search) {
    return UpperCase(text).find(UpperCase(search));
}

ZKRGB ZKHighlightedTextListItem::HighlightColour(ZKRGB rowColour, bool colourBlind) {
    if (colourBlind) return kOrange;
    // Green and cyan text (dark or light scheme) would not show a green match.
    const bool greenOrCyan = rowColour.g >= 128 && rowColour.r < 128;
    return greenOrCyan ? kRed : kGreen;
}

zk::Size ZKHighlightedTextListItem::PreferredSize(const ZKDC& dc) const {
    const int h = dc.Fonts().Get(ZKFontSet::Normal).height;
    return {dc.TextExtent(text_, ZKFontSet::Normal).cx + 2 * kInsetX, h + h / 3};
}

ZKRGB ZKHighlightedTextListItem::RowColour(const ZKDC& dc) const {
    if (!Enabled() || !colour_) return TextColour(dc);
    return *colour_;
}

void ZKHighlightedTextListItem::Draw(ZKDC& dc, const zk::Rect& rect, Look look) const {
    ZKTextListItemBase::Draw(dc, rect, look);
    const ZKRGB colour = RowColour(dc);
    const int x = rect.left + kInsetX;
    const int y = rect.top + kInsetTop;
    const std::size_t match = search_.empty() ? std::string::npos : FindMatch(text_, search_);
    if (match == std::string::npos) {
        dc.TextOut(x, y, text_, ZKFontSet::Normal, colour);
        return;
    }
    // Before, match and after, each placed after the extent of what precedes it.
    const std::string before = text_.substr(0, match);
    const std::string found = text_.substr(match, search_.size());
    const int foundX = x + dc.TextExtent(before, ZKFontSet::Normal).cx;
    const int afterX = x + dc.TextExtent(before + found, ZKFontSet::Normal).cx;
    dc.TextOut(x, y, before, ZKFontSet::Normal, colour);
    dc.TextOut(foundX, y, found, ZKFontSet::Normal,
               HighlightColour(colour, ZKGDI::CurrentOptions().colourBlind));
    dc.TextOut(afterX, y, text_.substr(match + search_.size()), ZKFontSet::Normal, colour);
}
