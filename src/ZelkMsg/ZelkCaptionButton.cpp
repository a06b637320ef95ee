#include "ZelkMsg/ZelkCaptionButton.h"

void ZelkCaptionButton::Paint(ZKDC& dc, const zk::Rect& rect) {
    ZKButton::Paint(dc, rect);
    const Colours colours = CurrentColours(dc.ColourContext());
    const ZKRGB ink = colours.text;
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    switch (kind_) {
        case Kind::Minimise:
            dc.FillRect({cx - 4, cy + 2, cx + 5, cy + 4}, ink);
            break;
        case Kind::Maximise:
            dc.FrameRect({cx - 5, cy - 4, cx + 5, cy + 5}, ink);
            dc.FillRect({cx - 5, cy - 4, cx + 5, cy - 2}, ink);
            break;
        case Kind::Restore:
            dc.FrameRect({cx - 2, cy - 5, cx + 5, cy + 2}, ink);
            dc.FillRect({cx - 5, cy - 2, cx + 2, cy + 5}, colours.faceBottom);
            dc.FrameRect({cx - 5, cy - 2, cx + 2, cy + 5}, ink);
            break;
        case Kind::Close:
            for (int d = -4; d <= 4; ++d) {
                dc.FillRect({cx + d, cy + d, cx + d + 2, cy + d + 1}, ink);
                dc.FillRect({cx + d, cy - d, cx + d + 2, cy - d + 1}, ink);
            }
            break;
    }
}
