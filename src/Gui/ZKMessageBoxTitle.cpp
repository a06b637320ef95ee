#include "Gui/ZKMessageBoxTitle.h"

using namespace zk;

Size ZKMessageBoxTitle::Measure() {
    extent_ = {};
    if (title_.empty()) return extent_;
    const ZKMeasuringDC m;
    try {
        text_.Measure(m.dc, title_);
    } catch (const ZKRichTextError&) {
        text_.Measure(m.dc, ZKRichText::PlainRichText(title_));
    }
    extent_ = text_.Extent();
    return extent_;
}

void ZKMessageBoxTitle::Paint(ZKDC& dc, int width, bool active) const {
    const int th = extent_.cy;
    if (th <= 0) return;
    dc.GradientFill({1, 1, width - 1, 6 + th}, dc.Colour(active ? 16 : 20), dc.Colour(active ? 13 : 21),
                    false);
    dc.Line({1, 5 + th}, {width - 1, 5 + th}, dc.Colour(active ? 18 : 12));
    try {
        text_.Draw(dc, 10, 3, 10 + extent_.cx, 3 + th);
    } catch (const ZKRichTextError&) {
        // A title whose layout fails shows no text; the band stays.
    }
}
