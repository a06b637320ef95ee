#include "Common/ZKRegistry.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

using namespace zk;
using Bytes = std::vector<std::uint8_t>;

class ZKRegistryTest : public ::testing::Test {
protected:
    std::optional<RegValue> Stored(RegHive hive, const std::string& key, const std::string& name) {
        auto opened = RegKey::Open(hive, key);
        return opened ? opened->QueryValue(name) : std::nullopt;
    }
    void Store(const std::string& key, const std::string& name, std::uint32_t type, const Bytes& data) {
        ASSERT_TRUE(RegKey::Create(RegHive::CurrentUser, key)->SetValue(name, type, data));
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
    ZKRegistry registry_{"ZelkMsg"};
    const std::string company_ = "Software\\Zelkor";
    const std::string app_ = "Software\\Zelkor\\ZelkMsg";
};

TEST_F(ZKRegistryTest, PathStringsFailWhenMissingOrTooLongAndWriteNothing) {
    std::string dir = "unchanged";
    EXPECT_FALSE(registry_.GetWorkingDirectory(dir));
    EXPECT_EQ("unchanged", dir);
    EXPECT_FALSE(Stored(RegHive::CurrentUser, company_, "WorkingDirectory"));

    ASSERT_TRUE(registry_.SetWorkingDirectory("/home/bench/logs"));
    EXPECT_EQ(RegStringBytes("/home/bench/logs"),
              Stored(RegHive::CurrentUser, company_, "WorkingDirectory")->data);
    EXPECT_TRUE(registry_.GetWorkingDirectory(dir));
    EXPECT_EQ("/home/bench/logs", dir);

    // 259 characters and the NUL fit the 260-byte buffer; one more does not.
    ASSERT_TRUE(registry_.SetWorkingDirectory(std::string(259, 'd')));
    EXPECT_TRUE(registry_.GetWorkingDirectory(dir));
    ASSERT_TRUE(registry_.SetWorkingDirectory(std::string(260, 'd')));
    dir = "unchanged";
    EXPECT_FALSE(registry_.GetWorkingDirectory(dir));
    EXPECT_EQ("unchanged", dir);
    Store(company_, "WorkingDirectory", REG_BINARY, {'a', 0});
    EXPECT_FALSE(registry_.GetWorkingDirectory(dir));

    ASSERT_TRUE(registry_.SetInstallDirectory("/opt/zelkor"));
    EXPECT_TRUE(Stored(RegHive::LocalMachine, company_, "InstallDirectory")) << "the machine hive holds it";
    EXPECT_FALSE(Stored(RegHive::CurrentUser, company_, "InstallDirectory"));
    EXPECT_TRUE(registry_.GetInstallDirectory(dir));
    EXPECT_EQ("/opt/zelkor", dir);
}

TEST_F(ZKRegistryTest, DefaultsAreWrittenOnlyWhenTheValueDoesNotExist) {
    std::uint32_t value = 5;
    EXPECT_FALSE(registry_.GetMaxRtcDisparityInMinutes(value));
    EXPECT_EQ(719u, value);
    EXPECT_EQ(RegDwordBytes(719), Stored(RegHive::CurrentUser, company_, "MaxRtcDisparityInMinutes")->data);
    ASSERT_TRUE(registry_.SetCompanyDWord("MaxRtcDisparityInMinutes", 30));
    EXPECT_TRUE(registry_.GetMaxRtcDisparityInMinutes(value));
    EXPECT_EQ(30u, value);

    // Wrong type or wrong size: the default is returned and the stored value stays as it is.
    Store(company_, "AutoConnectAsRoot", REG_SZ, RegStringBytes("1"));
    Store(company_, "AutoGetAndSaveSyncLog", REG_DWORD, {1, 0, 0});
    value = 5;
    EXPECT_FALSE(registry_.GetAutoConnectAsRoot(value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ(REG_SZ, Stored(RegHive::CurrentUser, company_, "AutoConnectAsRoot")->type);
    value = 5;
    EXPECT_FALSE(registry_.GetAutoGetAndSaveSyncLog(value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ((Bytes{1, 0, 0}), Stored(RegHive::CurrentUser, company_, "AutoGetAndSaveSyncLog")->data);

    // The format flag overwrites whatever is there with 0 and still reports failure.
    Store(company_, "UseNewZkDirCfgFormat", REG_SZ, RegStringBytes("1"));
    bool useNew = true;
    EXPECT_FALSE(registry_.GetUseNewZkDirCfgFormat(useNew));
    EXPECT_FALSE(useNew);
    EXPECT_EQ((RegValue{"UseNewZkDirCfgFormat", REG_DWORD, RegDwordBytes(0)}),
              Stored(RegHive::CurrentUser, company_, "UseNewZkDirCfgFormat"));
    ASSERT_TRUE(registry_.SetCompanyDWord("UseNewZkDirCfgFormat", 7));
    EXPECT_TRUE(registry_.GetUseNewZkDirCfgFormat(useNew));
    EXPECT_TRUE(useNew);
}

TEST_F(ZKRegistryTest, DefaultsThatAreNeverWritten) {
    std::uint32_t value = 5;
    EXPECT_TRUE(registry_.GetAllowMapOverrides(value)) << "reports success although the value is missing";
    EXPECT_EQ(0u, value);
    EXPECT_FALSE(Stored(RegHive::CurrentUser, company_, "AllowMapOverrides"));
    ASSERT_TRUE(registry_.SetCompanyDWord("AllowMapOverrides", 1));
    EXPECT_TRUE(registry_.GetAllowMapOverrides(value));
    EXPECT_EQ(1u, value);

    EXPECT_FALSE(registry_.GetShowHelp(value));
    EXPECT_EQ(1u, value);
    EXPECT_FALSE(Stored(RegHive::CurrentUser, app_, "ShowHelp"));
    ASSERT_TRUE(registry_.SetShowHelp(0));
    EXPECT_TRUE(registry_.GetShowHelp(value));
    EXPECT_EQ(0u, value);
}

TEST_F(ZKRegistryTest, PlainDWordReadersNeverCreateTheKey) {
    std::uint32_t value = 3;
    EXPECT_FALSE(registry_.GetAppDWord("GlobalSettingsAppliedLocally", value));
    EXPECT_FALSE(registry_.GetCompanyDWord("Anything", value));
    EXPECT_EQ(3u, value);
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, company_));

    ASSERT_TRUE(registry_.SetAppDWord("GlobalSettingsAppliedLocally", 1));
    EXPECT_TRUE(registry_.GetAppDWord("globalsettingsappliedlocally", value));
    EXPECT_EQ(1u, value);
    EXPECT_FALSE(registry_.GetCompanyDWord("GlobalSettingsAppliedLocally", value)) << "other key";
    EXPECT_TRUE(registry_.DeleteAppValue("GlobalSettingsAppliedLocally"));
    EXPECT_FALSE(registry_.GetAppDWord("GlobalSettingsAppliedLocally", value));
}

TEST_F(ZKRegistryTest, WindowPlacementOfAnotherSizeIsReplacedByTheDefault) {
    const WindowPlacement defaults;
    WindowPlacement custom;
    custom.showCmd = SW_SHOWMAXIMIZED;
    custom.normalPosition = Rect{10, 20, 1010, 720};
    ASSERT_TRUE(registry_.SetWindowPlacement(custom));
    WindowPlacement read;
    EXPECT_TRUE(registry_.GetWindowPlacement(read));
    EXPECT_EQ(custom, read);

    const auto bytes = custom.ToBytes();
    Store(app_, "WindowPlacement", REG_BINARY, Bytes(bytes.begin(), bytes.begin() + 40));
    EXPECT_FALSE(registry_.GetWindowPlacement(read));
    EXPECT_EQ(defaults, read);
    EXPECT_EQ(Rect(0, 0, 800, 600), read.normalPosition);
    const auto written = defaults.ToBytes();
    EXPECT_EQ(Bytes(written.begin(), written.end()),
              Stored(RegHive::CurrentUser, app_, "WindowPlacement")->data);

    Store(app_, "WindowPlacement", REG_DWORD, Bytes(bytes.begin(), bytes.end()));
    read = custom;
    EXPECT_FALSE(registry_.GetWindowPlacement(read)) << "44 bytes of the wrong type";
    EXPECT_EQ(defaults, read);
}

TEST_F(ZKRegistryTest, RecentFilesNewestFirstWithoutRepeatsUpToTheirMaximum) {
    std::vector<std::string> files{"stale"};
    EXPECT_TRUE(registry_.GetRecentFiles(files));
    EXPECT_TRUE(files.empty());

    ASSERT_TRUE(registry_.AddRecentFile("/a.txt"));
    ASSERT_TRUE(registry_.AddRecentFile("/b.txt"));
    ASSERT_TRUE(registry_.AddRecentFile("/a.txt"));
    ASSERT_TRUE(registry_.GetRecentFiles(files));
    EXPECT_EQ((std::vector<std::string>{"/a.txt", "/b.txt"}), files);
    EXPECT_EQ(RegDwordBytes(10), Stored(RegHive::CurrentUser, app_ + "\\RecentFiles", "MaxEntries")->data);

    Store(app_ + "\\RecentFiles", "MaxEntries", REG_DWORD, RegDwordBytes(2));
    ASSERT_TRUE(registry_.AddRecentFile("/c.txt"));
    ASSERT_TRUE(registry_.GetRecentFiles(files));
    EXPECT_EQ((std::vector<std::string>{"/c.txt", "/a.txt"}), files);
    EXPECT_FALSE(Stored(RegHive::CurrentUser, app_ + "\\RecentFiles\\list", "3"));

    std::uint32_t timeout = 0;
    EXPECT_FALSE(registry_.GetChooseFileTimeout(timeout));
    EXPECT_EQ(5000u, timeout);
    ASSERT_TRUE(registry_.SetCompanyDWord("ChooseFileTimeout", 20));
    EXPECT_TRUE(registry_.GetChooseFileTimeout(timeout));
    EXPECT_EQ(20u, timeout);
}

TEST_F(ZKRegistryTest, AnUnreadableStoreLeavesTheDefaults) {
    zktest::WriteWholeFile(dir_.File("hkcu.db"), std::string(4096, '\x7f'));
    std::uint32_t value = 5;
    EXPECT_FALSE(registry_.GetMaxRtcDisparityInMinutes(value));
    EXPECT_EQ(719u, value);
    WindowPlacement read;
    read.flags = 9;
    EXPECT_FALSE(registry_.GetWindowPlacement(read));
    EXPECT_EQ(WindowPlacement{}, read);
    EXPECT_FALSE(registry_.SetShowHelp(0));
}

}  // namespace
