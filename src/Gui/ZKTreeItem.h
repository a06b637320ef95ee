#pragma once
// One line of a ZKTreeCtrl: its text and colour, its children (owned, in order), and the state the tree
// draws it by:
//
//   flag bit 0 (kHasBox)  the line shows an open/close box in front of its text
//   flag bit 1 (kOpen)    the branch is open: its children are shown below it
//   hidden                the line and its whole branch are left out (filters hide top-level lines)
//
// A derived item says what its text and colour are; the tree asks again at every paint, so a colour that
// follows a colour slot follows a change of scheme.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Gui/ZKGDI.h"

class ZKDC;

class ZKTreeItem {
public:
    static constexpr std::uint32_t kHasBox = 1;
    static constexpr std::uint32_t kOpen = 2;

    ZKTreeItem() = default;
    ZKTreeItem(const ZKTreeItem&) = delete;
    ZKTreeItem& operator=(const ZKTreeItem&) = delete;
    virtual ~ZKTreeItem() = default;

    virtual std::string Text() const = 0;
    virtual ZKRGB TextColour(const ZKDC& dc) const = 0;

    // Appends `child` and returns it.
    ZKTreeItem& Add(std::unique_ptr<ZKTreeItem> child);
    const std::vector<std::unique_ptr<ZKTreeItem>>& Children() const { return children_; }
    // The item this one was added to; null for a top-level item.
    ZKTreeItem* Parent() const { return parent_; }

    std::uint32_t Flags() const { return flags_; }
    void SetFlags(std::uint32_t bits) { flags_ |= bits; }
    void ClearFlags(std::uint32_t bits) { flags_ &= ~bits; }
    bool HasBox() const { return (flags_ & kHasBox) != 0; }
    bool IsOpen() const { return (flags_ & kOpen) != 0; }

    bool Hidden() const { return hidden_; }
    void SetHidden(bool hidden) { hidden_ = hidden; }

private:
    std::vector<std::unique_ptr<ZKTreeItem>> children_;
    ZKTreeItem* parent_ = nullptr;
    std::uint32_t flags_ = 0;
    bool hidden_ = false;
};

using ZKTreeItems = std::vector<std::unique_ptr<ZKTreeItem>>;
