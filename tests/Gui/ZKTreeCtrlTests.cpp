// The tree control: which lines show as branches open and close (keys, characters, boxes, double clicks),
// hidden top-level lines, the current item kept across a rebuild, scrolling a long tree, the empty text.
#include "Gui/ZKTreeCtrl.h"

#include "GuiWindowTest.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;

class Item final : public ZKTreeItem {
public:
    explicit Item(std::string text) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }
    ZKRGB TextColour(const ZKDC& dc) const override { return dc.Colour(0); }

private:
    std::string text_;
};

ZKTreeItem& Add(ZKTreeItem& parent, const std::string& text) {
    return parent.Add(std::make_unique<Item>(text));
}
ZKTreeItem& Add(ZKTreeItems& items, const std::string& text) {
    items.push_back(std::make_unique<Item>(text));
    return *items.back();
}

class TreeCtrlTest : public GuiWindowTest {
protected:
    ZKTreeItems items;
    ZKTreeCtrl tree;

    // A (closed) with A1 and A2 (with A2x); B (open) with B1; C hidden.
    void MakeSmallTree() {
        ZKTreeItem& a = Add(items, "A");
        a.SetFlags(ZKTreeItem::kHasBox);
        Add(a, "A1");
        ZKTreeItem& a2 = Add(a, "A2");
        a2.SetFlags(ZKTreeItem::kHasBox);
        Add(a2, "A2x");
        ZKTreeItem& b = Add(items, "B");
        b.SetFlags(ZKTreeItem::kHasBox | ZKTreeItem::kOpen);
        Add(b, "B1");
        Add(items, "C").SetHidden(true);
        ASSERT_TRUE(tree.Create(parent, {10, 10, 210, 210}));
        tree.SetItems(&items);
        Pump();
    }
    std::string Lines() const {
        std::string out;
        for (int i = 0; i < tree.LineCount(); ++i)
            out +=
                std::string(static_cast<std::size_t>(tree.LineDepth(i)), '.') + tree.LineItem(i).Text() + " ";
        return out;
    }
    std::string Current() const { return tree.CurrentItem() ? tree.CurrentItem()->Text() : "none"; }
    void Key(int vk) { SendMessage(tree.Window(), WM_KEYDOWN, static_cast<WPARAM>(vk), 0); }
    void Char(char ch) { SendMessage(tree.Window(), WM_CHAR, static_cast<WPARAM>(ch), 0); }
};

TEST_F(TreeCtrlTest, KeysAndCharactersOpenAndCloseTheCurrentBranch) {
    MakeSmallTree();
    EXPECT_EQ("A B .B1 ", Lines()) << "closed branches and hidden lines leave their lines out";
    EXPECT_EQ("A", Current());
    Key(VK_RIGHT);
    EXPECT_EQ("A .A1 .A2 B .B1 ", Lines());
    Key(VK_DOWN);
    Key(VK_DOWN);
    Char('+');
    EXPECT_EQ("A .A1 .A2 ..A2x B .B1 ", Lines());
    Key(VK_DOWN);
    EXPECT_EQ("A2x", Current());
    Key(VK_LEFT);
    EXPECT_EQ("A2", Current()) << "Left on a leaf goes to its parent";
    Key(VK_LEFT);
    EXPECT_EQ("A .A1 .A2 B .B1 ", Lines()) << "Left on an open branch closes it";
    Key(VK_RETURN);
    EXPECT_EQ("A .A1 .A2 ..A2x B .B1 ", Lines()) << "Enter opens a closed branch";
    Key(VK_DOWN);
    tree.Close(*items[0]);
    EXPECT_EQ("A B .B1 ", Lines());
    EXPECT_EQ("A", Current()) << "a current line that is closed away passes to its nearest shown ancestor";
    Key(VK_END);
    EXPECT_EQ("B1", Current());
    Char('-');
    EXPECT_EQ("A B .B1 ", Lines()) << "closing a leaf changes nothing";
    items[2]->SetHidden(false);
    items[1]->SetHidden(true);
    tree.Rebuild();
    EXPECT_EQ("A C ", Lines());
    EXPECT_EQ("A", Current()) << "B was hidden with its branch";
}

TEST_F(TreeCtrlTest, AClickOnABoxTogglesItsBranchAndADoubleClickDoesTheAction) {
    MakeSmallTree();
    EXPECT_TRUE(tree.BoxRect(2).IsEmpty()) << "B1 has no box";
    const Rect box = tree.BoxRect(0);
    ASSERT_FALSE(box.IsEmpty());
    input::Click(input::Button::Left, OnScreen(tree.Window(), box.left + 4, box.top + 4));
    Pump();
    EXPECT_EQ("A .A1 .A2 B .B1 ", Lines());
    // A click on the text only makes the line current.
    const Rect b = tree.BoxRect(3);
    input::Click(input::Button::Left, OnScreen(tree.Window(), b.right + 30, b.top + 4));
    Pump();
    EXPECT_EQ("B", Current());
    EXPECT_EQ("A .A1 .A2 B .B1 ", Lines());
    SendMessage(tree.Window(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(b.right + 30, b.top + 4));
    EXPECT_EQ("A .A1 .A2 B ", Lines());
}

TEST_F(TreeCtrlTest, ALongTreeScrollsToKeepTheCurrentLineInView) {
    ZKTreeItem& root = Add(items, "root");
    root.SetFlags(ZKTreeItem::kHasBox | ZKTreeItem::kOpen);
    for (int i = 0; i < 40; ++i)
        Add(root, "line " + std::to_string(i));
    ASSERT_TRUE(tree.Create(parent, {10, 10, 210, 110}));
    tree.SetItems(&items);
    Pump();
    EXPECT_TRUE(tree.ScrollBarShown());
    EXPECT_EQ(0, tree.FirstVisibleRow());
    SendMessage(tree.Window(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ("line 39", tree.CurrentItem()->Text());
    const int first = tree.FirstVisibleRow();
    EXPECT_GT(first, 30);
    // Opening something elsewhere keeps the view; closing the root scrolls back to the line that stays.
    tree.Rebuild();
    EXPECT_EQ(first, tree.FirstVisibleRow());
    tree.Close(root);
    EXPECT_EQ(1, tree.LineCount());
    EXPECT_EQ(0, tree.FirstVisibleRow());
    EXPECT_FALSE(tree.ScrollBarShown());
}

TEST_F(TreeCtrlTest, AnEmptyTreeShowsItsEmptyText) {
    ASSERT_TRUE(tree.Create(parent, {10, 10, 310, 60}));
    tree.SetItems(&items);
    const auto inked = [&] {
        Pump();
        const Shot shot(tree.Window());
        int n = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 300; ++x)
                n += shot.At(x, y) == ZKGDI::Colour(ZKColourContext{}, 1);
        return n;
    };
    EXPECT_EQ(0, inked());
    tree.SetEmptyText("Nothing to show");
    EXPECT_GT(inked(), 20);
}

}  // namespace
