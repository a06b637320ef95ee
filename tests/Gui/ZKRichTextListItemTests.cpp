// A rich-text row: its preferred size, and how a disabled row and a flashing row look.
#include "Gui/ZKRichTextListItem.h"

#include <gtest/gtest.h>

#include "Gui/ZKDC.h"
#include "Gui/ZKGDI.h"

namespace {

const std::vector<int> kTabs{180};

class RichTextListItemTest : public ::testing::Test {
protected:
    void SetUp() override { ZKGDI::SetOptionsSource(nullptr); }  // light scheme
    ZKBitmap bitmap{200, 18};
    ZKDC dc{bitmap};

    // Colours seen inside the row, by how often.
    int Count(ZKRGB colour) const {
        int n = 0;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 18; ++y)
                n += bitmap.Pixel(x, y) == colour;
        return n;
    }
};

TEST_F(RichTextListItemTest, OneLineIsEighteenPixelsHighAndEightWiderThanItsText) {
    const ZKRichTextListItem row("$cgDEVICE :$tZelkor #7", kTabs);
    EXPECT_TRUE(row.SingleLine());
    EXPECT_EQ(14, row.Extent().cy);
    EXPECT_EQ((zk::Size{row.Extent().cx + 8, 18}), row.PreferredSize(dc));
    EXPECT_GT(row.Extent().cx, 180);  // measured with the tab stop

    const ZKRichTextListItem empty("", kTabs);  // no lines: the font height stands in
    EXPECT_EQ((zk::Size{8, 18}), empty.PreferredSize(dc));

    const ZKRichTextListItem multi("a\nb$nc", kTabs);  // line breaks only separate words
    EXPECT_EQ(18, multi.PreferredSize(dc).cy);
}

TEST_F(RichTextListItemTest, MalformedCodesShowAsPlainTextAndKeepTheirText) {
    const ZKRichTextListItem row("cost 5$", kTabs);
    EXPECT_EQ("cost 5$", row.Text());
    EXPECT_GT(row.Extent().cx, 0);
    const ZKRichTextListItem justify("$jcA$jrB", kTabs);  // fails only in a layout
    EXPECT_NO_THROW(justify.Draw(dc, {0, 0, 200, 18}, {}));
}

TEST_F(RichTextListItemTest, ADisabledRowGreysEveryColourAndTheFlashLookFillsTheRow) {
    ZKRichTextListItem row("$crWWWW", kTabs);
    row.Draw(dc, {0, 0, 200, 18}, {});
    EXPECT_GT(Count({192, 0, 0}), 0);
    EXPECT_EQ(0, Count({128, 128, 128}));

    row.SetEnabled(false);
    row.Draw(dc, {0, 0, 200, 18}, {});
    EXPECT_EQ(0, Count({192, 0, 0}));
    EXPECT_GT(Count({128, 128, 128}), 0);  // slot 1 in the light scheme

    row.Draw(dc, {0, 0, 200, 18}, {.current = true, .secondLook = true});
    EXPECT_EQ((ZKRGB{190, 220, 255}), bitmap.Pixel(150, 9));  // slot 7
    EXPECT_EQ((ZKRGB{128, 128, 128}), bitmap.Pixel(0, 9));    // the current row's frame, slot 12
}

}  // namespace
