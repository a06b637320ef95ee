#include "Gui/ZKHighlightedTextListItem.h"

#include <gtest/gtest.h>

namespace {

using Item = ZKHighlightedTextListItem;

TEST(HighlightedTextListItem, MatchesAreFoundInAnyCaseAlsoForWindows1252Letters) {
    EXPECT_EQ(1u, Item::FindMatch("xAB", "ab"));
    EXPECT_EQ(0u, Item::FindMatch("Abc", "ABC"));
    EXPECT_EQ(0u, Item::FindMatch("anything", ""));
    EXPECT_EQ(std::string::npos, Item::FindMatch("cd", "ab"));
    EXPECT_EQ(2u, Item::FindMatch("Gr\xFC\xDF", "\xDC"));  // u with diaeresis, either case
    EXPECT_EQ("\xC9T\xC9 \x8A", Item::UpperCase("\xE9t\xE9 \x9A"));
}

TEST(HighlightedTextListItem, TheHighlightStandsOutFromTheRowsOwnColour) {
    EXPECT_EQ(Item::kGreen, Item::HighlightColour({0, 0, 0}, false));
    EXPECT_EQ(Item::kGreen, Item::HighlightColour({255, 255, 255}, false));
    EXPECT_EQ(Item::kGreen, Item::HighlightColour({255, 128, 0}, false));
    EXPECT_EQ(Item::kRed, Item::HighlightColour({0, 255, 0}, false));    // green, dark scheme
    EXPECT_EQ(Item::kRed, Item::HighlightColour({0, 128, 0}, false));    // green, light scheme
    EXPECT_EQ(Item::kRed, Item::HighlightColour({0, 255, 255}, false));  // cyan
    EXPECT_EQ(Item::kOrange, Item::HighlightColour({0, 255, 0}, true));
    EXPECT_EQ(Item::kOrange, Item::HighlightColour({0, 0, 0}, true));
}

}  // namespace
