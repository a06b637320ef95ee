#include "Gui/dialog/ZKErrorStateDialog.h"

#include "Common/device/ZKDevice.h"
#include "Common/profile/ZPProfile.h"
#include "Gui/dialog/ZKErrorItem.h"
#include "Platform/ZKAssert.h"

using namespace zk;

namespace {

constexpr const char* kShow = "Show";

const char* EmptyTextFor(ZKErrorTree::Result result) {
    switch (result) {
        case ZKErrorTree::Result::NoDevice:
            return ZKErrorStateDialog::kNoDevice;
        case ZKErrorTree::Result::NoDatabases:
            return ZKErrorStateDialog::kNoDatabases;
        case ZKErrorTree::Result::ReadFailed:
            return ZKErrorStateDialog::kReadFailed;
        case ZKErrorTree::Result::Built:
            break;
    }
    return "";
}

// Creates `button` at its preferred size with its left edge at x; returns its right edge.
int PlaceButton(ZKButton& button, HWND parent, int x, int y) {
    const Size size = button.PreferredSize();
    button.Create(parent, {x, y, x + size.cx, y + size.cy});
    return x + size.cx;
}

}  // namespace

ZKErrorStateDialog::ZKErrorStateDialog(HWND parent, std::function<ZKDevice*()> device,
                                       const ZPProfile& profile)
    : ZKControlsDialog(parent), device_(std::move(device)), profile_(profile) {}

ZKButton& ZKErrorStateDialog::Button(char accessLetter) {
    for (ZKButton* button : {&all_, &errors_, &warnings_, &refresh_, &clear_, &dismiss_})
        if (button->AccessLetter() == accessLetter) return *button;
    ZKASSERT(false);
    return dismiss_;
}

bool ZKErrorStateDialog::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd);
            break;
        case WM_CHAR:
            if (tree_.TreeChar(static_cast<int>(wParam))) return true;
            break;
        case WM_MOUSEWHEEL:
            SendMessage(tree_.Window(), message, wParam, lParam);
            return true;
        default:
            break;
    }
    return ZKControlsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZKErrorStateDialog::OnCreate(HWND hwnd) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    showFrame_ = LayOutButtons(hwnd);
    tree_.Create(hwnd, {kMargin, kMargin, kWidth - kMargin, showFrame_.top - kMargin});
    for (ZKButton* button : {&all_, &warnings_, &errors_, &refresh_, &clear_, &dismiss_})
        Controls().AddControl(button);
    Refresh();
}

Rect ZKErrorStateDialog::LayOutButtons(HWND hwnd) {
    ZKMeasuringDC m;
    const int show = m.dc.TextExtent(kShow, ZKFontSet::Normal).cx;
    const Size all = all_.PreferredSize();
    const int bottom = kHeight - kMargin;
    const int top = bottom - 20 - all.cy;
    const int right =
        kMargin + 50 + show + all.cx + errors_.PreferredSize().cx + warnings_.PreferredSize().cx;
    const int y = top + 10;
    int x = PlaceButton(all_, hwnd, kMargin + 20 + show, y);
    x = PlaceButton(warnings_, hwnd, x + 10, y);
    x = PlaceButton(errors_, hwnd, x + 10, y);
    x = PlaceButton(refresh_, hwnd, x + 20, y);
    PlaceButton(clear_, hwnd, x + 10, y);
    PlaceButton(dismiss_, hwnd, kWidth - kMargin - dismiss_.PreferredSize().cx, y);
    return {kMargin, top, right, bottom};
}

void ZKErrorStateDialog::Refresh() {
    ZKASSERT(profile_.LocalErrorDB());
    tree_.SetItems(nullptr);
    lastResult_ = ZKErrorTree::Build(device_ ? device_() : nullptr, profile_, items_);
    tree_.SetEmptyText(EmptyTextFor(lastResult_));
    tree_.SetItems(&items_);
}

void ZKErrorStateDialog::ClearErrors() {
    if (ZKDevice* device = device_ ? device_() : nullptr) device->ClearErrors();
    Refresh();
}

void ZKErrorStateDialog::ShowGroups(Filter filter) {
    for (const auto& group : items_) {
        const int slot = static_cast<const ZKErrorItem&>(*group).ColourSlot();
        const bool shown = filter == Filter::All ||
                           (filter == Filter::Errors && slot == ZKErrorItem::kActiveSlot) ||
                           (filter == Filter::Warnings && slot != ZKErrorItem::kNoErrorSlot);
        group->SetHidden(!shown);
    }
    tree_.Rebuild();
}

void ZKErrorStateDialog::OnControlNotify(ZKControl& control) {
    if (&control == &all_) ShowGroups(Filter::All);
    if (&control == &errors_) ShowGroups(Filter::Errors);
    if (&control == &warnings_) ShowGroups(Filter::Warnings);
    if (&control == &refresh_) Refresh();
    if (&control == &clear_) ClearErrors();
    if (&control == &dismiss_) EndDialog(1);
}

bool ZKErrorStateDialog::OnKeyDown(int vk) {
    switch (vk) {
        case VK_RETURN:
            tree_.Action();
            return true;
        case VK_PRIOR:
        case VK_NEXT:
        case VK_UP:
        case VK_DOWN:
            tree_.TreeKey(vk);
            return true;
        case VK_ESCAPE:
            dismiss_.Press();
            return true;
        case 'A':
        case 'C':
        case 'D':
        case 'E':
        case 'R':
        case 'W':
            Button(static_cast<char>(vk)).Press();
            return true;
        default:
            return false;
    }
}

void ZKErrorStateDialog::PaintDialog(ZKDC& dc, const Rect&) {
    dc.FrameRect(showFrame_, dc.Colour(LooksActive() ? kActiveFrameSlot : kInactiveFrameSlot));
    dc.TextOut(showFrame_.left + 10, showFrame_.top + 10, kShow, ZKFontSet::Normal, dc.Colour(0));
}
