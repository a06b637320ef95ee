#include "Gui/ZKMessageEditBox.h"

#include <algorithm>

using namespace zk;

ZKMessageEditBox::ZKMessageEditBox(HWND parent, const std::string& title, const std::string& text,
                                   int buttonSet)
    : ZKMessageBoxButtons(parent, buttonSet), title_(title), edit_(0, text, kMaxLength) {}

void ZKMessageEditBox::LayOut(HWND hwnd) {
    const Size row = CreateButtons(hwnd);
    const Size title = title_.Measure();
    Size field = edit_.PreferredSize();
    field.cx = std::max(field.cx, kMinEditWidth);
    const Rect r = SizeBox(hwnd, row, title, field);
    edit_.Create(hwnd, r);
    Controls().AddControl(&edit_);
    Controls().SetFocus(&edit_);
}

bool ZKMessageEditBox::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    if (message == WM_CREATE) {
        LayOut(hwnd);
        return true;
    }
    return ZKMessageBoxButtons::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKMessageEditBox::OnControlNotify(ZKControl& control) {
    if (&control != &edit_) ZKMessageBoxButtons::OnControlNotify(control);
}

void ZKMessageEditBox::PaintDialog(ZKDC& dc, const Rect& rect) {
    title_.Paint(dc, rect.right, LooksActive());
}
