#pragma once
// A line of the error state tree: a group, an error source or a cause, in the colour slot of its severity
// (35 nothing active, 37 stored, 38 active). The colour is looked up when the line is drawn, so an open
// dialog follows a change of colour scheme.

#include <string>
#include <utility>

#include "Gui/ZKDC.h"
#include "Gui/ZKTreeItem.h"

class ZKErrorItem final : public ZKTreeItem {
public:
    static constexpr int kNoErrorSlot = 35;
    static constexpr int kStoredSlot = 37;
    static constexpr int kActiveSlot = 38;

    ZKErrorItem(std::string text, int colourSlot) : text_(std::move(text)), slot_(colourSlot) {}

    std::string Text() const override { return text_; }
    ZKRGB TextColour(const ZKDC& dc) const override { return dc.Colour(slot_); }
    int ColourSlot() const { return slot_; }
    void SetColourSlot(int slot) { slot_ = slot; }

    // How severe a colour slot is: active above stored above nothing active.
    static int Severity(int slot) { return slot == kActiveSlot ? 2 : slot == kStoredSlot ? 1 : 0; }

private:
    std::string text_;
    int slot_;
};
