#include "Gui/ZKTreeItem.h"

ZKTreeItem& ZKTreeItem::Add(std::unique_ptr<ZKTreeItem> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    return *children_.back();
}
