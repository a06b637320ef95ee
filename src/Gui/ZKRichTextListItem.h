#pragma once
// A list row of one line of rich text (single-line mode: line breaks only separate words, nothing wraps).
// It is measured once when created, with the screen's fonts, and again on Remeasure.
//
// Its preferred size is (text width + 8) × (text height, or h for an empty text, + h / 3): 18 pixels for
// one line on the screen. The text is drawn inset by 4 pixels left and right, 2 at the top, 1 at the bottom.
//
// Rows often show text from outside the program (device messages): a text whose codes do not parse or lay
// out is shown as its plain text instead, so that no text can break the list. Text() still returns it as
// given.

#include <span>
#include <string>

#include "Gui/ZKRichText.h"
#include "Gui/ZKTextListItemBase.h"

class ZKRichTextListItem : public ZKTextListItemBase, public ZKRichText {
public:
    static constexpr int kInsetX = 4;
    static constexpr int kInsetTop = 2;
    static constexpr int kInsetBottom = 1;

    ZKRichTextListItem(std::string text, std::span<const int> tabs);

    // Replaces the tab stops and measures again (tabs change the row's width).
    void SetTabStops(std::span<const int> tabs);

    zk::Size PreferredSize(const ZKDC& dc) const override;
    void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const override;
    std::string Text() const override { return text_; }
    void Remeasure(const ZKDC& dc) override;

private:
    std::string text_;
};
