#include "ZelkMsg/ZCDevFilterOptionsDialog.h"

#include <algorithm>

namespace {

constexpr int kIndent = 20;  // the type boxes stand under the enable box's text
constexpr int kRowGap = 4;

}  // namespace

ZCDevFilterOptionsDialog::ZCDevFilterOptionsDialog(zk::HWND owner, std::vector<std::string> filter)
    : ZKControlsDialog(owner), filter_(std::move(filter)) {
    for (std::size_t i = 0; i < kTypeCount; ++i)
        types_.push_back(
            std::make_unique<ZKCheckBox>(kDeviceTypes[i], 0, this, static_cast<zk::UINT>(10 + i)));
}

std::vector<std::string> ZCDevFilterOptionsDialog::Filter() const {
    std::vector<std::string> filter;
    if (!enable_.Ticked()) return filter;
    for (std::size_t i = 0; i < kTypeCount; ++i)
        if (types_[i]->Ticked()) filter.emplace_back(kDeviceTypes[i]);
    return filter;
}

bool ZCDevFilterOptionsDialog::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam,
                                                    zk::LPARAM lParam, zk::LRESULT& result) {
    if (message == zk::WM_CREATE) OnCreate(hwnd);
    return ZKControlsDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZCDevFilterOptionsDialog::OnCreate(zk::HWND hwnd) {
    const bool enabled = !filter_.empty();
    enable_.SetTicked(enabled);
    zk::Size cell{0, 0};
    for (std::size_t i = 0; i < kTypeCount; ++i) {
        const bool named = std::find(filter_.begin(), filter_.end(), kDeviceTypes[i]) != filter_.end();
        types_[i]->SetTicked(!enabled || named);
        cell.cx = std::max(cell.cx, types_[i]->PreferredSize().cx);
        cell.cy = std::max(cell.cy, types_[i]->PreferredSize().cy);
    }
    const int columns = static_cast<int>(kTypeCount) / kRowsPerColumn;
    const zk::Size enableSize = enable_.PreferredSize();
    const zk::Size okSize = ok_.PreferredSize();
    const zk::Size cancelSize = cancel_.PreferredSize();
    const int buttonsWidth = okSize.cx + kMargin + cancelSize.cx;
    const int gridWidth = kIndent + columns * cell.cx + (columns - 1) * kMargin;
    const int width = std::max({enableSize.cx, gridWidth, buttonsWidth}) + 2 * kMargin;
    const int gridTop = kMargin + enableSize.cy + kMargin;
    const int buttonsTop = gridTop + kRowsPerColumn * (cell.cy + kRowGap) - kRowGap + kMargin;
    const int height = buttonsTop + okSize.cy + kMargin;
    zk::SetWindowPos(hwnd, zk::HWND_TOP, 0, 0, width, height,
                     zk::SWP_NOMOVE | zk::SWP_NOZORDER | zk::SWP_NOACTIVATE);

    enable_.Create(hwnd, {kMargin, kMargin, kMargin + enableSize.cx, kMargin + enableSize.cy});
    Controls().AddControl(&enable_);
    for (std::size_t i = 0; i < kTypeCount; ++i) {
        const int column = static_cast<int>(i) / kRowsPerColumn;
        const int row = static_cast<int>(i) % kRowsPerColumn;
        const int x = kMargin + kIndent + column * (cell.cx + kMargin);
        const int y = gridTop + row * (cell.cy + kRowGap);
        types_[i]->Create(hwnd, {x, y, x + types_[i]->PreferredSize().cx, y + cell.cy});
        Controls().AddControl(types_[i].get());
    }
    PlaceOkCancel(hwnd, ok_, cancel_, width, buttonsTop, kMargin);
    EnableTypes(enabled);
    Controls().SetFocus(&enable_);
}

void ZCDevFilterOptionsDialog::EnableTypes(bool enabled) {
    for (const auto& box : types_)
        box->SetEnabled(enabled);
}

void ZCDevFilterOptionsDialog::OnControlNotify(ZKControl& control) {
    if (&control == &enable_) EnableTypes(enable_.Ticked());
    if (&control == &ok_) EndDialog(1);
    if (&control == &cancel_) EndDialog(0);
}

bool ZCDevFilterOptionsDialog::OnKeyDown(int vk) {
    return PressOkOrCancel(vk, ok_, cancel_);
}
