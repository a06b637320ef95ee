#pragma once
// A list row of one line of rich text (single-line mode: line breaks only separate words, nothing wraps).
//
// A row holds only its text and its list's tab stops (shared by every row of the list). It is parsed
// whenever it is drawn and measured with the screen's fonts the first time its size is asked for, so that
// a log of a million rows costs no text measuring for the rows nobody looks at. Its height needs no
// measuring: one line is h + h / 3 pixels, 18 on the screen.
//
// Its preferred size is (text width + 8) × (text height, or h for an empty text, + h / 3). The text is
// drawn inset by 4 pixels left and right, 2 at the top, 1 at the bottom.
//
// Rows often show text from outside the program (device messages): a text whose codes do not parse or lay
// out is shown as its plain text instead, so that no text can break the list. Text() still returns it as
// given.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Gui/ZKRichText.h"
#include "Gui/ZKTextListItemBase.h"

class ZKRichTextListItem : public ZKTextListItemBase {
public:
    using Tabs = std::shared_ptr<const std::vector<int>>;

    static constexpr int kInsetX = 4;
    static constexpr int kInsetTop = 2;
    static constexpr int kInsetBottom = 1;

    ZKRichTextListItem(std::string text, std::span<const int> tabs);
    ZKRichTextListItem(std::string text, Tabs tabs);

    // Replaces the tab stops (tabs change the row's width, which is measured again when next asked for).
    void SetTabStops(Tabs tabs);
    const std::vector<int>& TabStops() const { return *tabs_; }

    // The text's unwrapped extent with the screen's fonts: its width, and h (0 for a text without words).
    zk::Size Extent() const;

    zk::Size PreferredSize(const ZKDC& dc) const override;
    int PreferredHeight(const ZKDC& dc) const override;
    void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const override;
    std::string Text() const override { return text_; }
    // Forgets the measured width; the row is measured again with the new fonts when next asked.
    void Remeasure(const ZKDC& dc) override;

private:
    enum class Form : std::uint8_t { Unknown, Rich, Plain };

    // Whether the text's codes parse and lay out (`dc` measures for the screen).
    void EnsureForm(const ZKDC& dc) const;
    void EnsureMeasured(const ZKDC& dc) const;
    // The text that is drawn: the row's own, or its plain text when its codes fail.
    std::string ShownText() const;
    ZKRichText MakeRichText() const;

    std::string text_;
    Tabs tabs_;
    mutable zk::Size extent_;
    mutable Form form_ = Form::Unknown;
    mutable bool measured_ = false;
};
