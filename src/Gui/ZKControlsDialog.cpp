#include "Gui/ZKControlsDialog.h"

using namespace zk;

bool ZKControlsDialog::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    switch (message) {
        case WM_KEYDOWN:
            dropKeyChars_ = OnKeyDown(static_cast<int>(wParam));
            if (!dropKeyChars_) controls_.KeyDown(static_cast<int>(wParam));
            return true;
        case WM_CHAR:
            // The characters of a key press follow its key down: "y" that answered Yes is not typed too.
            if (!dropKeyChars_) controls_.Char(static_cast<int>(wParam));
            dropKeyChars_ = false;
            return true;
        case WMU_CONTROL_ACTIVATE:
            if (ZKControl* c = controls_.Find(reinterpret_cast<const void*>(lParam))) controls_.SetFocus(c);
            return true;
        case WMU_CONTROL_NOTIFY:
            if (ZKControl* c = controls_.Find(reinterpret_cast<const void*>(lParam))) OnControlNotify(*c);
            return true;
        default:
            return ZKPopupDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

int ZKControlsDialog::PlaceCheckBoxColumn(HWND hwnd, std::span<ZKCheckBox* const> boxes, int left, int top,
                                          int gap) {
    for (ZKCheckBox* box : boxes) {
        const Size size = box->PreferredSize();
        box->Create(hwnd, {left, top, left + size.cx, top + size.cy});
        top += size.cy + gap;
        controls_.AddControl(box);
        controls_.AddHotKey(box->AccessLetter(), box);
    }
    return top;
}

void ZKControlsDialog::PlaceOkCancel(HWND hwnd, ZKButton& ok, ZKButton& cancel, int width, int top, int gap) {
    const Size okSize = ok.PreferredSize();
    const Size cancelSize = cancel.PreferredSize();
    const int left = width / 2 - (okSize.cx + gap + cancelSize.cx) / 2;
    ok.Create(hwnd, {left, top, left + okSize.cx, top + okSize.cy});
    const int cancelLeft = left + okSize.cx + gap;
    cancel.Create(hwnd, {cancelLeft, top, cancelLeft + cancelSize.cx, top + cancelSize.cy});
    controls_.AddControl(&ok);
    controls_.AddControl(&cancel);
}

bool ZKControlsDialog::PressOkOrCancel(int vk, ZKButton& ok, ZKButton& cancel) {
    if (vk == VK_RETURN) ok.Press();
    if (vk == VK_ESCAPE) cancel.Press();
    return vk == VK_RETURN || vk == VK_ESCAPE;
}
