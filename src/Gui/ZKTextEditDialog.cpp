#include "Gui/ZKTextEditDialog.h"

#include <algorithm>

using namespace zk;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

ZKTextEditDialog::ZKTextEditDialog(HWND owner, const std::string& title, const std::string& defaultText)
    : ZKControlsDialog(owner),
      titleLines_(SplitLines(title)),
      defaultText_(defaultText),
      edit_(kEditId, defaultText) {}

ZKTextEditDialog::ZKTextEditDialog(HWND owner, const std::string& title, std::uint16_t limit)
    : ZKControlsDialog(owner), titleLines_(SplitLines(title)), limit_(limit), edit_(kEditId, {}, limit) {}

bool ZKTextEditDialog::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    if (message == WM_CREATE) OnCreate(hwnd);
    return ZKControlsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKTextEditDialog::OnCreate(HWND hwnd) {
    const ZKMeasuringDC m;
    Size title{0, 10};
    for (const std::string& line : titleLines_) {
        const Size extent = m.dc.TextExtent(line, ZKFontSet::Normal);
        title.cx = std::max(title.cx, extent.cx);
        title.cy += extent.cy;
    }
    const std::string sample = limit_ ? std::string(limit_, '0') : defaultText_;
    Size edit = edit_.PreferredSize();
    edit.cx = m.dc.TextExtent(sample, ZKFontSet::Normal).cx * 12 / 10;

    edit_.Create(hwnd, {0, 0, 1, 1});
    for (ZKButton* b : {&ok_, &cancel_})
        b->Create(hwnd, {0, 0, b->PreferredSize().cx, b->PreferredSize().cy});
    Controls().AddControl(&edit_);
    Controls().AddControl(&ok_);
    Controls().AddControl(&cancel_);
    Controls().SetFocus(&edit_);
    LayOut(title, edit);
    Update();
}

// Title lines from (10, 10), the field below them, the buttons centred below the field:
//
//   +------------------------------+
//   |  Title                       |
//   |  [edit field_______________] |
//   |          [ OK ] [Cancel]     |
//   +------------------------------+
void ZKTextEditDialog::LayOut(Size title, Size edit) {
    const Size okSize = ok_.PreferredSize();
    const Size cancelSize = cancel_.PreferredSize();
    const int rowWidth = okSize.cx + kMargin + cancelSize.cx;
    const int rowHeight = std::max(okSize.cy, cancelSize.cy);
    const int inner = std::max({title.cx, edit.cx + 2 * ZKEdit::kInsetX, rowWidth, kMinEditWidth});
    const int width = inner + 2 * kMargin;
    const int editTop = kMargin + title.cy;
    const int buttonsTop = editTop + edit.cy + kMargin;
    const int height = buttonsTop + rowHeight + kMargin;
    SetWindowPos(Window(), HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(edit_.Window(), kMargin, editTop, inner, edit.cy);
    const int left = width / 2 - rowWidth / 2;
    MoveWindow(ok_.Window(), left, buttonsTop, okSize.cx, okSize.cy);
    MoveWindow(cancel_.Window(), left + okSize.cx + kMargin, buttonsTop, cancelSize.cx, cancelSize.cy);
}

void ZKTextEditDialog::Update() {
    ok_.SetEnabled(IsValid(edit_.Text()));
}

void ZKTextEditDialog::Accept() {
    if (IsValid(edit_.Text())) EndDialog(1);
}

bool ZKTextEditDialog::OnKeyDown(int vk) {
    if (vk == VK_RETURN) {
        if (ok_.Enabled()) ok_.Press();
        return true;
    }
    if (vk == VK_ESCAPE) {
        cancel_.Press();
        return true;
    }
    return false;
}

void ZKTextEditDialog::OnControlNotify(ZKControl& control) {
    if (&control == &edit_)
        TextChanged();
    else if (&control == &ok_)
        Accept();
    else if (&control == &cancel_)
        EndDialog(0);
}

void ZKTextEditDialog::PaintDialog(ZKDC& dc, const Rect&) {
    int y = kMargin;
    for (const std::string& line : titleLines_) {
        dc.TextOut(kMargin, y, line, ZKFontSet::Normal, dc.Colour(0));
        y += dc.Fonts().Get(ZKFontSet::Normal).height;
    }
}
