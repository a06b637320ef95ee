#pragma once
// A check box: a press toggles the tick. The box is filled with the state's face colour, framed in its edge
// colour, and ticked with a two-stroke check mark.

#include "Gui/ZKSelectionCtrl.h"

class ZKCheckBox : public ZKSelectionCtrl {
public:
    using ZKSelectionCtrl::ZKSelectionCtrl;

protected:
    bool NextTickState() const override { return !Ticked(); }
    void PaintMark(ZKDC& dc, const zk::Rect& box, ZKRGB face, ZKRGB edge, ZKRGB mark) const override;
};
