#include "Gui/ZKFileBrowser.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/TestSupport.h"

namespace {

using Kind = ZKFileKind;
using Outcome = ZKFileBrowser::Outcome;
using Strings = std::vector<std::string>;

class ZKFileBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder("Alpha");
        Folder("beta");
        Folder("beta/inner");
        File("c.txt");
        File("B.txt");
        File("x.lnk");
        File(".hidden");
    }

    void Folder(const std::string& name) { ASSERT_EQ(0, ::mkdir(tmp_.File(name).c_str(), 0755)); }
    void File(const std::string& name) { zktest::WriteWholeFile(tmp_.File(name), "data"); }
    void Link(const std::string& target, const std::string& name) {
        ASSERT_EQ(0, ::symlink(target.c_str(), tmp_.File(name).c_str()));
    }
    std::string Real(const std::string& name) const {
        char* real = ::realpath(tmp_.File(name).c_str(), nullptr);
        std::string path = real ? real : "";
        std::free(real);
        return path;
    }

    static Strings Labels(const ZKFileBrowser& b) {
        Strings labels;
        for (const ZKFileEntry& row : b.Rows())
            labels.push_back(row.label);
        return labels;
    }
    static const ZKFileEntry& Row(const ZKFileBrowser& b, const std::string& label) {
        for (const ZKFileEntry& row : b.Rows())
            if (row.label == label) return row;
        ADD_FAILURE() << "no row " << label;
        static const ZKFileEntry none;
        return none;
    }

    ZKFileBrowser Browser(ZKFileBrowser::Mode mode) {
        ZKFileBrowser browser(mode, settings_);
        EXPECT_TRUE(browser.Browse(Real("")));
        return browser;
    }

    zktest::TempDir tmp_;
    ZKFileBrowserSettings settings_;
};

TEST_F(ZKFileBrowserTest, FixedRowsThenParentFoldersAndFilesByNameWithoutCase) {
    settings_.workingDirectory = "/";
    ZKFileBrowser files = Browser(ZKFileBrowser::Mode::Files);
    EXPECT_EQ((Strings{"DESKTOP", "WORKING DIRECTORY", "RECENT FILES", "SEARCH", "..", "Alpha", "beta",
                       "B.txt", "c.txt", "x.lnk"}),
              Labels(files));
    EXPECT_EQ(Kind::File, Row(files, "x.lnk").kind) << "a .lnk file is an ordinary file";
    EXPECT_EQ((ZKFileEntry{"Alpha", Real("Alpha"), Kind::Folder}), Row(files, "Alpha"));

    settings_.workingDirectory.clear();
    settings_.reverseFolderOrder = true;
    EXPECT_EQ((Strings{"SELECT", "CREATE", "DESKTOP", "RECENT FILES", "SEARCH", "..", "beta", "Alpha"}),
              Labels(Browser(ZKFileBrowser::Mode::Folders)))
        << "a folder chooser lists no files; the option reverses the folders";
}

TEST_F(ZKFileBrowserTest, BrowsingDownAndUpAndSelectingAFolder) {
    ZKFileBrowser b = Browser(ZKFileBrowser::Mode::Folders);
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "beta")));
    EXPECT_EQ(Real("beta"), b.Folder());
    EXPECT_EQ((Strings{"SELECT", "CREATE", "DESKTOP", "RECENT FILES", "SEARCH", "..", "inner"}), Labels(b));
    ASSERT_EQ(Outcome::Chosen, b.Open(Row(b, "SELECT")));
    EXPECT_EQ(Real("beta"), b.Chosen());
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "..")));
    EXPECT_EQ(Real(""), b.Folder());

    // Up from the root leads to the drives, which open again.
    ASSERT_TRUE(b.Browse("/"));
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "..")));
    EXPECT_EQ(ZKFileBrowser::Place::Drives, b.GetPlace());
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "/")));
    EXPECT_EQ("/", b.Folder());
    EXPECT_FALSE(b.Browse(tmp_.File("missing")));
    EXPECT_EQ("/", b.Folder());
}

TEST_F(ZKFileBrowserTest, CreateMakesAFolderAndRefusesAnExistingName) {
    ZKFileBrowser b = Browser(ZKFileBrowser::Mode::Folders);
    ASSERT_EQ(Outcome::Create, b.Open(Row(b, "CREATE")));
    auto made = b.CreateFolder("logs");
    EXPECT_EQ(ZKFileBrowser::CreateResult::Status::Created, made.status);
    EXPECT_EQ(Real("logs"), b.Folder()) << "the new folder is shown";
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "..")));

    auto again = b.CreateFolder("logs");
    EXPECT_EQ(ZKFileBrowser::CreateResult::Status::Exists, again.status);
    EXPECT_EQ("Error\nDirectory already exists", again.message);
    EXPECT_EQ(Real(""), b.Folder());

    auto bad = b.CreateFolder("a/b");
    EXPECT_EQ(ZKFileBrowser::CreateResult::Status::Failed, bad.status);
    EXPECT_EQ("Cannot create :\n" + Real("") + "/a/b", bad.message);
    EXPECT_EQ(ZKFileBrowser::CreateResult::Status::Failed, b.CreateFolder("").status);
}

TEST_F(ZKFileBrowserTest, LinksAreFollowedToTheirTargetsAndDanglingOnesLeftOut) {
    Link(tmp_.File("beta"), "to-beta");
    Link(tmp_.File("c.txt"), "to-c");
    Link(tmp_.File("gone"), "dangling");
    ZKFileBrowser b = Browser(ZKFileBrowser::Mode::Files);
    EXPECT_EQ((ZKFileEntry{"to-beta", Real("beta"), Kind::Folder}), Row(b, "to-beta"));
    EXPECT_EQ((ZKFileEntry{"to-c", Real("c.txt"), Kind::File}), Row(b, "to-c"));
    for (const std::string& label : Labels(b))
        EXPECT_NE("dangling", label);
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "to-beta")));
    EXPECT_EQ(Real("beta"), b.Folder());
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "..")));
    ASSERT_EQ(Outcome::Chosen, b.Open(Row(b, "to-c")));
    EXPECT_EQ(Real("c.txt"), b.Chosen());
}

TEST_F(ZKFileBrowserTest, NamesThatAreNotUtf8ShowAsWindows1252AndStillOpen) {
    Folder("\xE9t\xE9");  // Latin-1 bytes
    File(
        "Gr\xC3\xBC\xC3\x9F"
        "e.txt");  // UTF-8
    ZKFileBrowser b = Browser(ZKFileBrowser::Mode::Files);
    EXPECT_EQ(Real("Gr\xC3\xBC\xC3\x9F"
                   "e.txt"),
              Row(b,
                  "Gr\xFC\xDF"
                  "e.txt")
                  .path);
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "\xE9t\xE9")));
    EXPECT_EQ(Real("\xE9t\xE9"), b.Folder());
}

// The superuser reads every folder, so the check runs in a child process as "nobody" where it can.
TEST_F(ZKFileBrowserTest, AnUnreadableFolderIsShownButNeverOpened) {
    Folder("locked");
    File("beta/inner/found.txt");
    ASSERT_EQ(0, ::chmod(tmp_.File("locked").c_str(), 0));
    ASSERT_EQ(0, ::chmod(tmp_.Path().c_str(), 0755));
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        ZKFileBrowser b(ZKFileBrowser::Mode::Files, {});
        if (!b.Browse(Real(""))) ::_exit(11);
        const ZKFileEntry* locked = nullptr;
        for (const ZKFileEntry& row : b.Rows())
            if (row.label == "locked") locked = &row;
        if (!locked || locked->kind != Kind::LockedFolder) ::_exit(12);
        if (b.Open(*locked) != Outcome::Refused || b.Browse(Real("locked"))) ::_exit(13);
        const auto found = b.Search();
        if (!found.completed || found.found.size() != 4) ::_exit(14);
        ::_exit(0);
    }
    int status = -1;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ::chmod(tmp_.File("locked").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "10 setuid, 11 browse, 12 listing, 13 opened, 14 search";
}

TEST_F(ZKFileBrowserTest, SearchFindsWhatLiesBelowOrRunsOutOfTime) {
    File("beta/inner/deep.txt");
    ZKFileBrowser files = Browser(ZKFileBrowser::Mode::Files);
    ASSERT_EQ(Outcome::Search, files.Open(Row(files, "SEARCH")));
    auto found = files.Search();
    ASSERT_TRUE(found.completed);
    Strings labels;
    for (const ZKFileEntry& e : found.found)
        labels.push_back(e.label);
    EXPECT_EQ((Strings{"B.txt", "beta/inner/deep.txt", "c.txt", "x.lnk"}), labels);
    EXPECT_EQ(Real("beta/inner/deep.txt"), found.found[1].path);

    auto folders = Browser(ZKFileBrowser::Mode::Folders).Search();
    ASSERT_TRUE(folders.completed);
    EXPECT_EQ(3u, folders.found.size());

    // A deep tree and a tiny time limit.
    std::string path = "deep";
    for (int level = 0; level < 400; ++level, path += "/d") {
        Folder(path);
        for (int n = 0; n < 3; ++n)
            File(path + "/f" + std::to_string(n));
    }
    settings_.searchTimeout = std::chrono::milliseconds(1);
    auto late = Browser(ZKFileBrowser::Mode::Files).Search();
    EXPECT_FALSE(late.completed);
    EXPECT_TRUE(late.found.empty());
    EXPECT_EQ("SEARCH failed!\nTook too long to browse folders", late.message);
}

TEST_F(ZKFileBrowserTest, RecentFilesThatStillExistAndTheirFolders) {
    settings_.recentFiles = {tmp_.File("c.txt"), tmp_.File("gone.txt"), tmp_.File("B.txt")};
    ZKFileBrowser files(ZKFileBrowser::Mode::Files, settings_);
    ASSERT_EQ(Outcome::Browsed, files.Open(Row(files, "RECENT FILES")));
    EXPECT_EQ((Strings{"DESKTOP", "RECENT FILES", tmp_.File("c.txt"), tmp_.File("B.txt")}), Labels(files));
    ZKFileBrowser folders(ZKFileBrowser::Mode::Folders, settings_);
    folders.ShowRecent();
    EXPECT_EQ((Strings{"DESKTOP", "RECENT FILES", tmp_.Path()}), Labels(folders));
    ASSERT_EQ(Outcome::Browsed, folders.Open(folders.Rows().back()));
    EXPECT_EQ(tmp_.Path(), folders.Folder());
}

TEST_F(ZKFileBrowserTest, DesktopAndWorkingDirectoryRows) {
    Folder("Desktop");
    zktest::ScopedEnv home("HOME", tmp_.Path());
    zktest::ScopedEnv config("XDG_CONFIG_HOME", tmp_.Path());
    settings_.workingDirectory = tmp_.File("beta");
    ZKFileBrowser b(ZKFileBrowser::Mode::Files, settings_);
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "DESKTOP")));
    EXPECT_EQ(tmp_.File("Desktop"), b.Folder());
    ASSERT_EQ(Outcome::Browsed, b.Open(Row(b, "WORKING DIRECTORY")));
    EXPECT_EQ(tmp_.File("beta"), b.Folder());
    settings_.workingDirectory = tmp_.File("missing");
    ZKFileBrowser missing(ZKFileBrowser::Mode::Files, settings_);
    EXPECT_EQ(Outcome::Refused, missing.Open(Row(missing, "WORKING DIRECTORY")));
}

}  // namespace
