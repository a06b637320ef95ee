#include "ZelkMsg/ZMsgRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "support/TestSupport.h"

namespace {

using namespace zk;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ZMsgRegistryTest : public ::testing::Test {
protected:
    std::optional<RegValue> Option(const std::string& name) {
        auto key = RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options");
        return key ? key->QueryValue(name) : std::nullopt;
    }
    void StoreOption(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
        ASSERT_TRUE(RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options")
                        ->SetValue(name, type, data));
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
    zktest::ScopedEnv data_{"XDG_DATA_HOME", dir_.File("data")};
    ZMsgRegistry registry_;
};

TEST_F(ZMsgRegistryTest, AutoConnectOptionsLoadInOrderAndStopAtTheFirstMissing) {
    ZMsgAutoConnectOptions options;
    EXPECT_FALSE(registry_.LoadAutoConnectOptions(options));
    EXPECT_EQ(ZMsgAutoConnectOptions{}, options);
    EXPECT_TRUE(RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options")) << "key created";
    EXPECT_FALSE(Option("SingleShot")) << "nothing written by a load";

    // Only SingleShot stored: the other two keep their defaults.
    StoreOption("SingleShot", REG_DWORD, RegDwordBytes(1));
    EXPECT_FALSE(registry_.LoadAutoConnectOptions(options));
    EXPECT_EQ((ZMsgAutoConnectOptions{.autoConnect = 0, .singleShot = 1, .autoOffLine = 1}), options);

    // A missing AutoOffLine ends the load before AutoConnect, even when AutoConnect is stored.
    StoreOption("AutoConnect", REG_DWORD, RegDwordBytes(1));
    StoreOption("AutoOffLine", REG_BINARY, RegDwordBytes(0));
    options = {};
    EXPECT_FALSE(registry_.LoadAutoConnectOptions(options));
    EXPECT_EQ((ZMsgAutoConnectOptions{.autoConnect = 0, .singleShot = 1, .autoOffLine = 1}), options);

    StoreOption("AutoOffLine", REG_DWORD, RegDwordBytes(0));
    EXPECT_TRUE(registry_.LoadAutoConnectOptions(options));
    EXPECT_EQ((ZMsgAutoConnectOptions{.autoConnect = 1, .singleShot = 1, .autoOffLine = 0}), options);

    ASSERT_TRUE(registry_.SaveAutoConnectOptions({.autoConnect = 0, .singleShot = 0, .autoOffLine = 1}));
    EXPECT_EQ(RegDwordBytes(0), Option("AutoConnect")->data);
    EXPECT_EQ(RegDwordBytes(1), Option("AutoOffLine")->data);
    EXPECT_EQ(REG_DWORD, Option("SingleShot")->type);
}

TEST(ZMsgRegistryBackup, NumberPartOfAFileName) {
    EXPECT_EQ(12u, ZMsgRegistry::BackupNumber("ZelkMsg.12.reg"));
    EXPECT_EQ(0u, ZMsgRegistry::BackupNumber("ZelkMsg.old.reg"));
    EXPECT_EQ(7u, ZMsgRegistry::BackupNumber("ZelkMsg.copy.7.reg")) << "the part after the last dot";
    EXPECT_EQ(4294967295u, ZMsgRegistry::BackupNumber("ZelkMsg.4294967295.reg"));
    EXPECT_EQ(std::nullopt, ZMsgRegistry::BackupNumber("ZelkMsg.4294967296.reg"));
}

TEST_F(ZMsgRegistryTest, PruningDeletesOldBackupsWhoseNumbersStillCount) {
    const auto folder = ZMsgRegistry::BackupFolder();
    ASSERT_TRUE(folder);
    EXPECT_EQ(dir_.File("data/Zelkor/ZelkMsg/RegistryBackups/"), *folder);
    EXPECT_EQ(0u, ZMsgRegistry::PruneBackups(*folder, ZMsgRegistry::Clock::now())) << "first start";

    const auto now = ZMsgRegistry::Clock::now();
    const std::map<std::string, std::chrono::hours> ages = {
        {"ZelkMsg.3.reg", 24h * 8},   {"ZelkMsg.2.reg", 24h * 6},   {"ZelkMsg.junk.reg", 24h * 8},
        {"ZelkMsg.odd.reg", 24h * 1}, {"ZelkMsg.99.txt", 24h * 30}, {"Other.50.reg", 24h * 30},
        {"ZelkMsg.1.reg", -24h * 8},  // created "in the future": the difference counts either way
    };
    for (const auto& [name, age] : ages)
        zktest::WriteWholeFile(*folder + name, "x");
    const auto creation = [&](const std::string& path) -> std::optional<ZMsgRegistry::Clock::time_point> {
        return now - ages.at(fs::path(path).filename().string());
    };

    EXPECT_EQ(3u, ZMsgRegistry::PruneBackups(*folder, now, creation));
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(*folder))
        left.insert(entry.path().filename().string());
    EXPECT_EQ((std::set<std::string>{"ZelkMsg.2.reg", "ZelkMsg.odd.reg", "ZelkMsg.99.txt", "Other.50.reg"}),
              left);
}

TEST_F(ZMsgRegistryTest, PruningUsesTheFilesRealCreationTime) {
    const auto folder = ZMsgRegistry::BackupFolder();
    ASSERT_TRUE(folder);
    zktest::WriteWholeFile(*folder + "ZelkMsg.5.reg", "x");
    const auto created = ZMsgRegistry::FileCreationTime(*folder + "ZelkMsg.5.reg");
    ASSERT_TRUE(created);
    EXPECT_LT(std::chrono::abs(ZMsgRegistry::Clock::now() - *created), 1h);

    EXPECT_EQ(5u, ZMsgRegistry::PruneBackups(*folder, *created + 24h * 7 - 1min));
    EXPECT_TRUE(fs::exists(*folder + "ZelkMsg.5.reg"));
    EXPECT_EQ(5u, ZMsgRegistry::PruneBackups(*folder, *created + 24h * 7 + 1min));
    EXPECT_FALSE(fs::exists(*folder + "ZelkMsg.5.reg"));
}

TEST_F(ZMsgRegistryTest, StartupBackupExportsTheApplicationKeyUnderTheNextNumber) {
    ASSERT_TRUE(registry_.SaveAutoConnectOptions({.autoConnect = 1, .singleShot = 0, .autoOffLine = 1}));
    ASSERT_TRUE(registry_.SetCompanyDWord("NotInTheBackup", 1));

    const std::string folder = dir_.File("data/Zelkor/ZelkMsg/RegistryBackups/");
    const auto exported = [&](unsigned number) {
        const std::string file = folder + "ZelkMsg." + std::to_string(number) + ".reg";
        return zktest::WaitUntil([&] { return fs::exists(file); }, 10s) ? zktest::ReadWholeFile(file)
                                                                        : std::string();
    };
    ASSERT_EQ(1u, registry_.BackupAtStartup());
    const std::string first = exported(1);
    EXPECT_NE(std::string::npos, first.find("[HKEY_CURRENT_USER\\Software\\Zelkor\\ZelkMsg\\Options]\n"
                                            "\"AutoConnect\"=dword:00000001\n"));
    EXPECT_EQ(std::string::npos, first.find("NotInTheBackup"));
    ASSERT_EQ(2u, registry_.BackupAtStartup());
    EXPECT_EQ(first, exported(2));
}

TEST_F(ZMsgRegistryTest, BackupFailuresAreSilent) {
    zktest::WriteWholeFile(dir_.File("data"), "a file where the folder should be");
    EXPECT_FALSE(ZMsgRegistry::BackupFolder());
    EXPECT_EQ(std::nullopt, registry_.BackupAtStartup());
}

}  // namespace
