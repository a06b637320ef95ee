#include "Gui/ZKRichTextListItem.h"

#include "Gui/ZKDC.h"

namespace {

constexpr int kWide = 1 << 20;

int LineHeight(const ZKDC& dc) {
    return dc.Fonts().Get(ZKFontSet::Normal).height;
}

bool HasJustification(const ZKRichText& rich) {
    for (const ZKRichText::Token& token : rich.Tokens())
        if (token.type == ZKRichText::TokenType::Justify) return true;
    return false;
}

// Rows are measured with the screen's fonts, whatever they are drawn on: the given context when it is the
// screen's, else a measuring one.
struct ScreenDC {
    explicit ScreenDC(const ZKDC& given) : dc(given.ColourContext().printer ? own.emplace().dc : given) {}
    std::optional<ZKMeasuringDC> own;
    const ZKDC& dc;
};

}  // namespace

ZKRichTextListItem::ZKRichTextListItem(std::string text, std::span<const int> tabs)
    : ZKRichTextListItem(std::move(text),
                         std::make_shared<const std::vector<int>>(tabs.begin(), tabs.end())) {}

ZKRichTextListItem::ZKRichTextListItem(std::string text, Tabs tabs)
    : text_(std::move(text)), tabs_(std::move(tabs)) {}

void ZKRichTextListItem::SetTabStops(Tabs tabs) {
    tabs_ = std::move(tabs);
    form_ = Form::Unknown;
    measured_ = false;
}

void ZKRichTextListItem::Remeasure(const ZKDC&) {
    form_ = Form::Unknown;
    measured_ = false;
}

ZKRichText ZKRichTextListItem::MakeRichText() const {
    ZKRichText rich;
    rich.SetSingleLine(true);
    rich.SetTabs(*tabs_);
    return rich;
}

std::string ZKRichTextListItem::ShownText() const {
    return form_ == Form::Plain ? ZKRichText::PlainRichText(text_) : text_;
}

void ZKRichTextListItem::EnsureForm(const ZKDC& dc) const {
    if (form_ != Form::Unknown) return;
    ZKRichText rich = MakeRichText();
    try {
        rich.Parse(text_);
        // A second justification that does not fit shows only when measuring or in a layout: try both, so
        // that a text that cannot be drawn is known before it is drawn.
        if (HasJustification(rich)) {
            const ScreenDC screen(dc);
            rich.Measure(screen.dc, text_);
            rich.LayOut(screen.dc, {0, 0, kWide, kWide});
        }
        form_ = Form::Rich;
    } catch (const ZKRichTextError&) {
        form_ = Form::Plain;
    }
}

void ZKRichTextListItem::EnsureMeasured(const ZKDC& dc) const {
    if (measured_) return;
    const ScreenDC screen(dc);
    EnsureForm(screen.dc);
    ZKRichText rich = MakeRichText();
    rich.Measure(screen.dc, ShownText());
    extent_ = rich.Extent();
    measured_ = true;
}

zk::Size ZKRichTextListItem::Extent() const {
    if (!measured_) {
        const ZKMeasuringDC m;
        EnsureMeasured(m.dc);
    }
    return extent_;
}

zk::Size ZKRichTextListItem::PreferredSize(const ZKDC& dc) const {
    EnsureMeasured(dc);
    return {extent_.cx + 2 * kInsetX, PreferredHeight(dc)};
}

int ZKRichTextListItem::PreferredHeight(const ZKDC& dc) const {
    // One line, or none: the font height stands in for an empty text.
    const int h = LineHeight(dc);
    return h + h / 3;
}

void ZKRichTextListItem::Draw(ZKDC& dc, const zk::Rect& rect, Look look) const {
    ZKTextListItemBase::Draw(dc, rect, look);
    EnsureForm(dc);
    const zk::Rect inner{rect.left + kInsetX, rect.top + kInsetTop, rect.right - kInsetX,
                         rect.bottom - kInsetBottom};
    ZKRichText rich = MakeRichText();
    std::vector<ZKRichText::PlacedText> placed;
    try {
        rich.Parse(ShownText());
        placed = rich.LayOut(dc, inner);
    } catch (const ZKRichTextError&) {
        // A layout that only a narrow row meets: show the plain text.
        rich.Parse(ZKRichText::PlainRichText(text_));
        placed = rich.LayOut(dc, inner);
    }
    for (const ZKRichText::PlacedText& text : placed) {
        // A disabled row greys out all of its text, coloured or not.
        const ZKRGB colour = Enabled() ? text.colour : TextColour(dc);
        dc.TextOut(text.x, text.y, text.text, ZKFontSet::Normal, colour);
    }
}
