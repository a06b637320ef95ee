#pragma once
// The menus of a window with a menu bar. TOwner, the window class that derives from the holder, declares
// each menu with its title, access letter and two of its own member operations:
//
//   fill   (items, flags)           adds the menu's items, freshly each time the menu opens; flags tell the
//                                   neighbours (ZKPopupMenu::kHasLeft, kHasRight)
//   choose (items, result, entry)   acts on the chosen item (the items' current row) for results 1 and 2,
//                                   usually by its key letter; returns a menu to open next, or null
//
// The owner's window procedure hands the holder its menu messages (HandleMenuMessage): a press of a title
// (WMU_CONTROL_NOTIFY) opens that menu unless Ctrl or Shift is held; WMU_POPUP_HOVER is answered non-zero
// when the mouse point lies over the title of another enabled menu, so the open popup closes and that menu
// opens instead. A key press the owner does not use may open the menu with that letter (MenuKey).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Gui/ZKMenuBar.h"
#include "Gui/ZKPopupMenu.h"
#include "Platform/ZKAssert.h"

template <class TOwner>
class ZKMenuBarHolder {
public:
    struct Entry;
    using FillOperation = void (TOwner::*)(ZKListBoxContents& items, zk::DWORD flags);
    using ChooseOperation = const Entry* (TOwner::*)(ZKListBoxContents& items, int result,
                                                     const Entry& entry);

    struct Entry {
        std::size_t index = 0;
        ZKButton* button = nullptr;
        char key = 0;
        FillOperation fill = nullptr;
        ChooseOperation choose = nullptr;
    };

    // Adds a menu to `bar` (which must outlive the holder's use of it) and returns its entry.
    const Entry* AddMenu(ZKMenuBar& bar, const std::string& title, char key, FillOperation fill,
                         ChooseOperation choose) {
        bar_ = &bar;
        ZKButton* button = bar.AddMenu(title, key);
        if (!button) return nullptr;
        entries_.push_back(std::make_unique<Entry>(Entry{entries_.size(), button, key, fill, choose}));
        return entries_.back().get();
    }

    const std::vector<std::unique_ptr<Entry>>& Menus() const { return entries_; }
    // The menu whose popup is open, or null.
    const Entry* OpenEntry() const { return open_; }

    // Runs a menu: fills a new item list, shows it under the menu's title, acts on the result, and goes
    // on with the menu the result leads to (a neighbour, a hovered title, or what the choose operation
    // returned).
    void OpenMenu(const Entry& entry) {
        const Entry* next = &entry;
        while (next)
            next = OpenOnce(*next);
    }

    // A control reported a press: opens the menu whose title it is, if that title is enabled and neither
    // Ctrl nor Shift is held. Returns whether a menu was opened.
    bool MenuButtonPressed(const ZKControl* control) {
        if (ModifierHeld()) return false;
        for (const auto& e : entries_) {
            if (e->button != control) continue;
            if (!e->button->Enabled()) return false;
            OpenMenu(*e);
            return true;
        }
        return false;
    }

    // A key the owner did not use: opens the enabled menu whose letter it is, unless Ctrl or Shift is held.
    bool MenuKey(int vk) {
        if (ModifierHeld()) return false;
        for (const auto& e : entries_) {
            if (e->button->Enabled() && ZKPopupMenuItem::VirtualKeyOf(e->key) == vk) {
                OpenMenu(*e);
                return true;
            }
        }
        return false;
    }

    // Whether a screen point lies over the title of an enabled menu other than the open one.
    bool OverAnotherMenu(zk::Point screen) const {
        const Entry* under = EntryAt(screen);
        return under && under != open_ && under->button->Enabled();
    }

    // The owner's window procedure calls this first; true when the message was a menu message.
    bool HandleMenuMessage(zk::UINT message, zk::WPARAM, zk::LPARAM lParam, zk::LRESULT& result) {
        if (message == WMU_CONTROL_NOTIFY) {
            const bool opened = MenuButtonPressed(reinterpret_cast<const ZKControl*>(lParam));
            result = 0;
            return opened;
        }
        if (message == WMU_POPUP_HOVER) {
            result = OverAnotherMenu(zk::LParamToPoint(lParam)) ? 1 : 0;
            return true;
        }
        return false;
    }

private:
    static bool ModifierHeld() {
        return (zk::GetKeyState(zk::VK_CONTROL) & 0x8000) || (zk::GetKeyState(zk::VK_SHIFT) & 0x8000);
    }

    TOwner& Owner() { return static_cast<TOwner&>(*this); }

    const Entry* EntryAt(zk::Point screen) const {
        for (const auto& e : entries_)
            if (zk::GetWindowRect(e->button->Window()).Contains(screen)) return e.get();
        return nullptr;
    }

    // The neighbour at `index` when its title is enabled.
    const Entry* EnabledAt(std::size_t index) const {
        if (index >= entries_.size() || !entries_[index]->button->Enabled()) return nullptr;
        return entries_[index].get();
    }

    // Shows one menu and returns the menu to open next, or null.
    const Entry* OpenOnce(const Entry& e) {
        if (!ZKASSERT(e.index < entries_.size())) return nullptr;
        ZKListBoxContents items;
        zk::DWORD flags = 0;
        if (e.index > 0) flags |= ZKPopupMenu::kHasLeft;
        if (e.index + 1 < entries_.size()) flags |= ZKPopupMenu::kHasRight;
        (Owner().*e.fill)(items, flags);
        if (items.Count() == 0) return nullptr;
        const zk::HWND title = e.button->Window();
        const zk::Point anchor = zk::ClientToScreen(title, {0, zk::GetClientRect(title).bottom});
        ZKPopupMenu popup(items, bar_->OwnerWindow(), anchor, ZKPopupMenu::kBelowRight, flags);
        open_ = &e;
        const int result = popup.DoModal();
        open_ = nullptr;
        switch (result) {
            case ZKPopupMenu::kClosed:
                return nullptr;
            case ZKPopupMenu::kChosen:
            case ZKPopupMenu::kDelete:
                return (Owner().*e.choose)(items, result, e);
            case ZKPopupMenu::kMenuLeft:
                return e.index > 0 ? EnabledAt(e.index - 1) : nullptr;
            case ZKPopupMenu::kMenuRight:
                return EnabledAt(e.index + 1);
            case ZKPopupMenu::kMenuHover:
                return EntryAt(zk::GetCursorPos());
            default:
                ZKASSERT(result >= ZKPopupMenu::kClosed && result <= ZKPopupMenu::kMenuHover);
                return nullptr;
        }
    }

    std::vector<std::unique_ptr<Entry>> entries_;
    ZKMenuBar* bar_ = nullptr;
    const Entry* open_ = nullptr;
};
