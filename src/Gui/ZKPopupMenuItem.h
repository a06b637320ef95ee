#pragma once
// One row of a popup menu: a label on the left and, right-aligned, its key text with the access letter
// underlined. Pressing the key whose virtual-key code the item carries chooses it. A disabled item is drawn
// in colour slot 1 and cannot be chosen.
//
//   | Save to ...                 T |      label at (left + 4, top + 2), key text ending at right - 4
//
// The current row is filled in the selection colour (slot 7) and framed (slot 12). The preferred width is
// the extent of the label, six spaces and the key text; the height is the normal
// font's height + 8.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Gui/ZKFontSet.h"
#include "Gui/ZKTextListItemBase.h"

class ZKPopupMenuItem : public ZKTextListItemBase {
public:
    // `colour`: the text colour; none for colour slot 0 of the scheme in force when the row is drawn.
    ZKPopupMenuItem(std::string keyText, std::string text, char key, bool enabled = true,
                    std::optional<ZKRGB> colour = std::nullopt, std::uint32_t extra = 0);

    // A line between groups of items: disabled, without text or key.
    static std::unique_ptr<ZKPopupMenuItem> Separator();
    bool IsSeparator() const { return separator_; }

    const std::string& KeyText() const { return keyText_; }
    std::string Text() const override { return text_; }
    char Key() const { return key_; }
    std::uint8_t VirtualKey() const { return virtualKey_; }
    std::uint32_t Extra() const { return extra_; }

    zk::Size PreferredSize(const ZKDC& dc) const override;
    void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const override;

    // The virtual-key code of the key that types `ch` on a US keyboard, 0 when none does.
    static std::uint8_t VirtualKeyOf(char ch);
    // Which character of the key text is underlined: its only one, else the key letter, else none (-1).
    int UnderlinedIndex() const;

protected:
    // Where the label starts, relative to the row's left edge; file items leave room for their icon.
    virtual int TextIndent() const { return 4; }
    ZKRGB LabelColour(const ZKDC& dc) const;

private:
    std::string keyText_;
    std::string text_;
    char key_;
    std::uint8_t virtualKey_;
    std::optional<ZKRGB> colour_;
    std::uint32_t extra_;
    bool separator_ = false;
};
