#include "Gui/ZKRadioButton.h"

using namespace zk;

void ZKRadioButton::PaintMark(ZKDC& dc, const Rect& box, ZKRGB face, ZKRGB edge, ZKRGB mark) const {
    dc.Ellipse(box, face, edge);
    if (Ticked()) dc.Ellipse({box.left + 4, box.top + 4, box.right - 4, box.bottom - 4}, mark, mark);
}
