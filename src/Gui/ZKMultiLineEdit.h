#pragma once
// An edit field of several lines: ZKEdit with line breaks (Enter, and kept in a paste), Up and Down
// between lines, Home and End on the caret's line, and a vertical scroll that follows the caret. Lines
// are not wrapped; a line wider than the field scrolls sideways as in the one-line field.

#include "Gui/ZKEdit.h"

class ZKMultiLineEdit : public ZKEdit {
public:
    explicit ZKMultiLineEdit(zk::UINT id = 0, const std::string& text = {}, std::size_t limit = 0)
        : ZKEdit(id, text, limit, true) {}

    // As wide as the widest line and as high as all lines, plus the insets and the padding.
    zk::Size PreferredSize() const override;
};
