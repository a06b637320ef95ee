#pragma once
// One row of a toolkit list box. The list box lays all its rows out at one uniform height (the tallest
// preferred height) and asks each visible row to draw itself into its row rectangle.
//
// A row carries its selection, enabled and flashing state; how a state looks is up to the row class.

#include <string>

#include "Platform/Geometry.h"

class ZKDC;

class ZKListBoxItem {
public:
    // How the list box asks a row to look.
    struct Look {
        bool current = false;     // the list's current row
        bool secondLook = false;  // a flashing row in the "on" phase of its flash
    };

    ZKListBoxItem() = default;
    ZKListBoxItem(const ZKListBoxItem&) = delete;
    ZKListBoxItem& operator=(const ZKListBoxItem&) = delete;
    virtual ~ZKListBoxItem() = default;

    // The size the row would like in `dc`; the list box uses the widest and the tallest of all rows.
    virtual zk::Size PreferredSize(const ZKDC& dc) const = 0;
    // The preferred height alone. A row whose width is costly to measure answers it without measuring.
    virtual int PreferredHeight(const ZKDC& dc) const { return PreferredSize(dc).cy; }
    // Draws the row into `rect` (the list box has clipped to its own rectangle).
    virtual void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const = 0;
    // The row's text as the caller gave it (with any rich-text codes); empty for rows without text.
    virtual std::string Text() const { return {}; }
    // Measures the row again after a font or colour scheme change.
    virtual void Remeasure(const ZKDC&) {}

    bool Selected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Flashing() const { return flashing_; }
    void SetFlashing(bool flashing) { flashing_ = flashing; }

private:
    bool selected_ = false;
    bool enabled_ = true;
    bool flashing_ = false;
};
