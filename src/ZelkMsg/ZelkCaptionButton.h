#pragma once
// One of the four buttons at the right of the main window's caption: minimise, maximise, restore, close. A
// toolkit button without text whose glyph is drawn over the button's face in the button's text colour.

#include "Gui/ZKButton.h"

class ZelkCaptionButton final : public ZKButton {
public:
    enum class Kind { Minimise = 1, Maximise, Restore, Close };
    static constexpr int kWidth = 20;
    static constexpr int kHeight = 18;

    explicit ZelkCaptionButton(Kind kind) : ZKButton("", 0, static_cast<zk::UINT>(kind)), kind_(kind) {}

    Kind GetKind() const { return kind_; }
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    Kind kind_;
};
