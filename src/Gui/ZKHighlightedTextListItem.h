#pragma once
// A list row of plain text (Windows-1252, no rich-text codes) in a colour of its own, that shows the part
// matching a search text in a highlight colour: green, or red when the row's own colour is already green or
// cyan, or orange while the colour-blind option is on. The match is found without regard to case; the
// first occurrence is highlighted.
//
// Its size and insets are those of a rich-text row: (text width + 8) x (h + h / 3), text at (4, 2).

#include <string>

#include "Gui/ZKTextListItemBase.h"

class ZKHighlightedTextListItem : public ZKTextListItemBase {
public:
    static constexpr ZKRGB kGreen{0, 255, 0};
    static constexpr ZKRGB kRed{255, 0, 0};
    static constexpr ZKRGB kOrange{255, 128, 0};

    // Without a colour the row uses the default text colour (slot 0) when it draws.
    ZKHighlightedTextListItem(std::string text, std::string search, std::optional<ZKRGB> colour = {});

    // The position of the first case-insensitive occurrence of `search` in `text`, or npos; 0 for an empty
    // search text.
    static std::size_t FindMatch(const std::string& text, const std::string& search);
    // The text in upper case: ASCII and the Windows-1252 letters.
    static std::string UpperCase(std::string text);
    // The highlight colour for a row drawn in `rowColour`.
    static ZKRGB HighlightColour(ZKRGB rowColour, bool colourBlind);

    zk::Size PreferredSize(const ZKDC& dc) const override;
    void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const override;
    std::string Text() const override { return text_; }
    const std::string& Search() const { return search_; }

private:
    ZKRGB RowColour(const ZKDC& dc) const;

    std::string text_;
    std::string search_;
    std::optional<ZKRGB> colour_;
};
