#pragma once
// The toolkit's modal message box: an optional rich-text title on a band, a rich-text body that scrolls
// when it is taller than the screen's work area, and the buttons of a set (ZKMessageBoxButtons). DoModal
// returns the result of the button that ended it.
//
// Layout, with the button row's size rw x rh, the title's extent tw x th (th 0 for no title) and the
// body's unwrapped extent bw x bh:
//
//   +------------------------------------------+  W = max(bw, tw, rw) + 20
//   |#####  title band (1, 1, W-1, 6+th)  ######|  only when th > 0; text at (10, 3)
//   |                                          |
//   |   body (10, top, W-10, H-rh-20)          |  top: th + 16 with a title, 10 without
//   |                                          |
//   |            [ Yes ]  [ No ]               |  centred, 10 apart, top H - 10 - h1
//   +------------------------------------------+  H = rh + 30 + bh (+ 6 + th), cut to the work area
//
// The title band is ZKMessageBoxTitle's. Title and text are rich text; one whose codes do not parse is
// shown as plain text.

#include <span>
#include <string>

#include "Gui/ZKMessageBoxButtons.h"
#include "Gui/ZKMessageBoxTitle.h"
#include "Gui/ZKScrollableRichText.h"

class ZKMessageBox : public ZKMessageBoxButtons {
public:
    ZKMessageBox(zk::HWND parent, const std::string& title, const std::string& text, int buttonSet);
    ZKMessageBox(zk::HWND parent, const std::string& text, int buttonSet);

    // Replaces the body's text.
    void SetText(const std::string& text);
    // Tab stops and custom colours of both the title and the body.
    void SetTabs(std::span<const int> stops);
    void SetColours(std::span<const ZKRGB> colours);

    const ZKScrollableRichText& Body() const { return body_; }
    const std::string& Title() const { return title_.Text(); }

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;

private:
    // Creates the buttons and the body and sizes the dialog.
    void LayOut(zk::HWND hwnd);

    ZKMessageBoxTitle title_;
    ZKScrollableRichText body_;
};
