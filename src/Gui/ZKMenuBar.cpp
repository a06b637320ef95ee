#include "Gui/ZKMenuBar.h"

#include "Platform/ZKAssert.h"

using namespace zk;

HWND ZKMenuBar::Create(HWND owner, const Rect& rect, DWORD style, UINT id) {
    return ZKDoubleBuffer::Create(ChildWindowParams(owner, rect, style, id));
}

ZKButton* ZKMenuBar::AddMenu(const std::string& title, char key) {
    if (!ZKASSERT(Window())) return nullptr;
    const int left = buttons_.empty() ? kFirstLeft
                                      : GetWindowRect(buttons_.back()->Window()).right -
                                            GetWindowRect(Window()).left + kGap;
    auto button = std::make_unique<ZKButton>(title, key, static_cast<UINT>(buttons_.size() + 1));
    const Size size = button->PreferredSize();
    button->Create(Window(), {left, kTop, left + size.cx, kTop + size.cy});
    buttons_.push_back(std::move(button));
    RedrawWindow(Window(), nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return buttons_.back().get();
}

Rect ZKMenuBar::FreeArea() const {
    const Rect client = GetClientRect(Window());
    int left = kFreeAreaGap;
    if (!buttons_.empty())
        left = GetWindowRect(buttons_.back()->Window()).right - GetWindowRect(Window()).left + kFreeAreaGap;
    return {left, client.top, client.right, client.bottom};
}

void ZKMenuBar::PaintBar(ZKDC& dc, const Rect& rect) {
    dc.FillRect(rect, dc.Colour(IsApplicationActive() ? kActiveSlot : kInactiveSlot));
}

bool ZKMenuBar::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            owner_ = GetParent(hwnd);
            break;
        case WMU_CONTROL_NOTIFY:
            if (ZKASSERT(IsWindow(owner_))) PostMessage(owner_, message, wParam, lParam);
            return true;
        default:
            break;
    }
    return ZKDoubleBuffer::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}
