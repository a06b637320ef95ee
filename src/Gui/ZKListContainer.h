#pragma once
// The message log: a list container whose rows are one-line rich texts with the container's tab stops
// (one at 180 pixels unless given others).
//
// AddFormatted only appends a row (nothing is laid out or drawn); a caller that adds many rows adds them so
// and then calls Update once, which makes the last row current and scrolls it into view. AddLine and
// AddFormattedAndShow do both at once and redraw, so the view jumps to the new end.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Gui/ZKListContainerBase.h"

class ZKListContainer : public ZKListContainerBase {
public:
    static constexpr int kDefaultTab = 180;

    ZKListContainer();
    explicit ZKListContainer(int tab);
    explicit ZKListContainer(std::span<const int> tabs);

    // Replaces the tab stops and applies them to every row; redraws when the window exists.
    void SetTabs(std::span<const int> tabs);
    const std::vector<int>& Tabs() const { return *tabs_; }

    // Formats printf-style, removes every line feed and appends the row.
    void AddFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // As AddFormatted, then Update and a redraw of the whole window.
    void AddFormattedAndShow(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Appends a row with the text unchanged, then Update and a redraw of the whole window.
    void AddLine(const std::string& text);

private:
    void Append(std::string text);

    ZKRichTextListItem::Tabs tabs_;  // shared by every row
};
