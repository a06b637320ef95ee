#include "Gui/ZKTextListItemBase.h"

#include "Gui/ZKDC.h"

void ZKTextListItemBase::Draw(ZKDC& dc, const zk::Rect& rect, Look look) const {
    ZKRGB fill = background_ ? *background_ : dc.Colour(5);
    if (Selected() || look.secondLook) fill = dc.Colour(7);
    dc.FillRect(rect, fill);
    if (look.current) dc.FrameRect(rect, dc.Colour(12));
}

ZKRGB ZKTextListItemBase::TextColour(const ZKDC& dc) const {
    return dc.Colour(Enabled() ? 0 : 1);
}
