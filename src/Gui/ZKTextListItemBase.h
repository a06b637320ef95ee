#pragma once
// A list row that shows text: it draws the row's background and, on the current row, a frame; the derived
// class draws the text on top in TextColour().
//
//   state                      background                frame
//   normal                     colour slot 5, or the     none
//                              row's own background
//   selected or flash "on"     colour slot 7             none
//   current                    as above                  colour slot 12
//
// A disabled row's text is drawn in colour slot 1.

#include <optional>

#include "Gui/ZKGDI.h"
#include "Gui/ZKListBoxItem.h"

class ZKTextListItemBase : public ZKListBoxItem {
public:
    void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const override;

    // A background of the row's own in place of colour slot 5 (none by default).
    void SetBackground(std::optional<ZKRGB> colour) { background_ = colour; }
    std::optional<ZKRGB> Background() const { return background_; }

protected:
    // The colour for text without a colour code of its own: slot 0, or slot 1 when the row is disabled.
    ZKRGB TextColour(const ZKDC& dc) const;

private:
    std::optional<ZKRGB> background_;
};
