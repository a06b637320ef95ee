#include "ZelkMsg/ZMsgAutoConnectOptionsDialog.h"

#include <algorithm>

ZMsgAutoConnectOptionsDialog::ZMsgAutoConnectOptionsDialog(zk::HWND owner,
                                                           const ZMsgAutoConnectOptions& options)
    : ZKControlsDialog(owner), options_(options) {}

bool ZMsgAutoConnectOptionsDialog::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam,
                                                        zk::LPARAM lParam, zk::LRESULT& result) {
    if (message == zk::WM_CREATE) OnCreate(hwnd);
    return ZKControlsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZMsgAutoConnectOptionsDialog::OnCreate(zk::HWND hwnd) {
    ZKCheckBox* boxes[] = {&autoConnect_, &singleShot_, &autoOffLine_};
    const std::uint32_t flags[] = {options_.autoConnect, options_.singleShot, options_.autoOffLine};
    const ZKFontSet& fonts = ZKFontSet::Screen();
    ZKBitmap scratch(1, 1);
    ZKDC dc(scratch);
    const int titleHeight = fonts.Get(ZKFontSet::Large).height;
    int content = dc.TextExtent(kTitle, ZKFontSet::Large).cx;
    int height = titleHeight + 60;
    for (std::size_t i = 0; i < 3; ++i) {
        boxes[i]->SetTicked(flags[i] != 0);
        content = std::max(content, boxes[i]->PreferredSize().cx);
        height += boxes[i]->PreferredSize().cy;
    }
    const zk::Size okSize = ok_.PreferredSize();
    const zk::Size cancelSize = cancel_.PreferredSize();
    content = std::max(content, okSize.cx + kMargin + cancelSize.cx);
    height += okSize.cy;
    const int width = content + 2 * kMargin;
    zk::SetWindowPos(hwnd, zk::HWND_TOP, 0, 0, width, height,
                     zk::SWP_NOMOVE | zk::SWP_NOZORDER | zk::SWP_NOACTIVATE);

    const int top = PlaceCheckBoxColumn(hwnd, boxes, kMargin, titleHeight + 20, kMargin);
    PlaceOkCancel(hwnd, ok_, cancel_, width, top, kMargin);
    Controls().SetFocus(&autoConnect_);
}

void ZMsgAutoConnectOptionsDialog::OnControlNotify(ZKControl& control) {
    if (&control == &autoConnect_) options_.autoConnect = autoConnect_.Ticked() ? 1 : 0;
    if (&control == &singleShot_) options_.singleShot = singleShot_.Ticked() ? 1 : 0;
    if (&control == &autoOffLine_) options_.autoOffLine = autoOffLine_.Ticked() ? 1 : 0;
    if (&control == &ok_) EndDialog(1);
    if (&control == &cancel_) EndDialog(0);
}

bool ZMsgAutoConnectOptionsDialog::OnKeyDown(int vk) {
    return PressOkOrCancel(vk, ok_, cancel_);
}

void ZMsgAutoConnectOptionsDialog::PaintDialog(ZKDC& dc, const zk::Rect&) {
    dc.TextOut(kMargin, kMargin, kTitle, ZKFontSet::Large, dc.Colour(0));
}
