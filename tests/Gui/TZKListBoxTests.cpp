// The list box on its own: the notice to its parent after attaching, and flashing rows.
#include "Gui/TZKListBox.h"

#include <memory>

#include "Gui/ZKRichTextListItem.h"
#include "GuiWindowTest.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

class ListBoxTest : public GuiWindowTest {
protected:
    ZKListBoxContents rows;
    const std::vector<int> tabs{180};

    void Add(const std::string& text, bool flashing = false) {
        rows.Append(std::make_unique<ZKRichTextListItem>(text, tabs));
        rows.At(rows.Count() - 1).SetFlashing(flashing);
    }
};

TEST_F(ListBoxTest, AttachingNotifiesTheParentAndFlashingRowsAlternateTheirLook) {
    TZKListBox<ZKRichTextListItem> list;
    ASSERT_TRUE(list.Create(parent, {10, 10, 210, 110}));
    Add("steady");
    Add("alarm", true);
    TakePosted();
    list.Attach(&rows, false);
    Pump();
    EXPECT_EQ((std::vector<zktest::Posted>{
                  {WMU_LIST_ATTACHED, reinterpret_cast<WPARAM>(&list), reinterpret_cast<LPARAM>(&rows)}}),
              TakePosted());
    ASSERT_NE(nullptr, list.CurrentItem());
    EXPECT_EQ("steady", list.CurrentItem()->Text());

    // The flashing row (at y 18..36) turns to its second look after 300 ms and back 300 ms later; the
    // steady row keeps the background.
    const ZKRGB second{190, 220, 255};  // slot 7
    auto flashOn = [&] { return PixelAt(list.Window(), 150, 27) == second; };
    RunFor(1000, flashOn);
    ASSERT_TRUE(flashOn());
    EXPECT_EQ((ZKRGB{255, 255, 255}), PixelAt(list.Window(), 150, 9));
    RunFor(1000, [&] { return !flashOn(); });
    EXPECT_FALSE(flashOn());
}

}  // namespace
