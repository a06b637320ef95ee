#include "Gui/ZKMessageBoxButtons.h"

#include <algorithm>

#include "Platform/ZKAssert.h"

using namespace zk;

namespace {

struct SetDefinition {
    int count;
    const char* texts[3];
    char letters[3];
    int results[3];
};

constexpr SetDefinition kSets[] = {
    {1, {"Ok"}, {0}, {2}},
    {2, {"Ok", "Cancel"}, {0, 0}, {2, 0}},
    {2, {"Yes", "No"}, {'Y', 'N'}, {3, 1}},
    {3, {"Yes", "No", "Cancel"}, {'Y', 'N', 0}, {3, 1, 0}},
    {1, {"User1"}, {0}, {4}},
    {2, {"User1", "User2"}, {0, 0}, {4, 5}},
    {3, {"User1", "User2", "User3"}, {0, 0, 0}, {4, 5, 6}},
};

bool ValidSet(int set) {
    return set >= 0 && set <= 6;
}

}  // namespace

ZKMessageBoxButtons::ZKMessageBoxButtons(HWND parent, int buttonSet)
    : ZKControlsDialog(parent), set_(buttonSet) {
    if (!ZKASSERT(ValidSet(set_))) return;
    const SetDefinition& d = kSets[set_];
    count_ = d.count;
    for (int i = 0; i < count_; ++i)
        buttons_[static_cast<std::size_t>(i)].SetText(d.texts[i], d.letters[i]);
    switch (set_) {
        case kOk:
            keys_[0] = {VK_RETURN, VK_ESCAPE, VK_SPACE};
            break;
        case kOkCancel:
            keys_[0] = {VK_RETURN};
            keys_[1] = {VK_ESCAPE};
            break;
        case kYesNo:
            keys_[0] = {'Y'};
            keys_[1] = {'N', VK_ESCAPE};
            break;
        case kYesNoCancel:
            keys_[0] = {'Y'};
            keys_[1] = {'N'};
            keys_[2] = {VK_ESCAPE};
            break;
        default:
            break;
    }
}

bool ZKMessageBoxButtons::UserButtonIndexValid(int index) const {
    if (!ZKASSERT(set_ >= kUser1 && set_ <= kUser123)) return false;
    return index >= 0 && index < count_;
}

bool ZKMessageBoxButtons::SetUserButtonText(int index, const std::string& text, char accessLetter) {
    if (!UserButtonIndexValid(index)) return false;
    Button(index).SetText(text, accessLetter);
    return true;
}

bool ZKMessageBoxButtons::SetUserButtonEnabled(int index, bool enabled) {
    if (!UserButtonIndexValid(index)) return false;
    Button(index).SetEnabled(enabled);
    return true;
}

bool ZKMessageBoxButtons::SetUserButtonKeys(int index, std::vector<int> keys) {
    if (!UserButtonIndexValid(index)) return false;
    keys_[static_cast<std::size_t>(index)] = std::move(keys);
    return true;
}

Size ZKMessageBoxButtons::CreateButtons(HWND hwnd) {
    Size row{0, 0};
    for (int i = 0; i < count_; ++i) {
        ZKButton& b = Button(i);
        const Size s = b.PreferredSize();
        b.Create(hwnd, {0, 0, s.cx, s.cy});
        Controls().AddControl(&b);
        row.cx += s.cx + (i > 0 ? kButtonGap : 0);
        row.cy = std::max(row.cy, s.cy);
    }
    if (count_ > 0) Controls().SetFocus(&Button(0));
    return row;
}

Rect ZKMessageBoxButtons::SizeBox(HWND hwnd, Size row, Size title, Size content) {
    const int th = title.cy;
    const int width = std::max({content.cx, title.cx, row.cx}) + 20;
    int height = row.cy + 30 + content.cy + (th > 0 ? 6 + th : 0);
    const HWND over = IsWindow(OwnerWindow()) ? OwnerWindow() : hwnd;
    height = std::min(height, GetMonitorInfoFromWindow(over).work.Height());
    SetWindowPos(hwnd, HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutButtons(width, height);
    return {10, th > 0 ? th + 16 : 10, width - 10, height - row.cy - 20};
}

void ZKMessageBoxButtons::LayOutButtons(int width, int height) {
    if (count_ == 0) return;
    int rowWidth = kButtonGap * (count_ - 1);
    for (int i = 0; i < count_; ++i)
        rowWidth += Button(i).PreferredSize().cx;
    int x = width / 2 - rowWidth / 2;
    const int top = height - 10 - Button(0).PreferredSize().cy;
    for (int i = 0; i < count_; ++i) {
        const Size s = Button(i).PreferredSize();
        MoveWindow(Button(i).Window(), x, top, s.cx, s.cy);
        x += s.cx + kButtonGap;
    }
}

bool ZKMessageBoxButtons::OnKeyDown(int vk) {
    for (int i = 0; i < count_; ++i) {
        const auto& keys = keys_[static_cast<std::size_t>(i)];
        if (std::find(keys.begin(), keys.end(), vk) != keys.end()) {
            Button(i).Press();
            return true;
        }
    }
    return OnUnhandledKey(vk);
}

void ZKMessageBoxButtons::OnControlNotify(ZKControl& control) {
    for (int i = 0; i < count_; ++i)
        if (&control == &Button(i)) {
            EndDialog(kSets[set_].results[i]);
            return;
        }
    ZKASSERT(!"a press of a button the set does not have");
}
