#include "Gui/ZKListContainerBase.h"

using namespace zk;

ZKListContainerBase::ZKListContainerBase(DWORD listStyle) : list_(listStyle) {}

ZKListContainerBase::~ZKListContainerBase() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

HWND ZKListContainerBase::Create(HWND parent, const Rect& rect, DWORD style, UINT id) {
    WindowCreateParams p = ChildWindowParams(parent, rect, WS_CLIPCHILDREN | style, id);
    p.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) { return WindowProc(h, m, w, l); };
    hwnd_ = CreateWindowEx(p);
    return hwnd_;
}

LRESULT ZKListContainerBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            hwnd_ = hwnd;
            const Rect client = GetClientRect(hwnd);
            if (!list_.Create(hwnd, client, WS_VISIBLE, kListId)) return -1;
            list_.Attach(&rows_, false);
            return 0;
        }
        case WM_SIZE:
            if (list_.Window()) MoveWindow(list_.Window(), 0, 0, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_NCDESTROY:
            hwnd_ = HWND{};
            break;
        default:
            break;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

void ZKListContainerBase::RedrawAll() {
    if (hwnd_) RedrawWindow(hwnd_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void ZKListContainerBase::Refresh() {
    list_.Attach(&rows_, false);
}

void ZKListContainerBase::RefreshAndRedraw() {
    Refresh();
    RedrawAll();
}

void ZKListContainerBase::Update() {
    list_.Attach(&rows_, true);
}

void ZKListContainerBase::UpdateAndRedraw() {
    Update();
    RedrawAll();
}

void ZKListContainerBase::Clear() {
    rows_.Clear();
    Refresh();
}

void ZKListContainerBase::ClearAndRedraw() {
    Clear();
    RedrawAll();
}

void ZKListContainerBase::Remeasure() {
    ZKMeasuringDC m;
    for (int i = 0; i < rows_.Count(); ++i)
        rows_.At(i).Remeasure(m.dc);
    rows_.RowsResized();
}

bool ZKListContainerBase::GetCurrentText(std::string& text) const {
    if (rows_.Current() == ZKListBoxContents::kNone) return false;
    text = rows_.At(rows_.Current()).Text();
    return true;
}

bool ZKListContainerBase::GetAllText(std::string& text) const {
    text.clear();
    for (int i = 0; i < rows_.Count(); ++i)
        text += rows_.At(i).Text() + '\n';
    return !text.empty();
}
