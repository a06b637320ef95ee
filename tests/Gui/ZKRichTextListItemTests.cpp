// A rich-text row: its preferred size, and how a disabled row and a flashing row look.
#include "Gui/ZKRichTextListItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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

// Rows are measured only when first asked for their size, and drawn from a fresh parse: both ways must give
// what the rich text itself measures and draws, in either order.
TEST_F(RichTextListItemTest, TheWidthIsMeasuredWhenAskedAndAgainAfterNewTabs) {
    const std::string text = "$cgDEVICE :$tZelkor #7";
    auto measured = [&](const std::vector<int>& tabs) {
        ZKRichText rich;
        rich.SetSingleLine(true);
        rich.SetTabs(tabs);
        rich.Measure(dc, text);
        return rich.Extent();
    };
    ZKRichTextListItem row(text, kTabs);
    EXPECT_EQ(measured(kTabs), row.Extent());

    const auto narrow = std::make_shared<const std::vector<int>>(std::vector<int>{90});
    row.SetTabStops(narrow);
    EXPECT_EQ(measured(*narrow), row.Extent());
    EXPECT_LT(row.Extent().cx, measured(kTabs).cx);
}

TEST_F(RichTextListItemTest, ARowDrawsTheSameWhetherMeasuredBeforeOrNot) {
    for (const char* text : {"$crred$tafter tab", "name$jrvalue", "$jcA$jrB", "cost 5$"}) {
        ZKBitmap first(200, 18);
        ZKDC firstDc(first);
        const ZKRichTextListItem drawnAtOnce(text, kTabs);
        drawnAtOnce.Draw(firstDc, {0, 0, 200, 18}, {});

        const ZKRichTextListItem measuredFirst(text, kTabs);
        EXPECT_GT(measuredFirst.PreferredSize(dc).cx, 8) << text;
        measuredFirst.Draw(dc, {0, 0, 200, 18}, {});
        int differ = 0;
        int rightmost = 0;  // of the ink
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 18; ++y) {
                differ += first.Pixel(x, y) != bitmap.Pixel(x, y);
                if (bitmap.Pixel(x, y) != ZKRGB{255, 255, 255}) rightmost = x;
            }
        EXPECT_EQ(0, differ) << text;
        // The right part of a justified line ends at the row's right inset.
        if (std::string(text) == "name$jrvalue") {
            EXPECT_GT(rightmost, 185);
        }
    }
}

}  // namespace
