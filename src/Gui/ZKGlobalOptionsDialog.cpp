#include "Gui/ZKGlobalOptionsDialog.h"

#include <algorithm>
#include <utility>

ZKGlobalOptionsDialog::ZKGlobalOptionsDialog(zk::HWND owner, ZKGlobalOptions& options,
                                             std::string applicationName)
    : ZKControlsDialog(owner), options_(options), applicationName_(std::move(applicationName)) {}

ZKGlobalOptions::Flags ZKGlobalOptionsDialog::Chosen() const {
    return {local_.Ticked(), blackOnWhite_.Ticked(), colourBlind_.Ticked(), reverseFolderOrder_.Ticked(),
            floatingFocus_.Ticked()};
}

void ZKGlobalOptionsDialog::Show(const ZKGlobalOptions::Flags& flags) {
    blackOnWhite_.SetTicked(flags.blackOnWhite);
    colourBlind_.SetTicked(flags.colourBlind);
    reverseFolderOrder_.SetTicked(flags.reverseFolderOrder);
    floatingFocus_.SetTicked(flags.floatingFocus);
}

bool ZKGlobalOptionsDialog::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam,
                                                 zk::LPARAM lParam, zk::LRESULT& result) {
    if (message == zk::WM_CREATE) OnCreate(hwnd);
    return ZKControlsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKGlobalOptionsDialog::OnCreate(zk::HWND hwnd) {
    local_.SetText("Apply to " + applicationName_ + " only");
    const ZKGlobalOptions::Flags flags = options_.Current();
    local_.SetTicked(flags.local);
    Show(flags);

    ZKCheckBox* boxes[] = {&local_, &blackOnWhite_, &colourBlind_, &reverseFolderOrder_, &floatingFocus_};
    ZKBitmap scratch(1, 1);
    ZKDC dc(scratch);
    const int titleHeight = ZKFontSet::Screen().Get(ZKFontSet::Normal).height;
    const zk::Size okSize = ok_.PreferredSize();
    const zk::Size cancelSize = cancel_.PreferredSize();
    int content = std::max(dc.TextExtent(kTitle, ZKFontSet::Normal).cx, okSize.cx + kMargin + cancelSize.cx);
    int height = kMargin + titleHeight + kMargin;
    for (const ZKCheckBox* box : boxes) {
        content = std::max(content, box->PreferredSize().cx);
        height += box->PreferredSize().cy + kMargin;
    }
    height += okSize.cy + kMargin;
    const int width = content + 2 * kMargin;
    zk::SetWindowPos(hwnd, zk::HWND_TOP, 0, 0, width, height,
                     zk::SWP_NOMOVE | zk::SWP_NOZORDER | zk::SWP_NOACTIVATE);

    const int top = PlaceCheckBoxColumn(hwnd, boxes, kMargin, kMargin + titleHeight + kMargin, kMargin);
    PlaceOkCancel(hwnd, ok_, cancel_, width, top, kMargin);
    Controls().SetFocus(&ok_);
}

void ZKGlobalOptionsDialog::OnControlNotify(ZKControl& control) {
    if (&control == &local_ && !local_.Ticked()) Show(options_.ReadShared());
    if (&control == &ok_) {
        options_.Apply(Chosen());
        EndDialog(1);
    }
    if (&control == &cancel_) EndDialog(0);
}

bool ZKGlobalOptionsDialog::OnKeyDown(int vk) {
    return PressOkOrCancel(vk, ok_, cancel_);
}

void ZKGlobalOptionsDialog::PaintDialog(ZKDC& dc, const zk::Rect&) {
    dc.TextOut(kMargin, kMargin, kTitle, ZKFontSet::Normal, dc.Colour(0));
}
