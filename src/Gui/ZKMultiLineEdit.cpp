#include "Gui/ZKMultiLineEdit.h"

#include <algorithm>

using namespace zk;

Size ZKMultiLineEdit::PreferredSize() const {
    int width = 0;
    int lines = 0;
    for (std::size_t start = 0;; ++lines) {
        const std::size_t end = Content().LineEnd(start);
        width = std::max(width, TextWidth(start, end));
        if (end >= Text().size()) break;
        start = end + 1;
    }
    return {width + 2 * kInsetX, (lines + 1) * LineHeight() + 2 * kPadY};
}
