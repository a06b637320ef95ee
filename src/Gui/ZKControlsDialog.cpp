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
