#include "Gui/ZKCheckBox.h"

using namespace zk;

void ZKCheckBox::PaintMark(ZKDC& dc, const Rect& box, ZKRGB face, ZKRGB edge, ZKRGB mark) const {
    dc.FillRect(box, face);
    dc.FrameRect(box, edge);
    if (!Ticked()) return;
    const int x = box.left;
    const int y = box.top;
    dc.Line({x + 3, y + 6}, {x + 6, y + 9}, mark, 2);
    dc.Line({x + 5, y + 9}, {x + 10, y + 3}, mark, 2);
}
