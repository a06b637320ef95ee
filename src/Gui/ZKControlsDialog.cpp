#include "Gui/ZKControlsDialog.h"

using namespace zk;

bool ZKControlsDialog::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    switch (message) {
        case WM_KEYDOWN:
            if (!OnKeyDown(static_cast<int>(wParam))) controls_.KeyDown(static_cast<int>(wParam));
            return true;
        case WM_CHAR:
            controls_.Char(static_cast<int>(wParam));
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
