#include "Gui/ZKMessageBox.h"

using namespace zk;

ZKMessageBox::ZKMessageBox(HWND parent, const std::string& title, const std::string& text, int buttonSet)
    : ZKMessageBoxButtons(parent, buttonSet), title_(title), body_(text, this) {}

ZKMessageBox::ZKMessageBox(HWND parent, const std::string& text, int buttonSet)
    : ZKMessageBox(parent, std::string(), text, buttonSet) {}

void ZKMessageBox::SetText(const std::string& text) {
    body_.SetText(text);
}

void ZKMessageBox::SetTabs(std::span<const int> stops) {
    title_.SetTabs(stops);
    body_.SetTabs(stops);
}

void ZKMessageBox::SetColours(std::span<const ZKRGB> colours) {
    title_.SetColours(colours);
    body_.SetColours(colours);
}

void ZKMessageBox::LayOut(HWND hwnd) {
    const Size row = CreateButtons(hwnd);
    const Size title = title_.Measure();
    body_.Create(hwnd, {10, 10, 20, 20});
    const Rect body = SizeBox(hwnd, row, title, body_.UnwrappedExtent());
    MoveWindow(body_.Window(), body.left, body.top, body.Width(), body.Height());
}

bool ZKMessageBox::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) {
    if (message == WM_CREATE) {
        LayOut(hwnd);
        return true;
    }
    return ZKMessageBoxButtons::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKMessageBox::PaintDialog(ZKDC& dc, const Rect& rect) {
    title_.Paint(dc, rect.right, LooksActive());
}
