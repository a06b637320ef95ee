#include "Platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

using namespace zk;
using Bytes = std::vector<std::uint8_t>;

class Registry : public ::testing::Test {
protected:
    zktest::TempDir dir_;
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hives/hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hives/hklm.db")};
};

TEST_F(Registry, HivePathsFollowTheEnvironmentAndDefaultToTheConfigFolder) {
    EXPECT_EQ(dir_.File("hives/hkcu.db"), RegHivePath(RegHive::CurrentUser));
    zktest::ScopedEnv unset("ZK_HKLM_DB", "");
    zktest::ScopedEnv config("XDG_CONFIG_HOME", dir_.Path());
    EXPECT_EQ(dir_.File("zelkor/hklm.db"), RegHivePath(RegHive::LocalMachine));
    EXPECT_EQ(RegHive::CurrentUser, ParseRegHiveName("hkcu"));
    EXPECT_EQ(RegHive::LocalMachine, ParseRegHiveName("HKEY_local_MACHINE"));
    EXPECT_FALSE(ParseRegHiveName("HKEY_USERS"));
}

TEST_F(Registry, KeysAreCreatedLevelByLevelAndFoundWithoutRegardToCase) {
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, "Software"));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("hives/hkcu.db"))) << "an open must not create the hive";

    auto created = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg");
    ASSERT_TRUE(created);
    EXPECT_EQ("Software\\Zelkor\\ZelkMsg", created->Path());

    auto opened = RegKey::Open(RegHive::CurrentUser, "\\SOFTWARE\\\\zelkor\\zelkMSG\\");
    ASSERT_TRUE(opened);
    EXPECT_EQ("Software\\Zelkor\\ZelkMsg", opened->Path()) << "levels keep the case they were created with";
    EXPECT_EQ(std::vector<std::string>{"Zelkor"},
              RegKey::Open(RegHive::CurrentUser, "software")->SubKeyNames());
    EXPECT_FALSE(RegKey::Open(RegHive::LocalMachine, "Software")) << "the hives are separate";

    EXPECT_FALSE(RegKey::Create(RegHive::CurrentUser, "Software\\" + std::string(256, 'k')));
    EXPECT_TRUE(RegKey::Create(RegHive::CurrentUser, "Software\\" + std::string(255, 'k')));
}

TEST_F(Registry, ValuesKeepTheirTypeBytesAndNameCase) {
    auto key = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetDword("MaxRtcDisparityInMinutes", 719));
    ASSERT_TRUE(key->SetString("WorkingDirectory", "/home/bench/logs"));
    ASSERT_TRUE(key->SetValue("Odd", 11, Bytes{1, 2, 3}));
    ASSERT_TRUE(key->SetValue("Empty", REG_BINARY, Bytes{}));

    EXPECT_EQ((RegValue{"MaxRtcDisparityInMinutes", REG_DWORD, {0xcf, 0x02, 0, 0}}),
              key->QueryValue("maxrtcdisparityinminutes"));
    EXPECT_EQ((RegValue{"WorkingDirectory", REG_SZ, RegStringBytes("/home/bench/logs")}),
              key->QueryValue("WorkingDirectory"));
    EXPECT_EQ((RegValue{"Odd", 11, {1, 2, 3}}), key->QueryValue("ODD"));
    EXPECT_EQ((RegValue{"Empty", REG_BINARY, {}}), key->QueryValue("Empty"));
    EXPECT_FALSE(key->QueryValue("Missing"));

    // Writing under another case replaces the value in place: one value, first name kept, new type.
    ASSERT_TRUE(key->SetString("ODD", "text"));
    EXPECT_EQ((RegValue{"Odd", REG_SZ, RegStringBytes("text")}), key->QueryValue("odd"));

    const auto values = RegKey::Open(RegHive::CurrentUser, "software\\zelkor")->Values();
    ASSERT_TRUE(values);
    std::vector<std::string> names;
    for (const auto& value : *values)
        names.push_back(value.name);
    EXPECT_EQ((std::vector<std::string>{"Empty", "MaxRtcDisparityInMinutes", "Odd", "WorkingDirectory"}),
              names);
}

TEST_F(Registry, DeletingValuesAndKeyTrees) {
    auto app = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options");
    auto sibling = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg2");
    ASSERT_TRUE(app && sibling);
    ASSERT_TRUE(app->SetDword("AutoConnect", 1));
    ASSERT_TRUE(sibling->SetDword("Kept", 1));

    EXPECT_TRUE(app->DeleteValue("autoconnect"));
    EXPECT_FALSE(app->DeleteValue("AutoConnect")) << "deleting a missing value fails";
    ASSERT_TRUE(app->SetDword("AutoConnect", 1));

    EXPECT_FALSE(RegDeleteKeyTree(RegHive::CurrentUser, "Software\\Zelkor\\Nothing"));
    ASSERT_TRUE(RegDeleteKeyTree(RegHive::CurrentUser, "software\\zelkor\\zelkmsg"));
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg"));
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options"));
    EXPECT_FALSE(app->QueryValue("AutoConnect"));
    EXPECT_FALSE(app->SetDword("AutoConnect", 2)) << "a handle of a deleted key cannot write";
    EXPECT_EQ((RegValue{"Kept", REG_DWORD, RegDwordBytes(1)}), sibling->QueryValue("Kept"));

    // A key created again under the old name starts empty.
    auto again = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options");
    ASSERT_TRUE(again);
    EXPECT_EQ(std::vector<RegValue>{}, again->Values());

    // Emptying a key keeps the key itself.
    auto company = RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor");
    ASSERT_TRUE(company && company->SetDword("Shared", 1));
    ASSERT_TRUE(company->DeleteTree(""));
    EXPECT_EQ(std::vector<std::string>{}, company->SubKeyNames());
    EXPECT_EQ(std::vector<RegValue>{}, company->Values());
    EXPECT_TRUE(RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor"));
}

TEST_F(Registry, ACorruptDatabaseMakesReadsAndWritesFailWithoutCrashing) {
    std::filesystem::create_directories(dir_.File("hives"));
    zktest::WriteWholeFile(dir_.File("hives/hkcu.db"), std::string(8192, '\x5a'));
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, ""));
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, "Software"));
    EXPECT_FALSE(RegKey::Create(RegHive::CurrentUser, "Software"));

    // An empty file is an empty database without our tables: as good as missing for readers.
    zktest::WriteWholeFile(dir_.File("hives/hklm.db"), "");
    EXPECT_FALSE(RegKey::Open(RegHive::LocalMachine, ""));
}

// Two processes write different values of one key at the same time, each write a separate open, write and
// close as the programs do it. Every write must be there afterwards.
TEST_F(Registry, TwoProcessesWritingOneKeyLoseNoWrite) {
    constexpr int kWrites = 150;
    ASSERT_TRUE(RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\Shared"));

    auto writer = [](const char* prefix) {
        int failures = 0;
        for (int i = 0; i < kWrites; ++i) {
            auto key = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\Shared");
            if (!key || !key->SetDword(prefix + std::to_string(i), static_cast<std::uint32_t>(i))) ++failures;
        }
        ::_exit(failures == 0 ? 0 : 1);
    };
    pid_t children[2];
    const char* prefixes[2] = {"First", "Second"};
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) writer(prefixes[i]);
    }

    for (pid_t child : children) {
        int status = 0;
        if (!zktest::WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) != 0; },
                               std::chrono::seconds(60))) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            FAIL() << "a writer did not finish in time";
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write reported failure";
    }

    const auto key = RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\Shared");
    ASSERT_TRUE(key);
    EXPECT_EQ(2u * kWrites, key->Values().value_or(std::vector<RegValue>{}).size());
    std::vector<std::string> lost;
    for (int i = 0; i < kWrites; ++i)
        for (const char* prefix : prefixes)
            if (key->QueryValue(prefix + std::to_string(i)).value_or(RegValue{}).data !=
                RegDwordBytes(static_cast<std::uint32_t>(i)))
                lost.push_back(prefix + std::to_string(i));
    EXPECT_EQ(std::vector<std::string>{}, lost);
}

}  // namespace
