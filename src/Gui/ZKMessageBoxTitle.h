#pragma once
// The rich-text title of the message boxes (ZKMessageBox, ZKMessageEditBox) and the band it is drawn on:
//
//   (1, 1) +---------------------------------------+ gradient: slot 16 -> 13 (active), 20 -> 21 (inactive)
//          |  title text at (10, 3), tw x th       |
//          +=======================================+ y = 5 + th: one line in slot 18 (active) or 12
//
// An empty title has no extent and draws nothing. A title whose codes do not parse is shown as plain text.

#include <span>
#include <string>

#include "Gui/ZKDC.h"
#include "Gui/ZKRichText.h"

class ZKMessageBoxTitle {
public:
    explicit ZKMessageBoxTitle(std::string title) : title_(std::move(title)) {}

    const std::string& Text() const { return title_; }
    void SetTabs(std::span<const int> stops) { text_.SetTabs(stops); }
    void SetColours(std::span<const ZKRGB> colours) { text_.SetColours(colours); }

    // Lays the title out in the screen's fonts; returns its extent (0 x 0 for an empty title).
    zk::Size Measure();
    zk::Size Extent() const { return extent_; }
    // The band across a client area `width` wide, and the title on it.
    void Paint(ZKDC& dc, int width, bool active) const;

private:
    std::string title_;
    ZKRichText text_;
    zk::Size extent_;
};
