#include "Gui/ZKChooseDialog.h"

#include <algorithm>

using namespace zk;

namespace {

bool Printable(int ch) {
    return ch >= 32 && ch != 127 && ch <= 255;
}

}  // namespace

ZKChooseDialog::ZKChooseDialog(HWND owner, std::string title) : ZKChooseDialog(owner, std::move(title), 0) {}

ZKChooseDialog::ZKChooseDialog(HWND owner, std::string title, DWORD listStyle)
    : ZKControlsDialog(owner), titleText_(std::move(title)), list_(listStyle) {
    list_.SetTakesFocusOnClick(false);  // typing must keep reaching the dialog
}

void ZKChooseDialog::SetPlacement(Point anchor, Placement mode) {
    anchor_ = anchor;
    placement_ = mode;
}

std::intptr_t ZKChooseDialog::ChosenValue() const {
    return chosen_ >= 0 ? choices_[static_cast<std::size_t>(chosen_)].value : 0;
}

int ZKChooseDialog::ChoiceOfRow(int row) const {
    return row >= 0 && row < static_cast<int>(rowChoices_.size()) ? rowChoices_[static_cast<std::size_t>(row)]
                                                                  : -1;
}

bool ZKChooseDialog::CurrentChoosable() const {
    const int choice = ChoiceOfRow(rows_.Current());
    return choice >= 0 && choices_[static_cast<std::size_t>(choice)].enabled;
}

bool ZKChooseDialog::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd);
            break;
        case WM_CHAR:
            OnChar(static_cast<int>(wParam));
            return true;
        case WMU_LIST_CURRENT:
            ok_.SetEnabled(OkEnabledFor(rows_.Current()));
            return true;
        case WMU_LIST_CHOOSE:
            if (!closing_ && CurrentChoosable()) ChooseCurrent();
            return true;
        default:
            break;
    }
    return ZKControlsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKChooseDialog::OnCreate(HWND hwnd) {
    const ZKMeasuringDC m;
    try {
        title_.Measure(m.dc, titleText_);
    } catch (const ZKRichTextError&) {
        title_.Measure(m.dc, ZKRichText::PlainRichText(titleText_));
    }
    titleExtent_ = title_.Extent();
    list_.Create(hwnd, {kMargin, kMargin, kMargin + kMinListWidth, kMargin + 18}, WS_VISIBLE, kListId);
    for (ZKButton* b : RowButtons()) {
        b->Create(hwnd, {0, 0, b->PreferredSize().cx, b->PreferredSize().cy});
        Controls().AddControl(b);
    }
    Fill();
    LayOut();
}

void ZKChooseDialog::Fill() {
    rows_.Clear();
    rowChoices_.clear();
    preselected_ = -1;
    int preferred = -1;
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        const Choice& c = choices_[i];
        if (ZKHighlightedTextListItem::FindMatch(c.text, search_) == std::string::npos) continue;
        auto row = std::make_unique<ZKHighlightedTextListItem>(c.text, search_, c.colour);
        row->SetEnabled(c.enabled);
        if (!search_.empty() && c.text == search_) preselected_ = rows_.Count();
        if (static_cast<int>(i) == preferredChoice_) preferred = rows_.Count();
        rows_.Append(std::move(row));
        rowChoices_.push_back(static_cast<int>(i));
    }
    if (rows_.Count() == 0) {
        auto placeholder = std::make_unique<ZKHighlightedTextListItem>(kPlaceholder, std::string());
        placeholder->SetEnabled(false);
        rows_.Append(std::move(placeholder));
        rowChoices_.push_back(-1);
    }
    list_.Attach(&rows_, false);
    const int current = preselected_ >= 0 ? preselected_
                        : preferred >= 0  ? preferred
                                          : list_.FirstSelectableRow();
    list_.SetCurrent(current >= 0 ? current : 0);
    ok_.SetEnabled(OkEnabledFor(rows_.Current()));
    list_.Invalidate();
}

int ZKChooseDialog::TitleHeight(int lines) const {
    const int h = ZKFontSet::Screen().Get(ZKFontSet::Normal).height;
    return std::min(titleExtent_.cy, lines * h);
}

// Title from (10, 10), the list 10 pixels below it, the search line under the list while there is a search
// text, the buttons centred at the bottom. Too tall for the work area: the title gives up lines first (down
// to three), then the list rows (down to three, the list gaining its scroll bar's width).
void ZKChooseDialog::LayOut() {
    const int h = ZKFontSet::Screen().Get(ZKFontSet::Normal).height;
    const ZKMeasuringDC m;
    rows_.LayOut(m.dc);
    const Size row = rows_.RowSize();
    const std::vector<ZKButton*> buttons = RowButtons();
    int buttonsWidth = -kMargin;
    int buttonsHeight = 0;
    for (const ZKButton* b : buttons) {
        buttonsWidth += b->PreferredSize().cx + kMargin;
        buttonsHeight = std::max(buttonsHeight, b->PreferredSize().cy);
    }
    const int searchHeight = search_.empty() ? 0 : kMargin + h;
    int titleHeight = titleExtent_.cy;
    int listHeight = row.cy * rows_.Count();
    int listWidth = std::max(row.cx, kMinListWidth);
    const int available = GetMonitorInfoFromWindow(Window()).work.Height();
    const auto total = [&] {
        return titleHeight + listHeight + buttonsHeight + 25 + bottomGap_ + searchHeight;
    };
    if (total() > available)
        titleHeight = std::max(TitleHeight(kMinRows), titleHeight - (total() - available));
    if (total() > available) {
        const int rowsFit = std::max(kMinRows, (listHeight - (total() - available)) / std::max(1, row.cy));
        listHeight = rowsFit * row.cy;
        listWidth += ZKScrollBar::kUnit;
    }
    const int width = std::max({titleExtent_.cx, listWidth, buttonsWidth}) + 2 * kMargin;
    const int height = total();
    titleRect_ = {kMargin, kMargin, width - kMargin, kMargin + titleHeight};
    const int listTop = titleRect_.bottom + kMargin;
    searchTop_ = listTop + listHeight + kMargin;
    SetWindowPos(Window(), HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(list_.Window(), kMargin, listTop, width - 2 * kMargin, listHeight);
    const int buttonsTop = height - bottomGap_ - buttonsHeight;
    int left = width / 2 - buttonsWidth / 2;
    for (ZKButton* b : buttons) {
        const Size size = b->PreferredSize();
        MoveWindow(b->Window(), left, buttonsTop, size.cx, size.cy);
        left += size.cx + kMargin;
    }
    Place();
    InvalidateRect(Window(), nullptr, true);
}

void ZKChooseDialog::Place() {
    if (placement_ == kDefaultPlacement) {
        ZKControlsDialog::Place();
        return;
    }
    const Rect r = GetWindowRect(Window());
    const Rect work = GetMonitorInfoFromPoint(anchor_).work;
    const bool left = placement_ == kBelowLeft || placement_ == kAboveLeft;
    const bool above = placement_ == kAboveRight || placement_ == kAboveLeft;
    int x = left ? anchor_.x - r.Width() : anchor_.x;
    int y = above ? anchor_.y - r.Height() : anchor_.y;
    x = std::max(work.left, std::min(x, work.right - r.Width()));
    y = std::max(work.top, std::min(y, work.bottom - r.Height()));
    SetWindowPos(Window(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<ZKButton*> ZKChooseDialog::RowButtons() {
    std::vector<ZKButton*> buttons{&ok_, &cancel_};
    buttons.insert(buttons.end(), extraButtons_.begin(), extraButtons_.end());
    return buttons;
}

void ZKChooseDialog::Refill() {
    Fill();
    LayOut();
}

bool ZKChooseDialog::OnKeyDown(int vk) {
    if (closing_) return true;
    if (vk == VK_BACK) {
        if (!search_.empty()) {
            search_.pop_back();
            Refill();
        }
        return true;
    }
    if (vk == VK_RETURN || vk == VK_ESCAPE) return true;  // their characters press the buttons
    list_.HandleKey(vk);
    return true;
}

void ZKChooseDialog::OnChar(int ch) {
    if (closing_ || (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0)) return;
    if (ch == kOkKey) {
        if (!CurrentChoosable()) return;
        closing_ = true;
        ok_.Press();
    } else if (ch == kCancelKey) {
        closing_ = true;
        cancel_.Press();
    } else if (Printable(ch)) {
        search_ += static_cast<char>(ch);
        Refill();
    }
}

void ZKChooseDialog::OnControlNotify(ZKControl& control) {
    if (&control == &ok_) {
        if (CurrentChoosable()) ChooseCurrent();
    } else if (&control == &cancel_) {
        EndDialog(0);
    }
}

void ZKChooseDialog::ChooseCurrent() {
    chosen_ = ChoiceOfRow(rows_.Current());
    EndDialog(1);
}

void ZKChooseDialog::PaintDialog(ZKDC& dc, const Rect&) {
    cairo_t* cr = dc.Cairo();
    cairo_save(cr);
    cairo_rectangle(cr, titleRect_.left, titleRect_.top, titleRect_.Width(), titleRect_.Height());
    cairo_clip(cr);
    try {
        title_.Draw(dc, titleRect_.left, titleRect_.top, titleRect_.right, titleRect_.bottom);
    } catch (const ZKRichTextError&) {
        // A title whose layout fails shows nothing.
    }
    cairo_restore(cr);
    if (!search_.empty())
        dc.TextOut(kMargin, searchTop_, "Search : " + search_, ZKFontSet::Normal, dc.Colour(0));
}

// --- ZKMultiSelectDialog ---

ZKMultiSelectDialog::ZKMultiSelectDialog(HWND owner, std::string title)
    : ZKChooseDialog(owner, std::move(title), ZKListBoxBase::kMultiSelect) {}

void ZKMultiSelectDialog::KeepSelection() {
    selected_.resize(Choices().size(), false);
    for (int row = 0; row < Rows().Count(); ++row)
        if (const int choice = ChoiceOfRow(row); choice >= 0)
            selected_[static_cast<std::size_t>(choice)] = Rows().At(row).Selected();
}

void ZKMultiSelectDialog::Fill() {
    KeepSelection();
    ZKChooseDialog::Fill();
    for (int row = 0; row < Rows().Count(); ++row)
        if (const int choice = ChoiceOfRow(row); choice >= 0)
            MutableRows().At(row).SetSelected(selected_[static_cast<std::size_t>(choice)]);
}

void ZKMultiSelectDialog::ChooseCurrent() {
    KeepSelection();
    chosenIndices_.clear();
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i] && Choices()[i].enabled) chosenIndices_.push_back(static_cast<int>(i));
    if (chosenIndices_.empty()) chosenIndices_.push_back(ChoiceOfRow(Rows().Current()));
    ZKChooseDialog::ChooseCurrent();
}

std::vector<std::intptr_t> ZKMultiSelectDialog::ChosenValues() const {
    std::vector<std::intptr_t> values;
    for (const int i : chosenIndices_)
        values.push_back(Choices()[static_cast<std::size_t>(i)].value);
    return values;
}
