// The folder chooser on a temporary tree, driven by keys and clicks: browsing down and up, following a
// link, SELECT, CREATE, SEARCH and its time limit. The questions it asks are answered by the test.
#include "Gui/ZKPopupDirectoryMenu.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>

#include "DialogTestSupport.h"
#include "Platform/Input.h"
#include "support/TestSupport.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::StandInOwner;

class ScriptedChooser : public ZKPopupDirectoryMenu {
public:
    using ZKPopupDirectoryMenu::ZKPopupDirectoryMenu;
    std::deque<std::optional<std::string>> names;
    std::vector<std::string> told;

protected:
    std::optional<std::string> AskFolderName() override {
        if (names.empty()) return std::nullopt;
        auto name = names.front();
        names.pop_front();
        return name;
    }
    void Tell(const std::string& message) override { told.push_back(message); }
};

class DirectoryMenuTest : public GuiWindowTest {
protected:
    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
        char* real = ::realpath(tmp.Path().c_str(), nullptr);
        root = real;
        std::free(real);
        ASSERT_EQ(0, ::mkdir((root + "/Alpha").c_str(), 0755));
        ASSERT_EQ(0, ::mkdir((root + "/beta").c_str(), 0755));
        ASSERT_EQ(0, ::mkdir((root + "/beta/inner").c_str(), 0755));
        ASSERT_EQ(0, ::symlink((root + "/beta").c_str(), (root + "/to-beta").c_str()));
        zktest::WriteWholeFile(root + "/notes.txt", "not listed");
    }

    // Presses Down `n` times from the first row that can be chosen (not the title), then Enter.
    static void Pick(int n) {
        input::KeyPress(VK_HOME);
        for (int i = 0; i < n; ++i)
            input::KeyPress(VK_DOWN);
        input::KeyPress(VK_RETURN);
    }

    zktest::TempDir tmp;
    std::string root;
    StandInOwner owner;
    ZKFileBrowserSettings settings;
    const Point anchor{300, 200};
};

// Rows of a folder: SELECT 0, CREATE 1, DESKTOP 2, RECENT FILES 3, SEARCH 4, ".." 5, then the folders (the
// root: Alpha 6, beta 7, to-beta 8).
TEST_F(DirectoryMenuTest, BrowsingDownThroughALinkAndUpAndSelecting) {
    ScriptedChooser chooser(settings, root, owner.MainWindow(), anchor);
    owner.Later([&] {
        const int rowHeight = ZKFontSet::Screen().Height() + 8;
        input::Click(input::Button::Left,
                     {anchor.x + 40, anchor.y + 8 * rowHeight + rowHeight / 2});  // to-beta
        Pick(6);                                                                  // inner
        Pick(5);                                                                  // ..
        Pick(0);                                                                  // SELECT
    });
    EXPECT_EQ(ZKPopupMenu::kChosen, chooser.DoModal());
    EXPECT_EQ(root + "/beta", chooser.Chosen());
    EXPECT_TRUE(chooser.told.empty());
}

TEST_F(DirectoryMenuTest, CreateMakesAFolderAndRefusesAnExistingName) {
    ScriptedChooser chooser(settings, root, owner.MainWindow(), anchor, "Save the log to");
    chooser.names = {"logs", "logs", std::nullopt};
    owner.Later([&] {
        Pick(1);  // CREATE: "logs" is made and shown
        Pick(5);  // .. of logs
        Pick(1);  // CREATE "logs" again
        Pick(1);  // CREATE, cancelled
        Pick(0);  // SELECT
    });
    EXPECT_EQ(ZKPopupMenu::kChosen, chooser.DoModal());
    EXPECT_EQ(root, chooser.Chosen());
    struct stat st {};
    EXPECT_EQ(0, ::stat((root + "/logs").c_str(), &st));
    EXPECT_EQ(std::vector<std::string>{"Error\nDirectory already exists"}, chooser.told);
}

TEST_F(DirectoryMenuTest, TheNewFolderIsNamedInATextEntryDialog) {
    ZKPopupDirectoryMenu chooser(settings, root, owner.MainWindow(), anchor);
    owner.Later([&] {
        Pick(1);  // CREATE
        for (const char ch : std::string("Gr\xFC\xDF"
                                         "e"))
            input::Char(static_cast<unsigned char>(ch));
        input::KeyPress(VK_RETURN);
        Pick(0);  // SELECT the new folder
    });
    EXPECT_EQ(ZKPopupMenu::kChosen, chooser.DoModal());
    EXPECT_EQ(root +
                  "/Gr\xC3\xBC\xC3\x9F"
                  "e",
              chooser.Chosen())
        << "typed in Windows-1252, made in UTF-8";
}

// Finds of a search: DESKTOP 0, RECENT FILES 1, ".." 2, Alpha 3, beta 4, beta/inner 5.
TEST_F(DirectoryMenuTest, SearchShowsWhatItFoundOrSaysItTookTooLong) {
    ASSERT_EQ(0, ::unlink((root + "/to-beta").c_str()));  // which name a linked folder is found by varies
    ScriptedChooser chooser(settings, root, owner.MainWindow(), anchor);
    owner.Later([&] {
        Pick(4);  // SEARCH
        Pick(5);  // beta/inner
        Pick(0);  // SELECT
    });
    EXPECT_EQ(ZKPopupMenu::kChosen, chooser.DoModal());
    EXPECT_EQ(root + "/beta/inner", chooser.Chosen());

    std::string deep = root + "/deep";
    for (int level = 0; level < 500; ++level, deep += "/d")
        ASSERT_EQ(0, ::mkdir(deep.c_str(), 0755));
    settings.searchTimeout = std::chrono::milliseconds(1);
    ScriptedChooser hurried(settings, root, owner.MainWindow(), anchor);
    owner.Later([&] {
        Pick(4);
        input::KeyPress(VK_ESCAPE);
    });
    EXPECT_EQ(ZKPopupMenu::kClosed, hurried.DoModal());
    EXPECT_EQ("", hurried.Chosen());
    EXPECT_EQ(std::vector<std::string>{"SEARCH failed!\nTook too long to browse folders"}, hurried.told);
}

}  // namespace
