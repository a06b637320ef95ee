#include "Gui/ZKControlsManager.h"

#include <algorithm>
#include <cctype>

using namespace zk;

void ZKControlsManager::AddControl(ZKControl* control) {
    if (control) controls_.push_back(control);
}

void ZKControlsManager::RemoveControl(ZKControl* control) {
    std::erase(controls_, control);
    std::erase_if(hotKeys_, [control](const HotKey& h) { return h.control == control; });
    if (focus_ == control) focus_ = nullptr;
}

void ZKControlsManager::AddHotKey(char ch, ZKControl* control) {
    hotKeys_.push_back({static_cast<unsigned char>(ch), false, control});
}

void ZKControlsManager::AddFunctionHotKey(int vk, ZKControl* control) {
    hotKeys_.push_back({vk, true, control});
}

bool ZKControlsManager::CanTakeFocus(const ZKControl& control) {
    return control.Enabled() && IsWindowVisible(control.ControlWindow());
}

ZKControl* ZKControlsManager::Find(const void* control) const {
    for (ZKControl* c : controls_)
        if (c == control) return c;
    return nullptr;
}

void ZKControlsManager::SetFocus(ZKControl* control) {
    if (control == focus_) return;
    ZKControl* old = focus_;
    focus_ = control;
    if (old) old->FocusChanged(false);
    if (control) control->FocusChanged(true);
}

bool ZKControlsManager::KeyDown(int vk) {
    if (vk == VK_TAB) {
        Tab((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
    }
    if (focus_ && focus_->KeyDown(vk)) return true;
    if (vk >= VK_LEFT && vk <= VK_DOWN) return MoveFocus(vk);
    if (vk < VK_F1) return false;
    return PressHotKey(vk, true);
}

bool ZKControlsManager::Char(int ch) {
    if (focus_ && focus_->Char(ch)) return true;
    return PressHotKey(ch, false);
}

void ZKControlsManager::Tab(bool backwards) {
    const int n = static_cast<int>(controls_.size());
    if (n == 0) return;
    const auto at = std::find(controls_.begin(), controls_.end(), focus_);
    int i = at == controls_.end() ? (backwards ? n : -1) : static_cast<int>(at - controls_.begin());
    for (int step = 0; step < n; ++step) {
        i = (i + (backwards ? n - 1 : 1)) % n;
        if (CanTakeFocus(*controls_[i])) {
            SetFocus(controls_[i]);
            return;
        }
    }
}

bool ZKControlsManager::MoveFocus(int vk) {
    if (!focus_) return false;
    ZKControl* next = Nearest(vk, true);
    if (!next) next = Nearest(vk, false);
    if (next) SetFocus(next);
    return next != nullptr;
}

ZKControl* ZKControlsManager::Nearest(int vk, bool overlapOnly) const {
    const Rect f = focus_->DialogRect();
    const bool across = vk == VK_LEFT || vk == VK_RIGHT;
    ZKControl* best = nullptr;
    int bestDistance = 0;
    for (ZKControl* c : controls_) {
        if (c == focus_ || !CanTakeFocus(*c)) continue;
        const Rect r = c->DialogRect();
        if (overlapOnly) {
            const bool overlaps =
                across ? f.top < r.bottom && r.top < f.bottom : f.left < r.right && r.left < f.right;
            if (!overlaps) continue;
        }
        const int distance = vk == VK_LEFT    ? f.left - r.right
                             : vk == VK_UP    ? f.top - r.bottom
                             : vk == VK_RIGHT ? r.left - f.right
                                              : r.top - f.bottom;
        if (distance >= 0 && (!best || distance < bestDistance)) {
            best = c;
            bestDistance = distance;
        }
    }
    return best;
}

bool ZKControlsManager::PressHotKey(int key, bool function) {
    for (const HotKey& h : hotKeys_) {
        const bool match =
            h.function == function &&
            (function ? h.key == key : h.key == std::toupper(key) || h.key == std::tolower(key));
        if (!match || !CanTakeFocus(*h.control)) continue;
        SetFocus(h.control);
        h.control->Press();
        return true;
    }
    return false;
}
