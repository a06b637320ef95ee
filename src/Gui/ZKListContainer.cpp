#include "Gui/ZKListContainer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>

namespace {

std::string FormatWithoutLineFeeds(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(std::max(size, 0)));
    std::erase(text, '\n');
    return text;
}

}  // namespace

ZKListContainer::ZKListContainer() : ZKListContainer(kDefaultTab) {}

ZKListContainer::ZKListContainer(int tab) : ZKListContainer(std::span(&tab, 1)) {}

ZKListContainer::ZKListContainer(std::span<const int> tabs)
    : ZKListContainerBase(ZKListBoxBase::kNoBorder),
      tabs_(std::make_shared<const std::vector<int>>(tabs.begin(), tabs.end())) {}

void ZKListContainer::SetTabs(std::span<const int> tabs) {
    tabs_ = std::make_shared<const std::vector<int>>(tabs.begin(), tabs.end());
    for (int i = 0; i < Rows().Count(); ++i)
        static_cast<ZKRichTextListItem&>(Rows().At(i)).SetTabStops(tabs_);
    if (List().Window()) List().Invalidate();
}

void ZKListContainer::Append(std::string text) {
    Rows().Append(std::make_unique<ZKRichTextListItem>(std::move(text), tabs_));
}

void ZKListContainer::AddFormatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Append(FormatWithoutLineFeeds(format, args));
    va_end(args);
}

void ZKListContainer::AddFormattedAndShow(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Append(FormatWithoutLineFeeds(format, args));
    va_end(args);
    UpdateAndRedraw();
}

void ZKListContainer::AddLine(const std::string& text) {
    Append(text);
    UpdateAndRedraw();
}
