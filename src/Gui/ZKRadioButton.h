#pragma once
// A radio button: a press ticks it (the owner unticks the others of its group). The mark is a round box
// with a dot.

#include "Gui/ZKSelectionCtrl.h"

class ZKRadioButton : public ZKSelectionCtrl {
public:
    using ZKSelectionCtrl::ZKSelectionCtrl;

protected:
    bool NextTickState() const override { return true; }
    void PaintMark(ZKDC& dc, const zk::Rect& box, ZKRGB face, ZKRGB edge, ZKRGB mark) const override;
};
