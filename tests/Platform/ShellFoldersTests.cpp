#include "Platform/ShellFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "Platform/Process.h"
#include "support/TestSupport.h"

namespace {

using zktest::ScopedEnv;
using zktest::TempDir;

TEST(ShellFolders, EnvironmentMovesEveryFolder) {
    ScopedEnv data("XDG_DATA_HOME", "/d/data/");
    ScopedEnv config("XDG_CONFIG_HOME", "/d/config");
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
    EXPECT_EQ("/d/data", zk::LocalAppDataFolder());
    EXPECT_EQ("/d/config", zk::ConfigFolder());
    EXPECT_EQ("/run/user/7/zelkor", zk::RuntimeFolder());
}

TEST(ShellFolders, DefaultsFollowHomeAndIgnoreRelativeValues) {
    ScopedEnv home("HOME", "/home/tester");
    ScopedEnv data("XDG_DATA_HOME", "relative/path");
    ScopedEnv config("XDG_CONFIG_HOME", "");
    ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    EXPECT_EQ("/home/tester/.local/share", zk::LocalAppDataFolder());
    EXPECT_EQ("/home/tester/.config", zk::ConfigFolder());
    EXPECT_EQ("/tmp/zelkor-" + std::to_string(::getuid()), zk::RuntimeFolder());
}

TEST(ShellFolders, DesktopFromTheUsersFolderSettingsElseInHome) {
    TempDir dir;
    ScopedEnv home("HOME", dir.Path());
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    EXPECT_EQ(dir.Path() + "/Desktop", zk::DesktopFolder());
    if (!zk::FindProgram("xdg-user-dir")) GTEST_SKIP() << "xdg-user-dir is not installed";
    zktest::WriteWholeFile(dir.File("user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(dir.Path() + "/Schreibtisch", zk::DesktopFolder());
}

TEST(ShellFolders, CreateFolderTreeMakesEveryMissingLevel) {
    TempDir dir;
    const std::string deep = dir.File("a/b/c/RegistryBackups");
    EXPECT_TRUE(zk::CreateFolderTree(deep));
    struct stat st {};
    ASSERT_EQ(0, ::stat(deep.c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(zk::CreateFolderTree(deep + "/"));  // already there

    zktest::WriteWholeFile(dir.File("file"), "x");
    EXPECT_FALSE(zk::CreateFolderTree(dir.File("file/sub")));
}

}  // namespace
