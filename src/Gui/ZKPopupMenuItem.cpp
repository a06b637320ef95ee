#include "Gui/ZKPopupMenuItem.h"

#include <cctype>
#include <utility>

#include "Gui/ZKDC.h"
#include "Platform/WindowTypes.h"

namespace {

constexpr int kTextLeft = 4;
constexpr int kTextTop = 2;
constexpr int kKeyRight = 4;
constexpr int kExtraHeight = 8;

}  // namespace

ZKPopupMenuItem::ZKPopupMenuItem(std::string keyText, std::string text, char key, bool enabled,
                                 std::optional<ZKRGB> colour, std::uint32_t extra)
    : keyText_(std::move(keyText)),
      text_(std::move(text)),
      key_(key),
      virtualKey_(VirtualKeyOf(key)),
      colour_(colour),
      extra_(extra) {
    SetEnabled(enabled);
}

std::unique_ptr<ZKPopupMenuItem> ZKPopupMenuItem::Separator() {
    auto item = std::make_unique<ZKPopupMenuItem>("", "", 0, false);
    item->separator_ = true;
    return item;
}

std::uint8_t ZKPopupMenuItem::VirtualKeyOf(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalpha(c)) return static_cast<std::uint8_t>(std::toupper(c));
    if (std::isdigit(c) || c == ' ') return c;
    struct Pair {
        char ch;
        int vk;
    };
    static constexpr Pair kPunctuation[] = {
        {';', zk::VK_OEM_1},      {'=', zk::VK_OEM_PLUS}, {',', zk::VK_OEM_COMMA}, {'-', zk::VK_OEM_MINUS},
        {'.', zk::VK_OEM_PERIOD}, {'/', zk::VK_OEM_2},    {'`', zk::VK_OEM_3},     {'[', zk::VK_OEM_4},
        {'\\', zk::VK_OEM_5},     {']', zk::VK_OEM_6},    {'\'', zk::VK_OEM_7},
    };
    for (const Pair& p : kPunctuation)
        if (p.ch == ch) return static_cast<std::uint8_t>(p.vk);
    return 0;
}

int ZKPopupMenuItem::UnderlinedIndex() const {
    if (keyText_.size() == 1) return 0;
    if (!std::isalpha(static_cast<unsigned char>(key_))) return -1;
    const std::size_t at = keyText_.find(key_);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

zk::Size ZKPopupMenuItem::PreferredSize(const ZKDC& dc) const {
    const zk::Size text = dc.TextExtent(text_ + "      " + keyText_, ZKFontSet::Normal);
    return {text.cx + TextIndent() - kTextLeft, dc.Fonts().Get(ZKFontSet::Normal).height + kExtraHeight};
}

ZKRGB ZKPopupMenuItem::LabelColour(const ZKDC& dc) const {
    if (!Enabled()) return dc.Colour(1);
    return colour_ ? *colour_ : dc.Colour(0);
}

void ZKPopupMenuItem::Draw(ZKDC& dc, const zk::Rect& rect, Look look) const {
    ZKTextListItemBase::Draw(dc, rect, look);
    if (separator_) {
        const int y = rect.top + rect.Height() / 2;
        dc.Line({rect.left + kTextLeft, y}, {rect.right - kKeyRight, y}, dc.Colour(12));
        return;
    }
    if (look.current) {
        dc.FillRect(rect, dc.Colour(7));
        dc.FrameRect(rect, dc.Colour(12));
    }
    const ZKRGB colour = LabelColour(dc);
    dc.TextOut(rect.left + TextIndent(), rect.top + kTextTop, text_, ZKFontSet::Normal, colour);
    if (!keyText_.empty())
        dc.TextOut(rect.right - kKeyRight, rect.top + kTextTop, keyText_, ZKFontSet::Normal, colour,
                   ZKDC::Align::Right, UnderlinedIndex());
}
