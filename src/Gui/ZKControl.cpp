#include "Gui/ZKControl.h"

#include <cctype>

namespace {

std::function<bool()>& FloatingFocusSource() {
    static std::function<bool()> source;
    return source;
}

}  // namespace

void ZKControl::FocusChanged(bool focused) {
    if (focused_ == focused) return;
    focused_ = focused;
    Redraw();
}

void ZKControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Redraw();
}

bool ZKControl::KeyDown(int) {
    return false;
}

bool ZKControl::Char(int) {
    return false;
}

zk::Rect ZKControl::ScreenRect() const {
    return zk::GetWindowRect(window_);
}

zk::Rect ZKControl::DialogRect() const {
    const zk::Rect r = zk::GetWindowRect(window_);
    const zk::Point origin = zk::ClientToScreen(zk::GetTopLevel(window_), {0, 0});
    return r.Offset(-origin.x, -origin.y);
}

ZKControl::Look ZKControl::CurrentLook(bool actionRunning) const {
    if (!enabled_ || zk::GetActiveWindow() != zk::GetTopLevel(window_)) return Look::Disabled;
    if (focused_) return actionRunning ? Look::Pressed : Look::Focused;
    if (hovered_) return actionRunning ? Look::Pressed : Look::Hovered;
    return Look::Normal;
}

int ZKControl::FirstSlot(Look look) {
    switch (look) {
        case Look::Disabled:
            return 20;
        case Look::Normal:
            return 23;
        case Look::Hovered:
            return 26;
        case Look::Focused:
            return 29;
        case Look::Pressed:
            return 32;
    }
    return 23;
}

void ZKControl::SetFloatingFocusSource(std::function<bool()> source) {
    FloatingFocusSource() = std::move(source);
}

bool ZKControl::FloatingFocus() {
    const auto& source = FloatingFocusSource();
    return source && source();
}

bool ZKControl::SetHovered(bool hovered) {
    if (hovered_ == hovered) return false;
    hovered_ = hovered;
    Redraw();
    return true;
}

void ZKControl::PostActivate() const {
    PostNotice(WMU_CONTROL_ACTIVATE);
}

void ZKControl::PostNotice(zk::UINT message) const {
    zk::PostMessage(zk::GetParent(window_), message, id_, reinterpret_cast<zk::LPARAM>(this));
}

void ZKControl::Redraw() const {
    if (window_) zk::InvalidateRect(window_, nullptr, true);
}

int ZKControl::AccessLetterIndex(const std::string& text) const {
    if (!accessLetter_) return -1;
    const int want = std::toupper(static_cast<unsigned char>(accessLetter_));
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) == want) return static_cast<int>(i);
    return -1;
}
