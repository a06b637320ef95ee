#include "Platform/RegFile.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace {

using namespace zk;
using Bytes = std::vector<std::uint8_t>;

std::vector<RegFileKey> Parse(std::string_view text) {
    std::string error;
    auto keys = ParseRegText(text, error);
    EXPECT_TRUE(keys) << error;
    return keys.value_or(std::vector<RegFileKey>{});
}

std::string ParseError(std::string_view text) {
    std::string error;
    EXPECT_FALSE(ParseRegText(text, error)) << text;
    return error;
}

TEST(RegFile, EveryKindOfValueReadsBackAsWritten) {
    Bytes longBinary(100);
    for (size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<RegFileKey> keys = {
        {RegHive::CurrentUser,
         "Software\\Zelkor\\ZelkMsg",
         false,
         {
             {"", false, REG_SZ, RegStringBytes("default")},
             {"Quote\"and\\slash", false, REG_SZ, RegStringBytes("C:\\Logs \"old\"")},
             {"ShowHelp", false, REG_DWORD, RegDwordBytes(0x2a)},
             {"WindowPlacement", false, REG_BINARY, longBinary},
             {"Empty", false, REG_BINARY, {}},
             {"Qword", false, REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
             {"NoTerminator", false, REG_SZ, {'a', 'b'}},
             {"Lines", false, REG_SZ, RegStringBytes("one\ntwo")},
             {"ShortDword", false, REG_DWORD, {1, 2, 3}},
             {"Huge", false, 0xfffffffe, {9}},
             {"Gone", true, REG_NONE, {}},
         }},
        {RegHive::LocalMachine, "Software\\Zelkor", false, {}},
        {RegHive::CurrentUser, "Software\\Old", true, {}},
        {RegHive::CurrentUser, "", false, {{"AtRoot", false, REG_DWORD, RegDwordBytes(0xffffffff)}}},
    };
    const std::string text = FormatRegText(keys);
    EXPECT_EQ(
        0u,
        text.find("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Zelkor\\ZelkMsg]\n"
                  "@=\"default\"\n\"Quote\\\"and\\\\slash\"=\"C:\\\\Logs \\\"old\\\"\"\n"
                  "\"ShowHelp\"=dword:0000002a\n\"WindowPlacement\"=hex:00,07,0e,"));
    EXPECT_NE(std::string::npos, text.find("\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"));
    EXPECT_NE(std::string::npos, text.find(",\\\n  ")) << "long hex lists continue on the next line";
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    EXPECT_EQ(keys, Parse(text));
}

TEST(RegFile, ReadsHandWrittenFiles) {
    const auto keys = Parse(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment \\\r\n"
        "[hkey_current_user\\Software\\\\Zelkor\\]\r\n"
        "  \"A\" = dword:2A\r\n"
        "\"B\"=hex(2):41, 42,\\\r\n"
        "     43,00\r\n"
        "\"C\"=hex:\r\n"
        "\"D\"=-\r\n"
        "[-HKEY_LOCAL_MACHINE\\Software\\Old]\r\n");
    const std::vector<RegFileKey> expected = {
        {RegHive::CurrentUser,
         "Software\\Zelkor",
         false,
         {{"A", false, REG_DWORD, RegDwordBytes(42)},
          {"B", false, REG_EXPAND_SZ, {'A', 'B', 'C', 0}},
          {"C", false, REG_BINARY, {}},
          {"D", true, REG_NONE, {}}}},
        {RegHive::LocalMachine, "Software\\Old", true, {}},
    };
    EXPECT_EQ(expected, keys);
    EXPECT_EQ(1u, Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE]\n").size());
}

TEST(RegFile, MalformedFilesAreRejectedWithTheirLine) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    EXPECT_EQ("not a registry file (empty)", ParseError(""));
    EXPECT_EQ("line 1: not a registry file (no header)", ParseError("[HKEY_CURRENT_USER\\X]\n"));
    EXPECT_EQ("line 2: a value outside of a key", ParseError(header + "\"A\"=dword:1\n"));
    EXPECT_EQ("line 3: a value outside of a key", ParseError(header + "[-HKCU\\X]\n\"A\"=dword:1\n"));
    EXPECT_EQ("line 2: unknown root key", ParseError(header + "[HKEY_USERS\\X]\n"));
    EXPECT_EQ("line 2: a root key cannot be deleted", ParseError(header + "[-HKEY_CURRENT_USER]\n"));
    EXPECT_EQ("line 2: expected ']' at the end of the key line", ParseError(header + "[HKCU\\X\n"));
    EXPECT_EQ("line 2: key name too long", ParseError(header + "[HKCU\\" + std::string(256, 'k') + "]\n"));
    const std::string key = header + "[HKCU\\X]\n";
    EXPECT_EQ("line 3: bad dword data", ParseError(key + "\"A\"=dword:123456789\n"));
    EXPECT_EQ("line 3: bad dword data", ParseError(key + "\"A\"=dword:\n"));
    EXPECT_EQ("line 3: bad hex list", ParseError(key + "\"A\"=hex:1,234\n"));
    EXPECT_EQ("line 3: bad hex list", ParseError(key + "\"A\"=hex:1,,2\n"));
    EXPECT_EQ("line 3: bad type in hex(...)", ParseError(key + "\"A\"=hex(x):00\n"));
    EXPECT_EQ("line 3: bad string data", ParseError(key + "\"A\"=\"a\\nb\"\n"));
    EXPECT_EQ("line 3: bad string data", ParseError(key + "\"A\"=\"open\n"));
    EXPECT_EQ("line 3: bad value name", ParseError(key + "\"A=1\n"));
    EXPECT_EQ("line 3: expected '=' after the value name", ParseError(key + "\"A\" dword:1\n"));
    EXPECT_EQ("line 5: unknown value data", ParseError(key + "\"A\"=hex:00,\\\n 01\n\"B\"=qword:1\n"));
}

class RegFileStore : public ::testing::Test {
protected:
    zktest::TempDir dir_;
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
};

TEST_F(RegFileStore, ExportThenImportIntoAnEmptyHiveGivesTheSameTree) {
    auto options = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg\\Options");
    auto app = RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg");
    ASSERT_TRUE(options && app);
    ASSERT_TRUE(options->SetDword("AutoConnect", 1));
    ASSERT_TRUE(app->SetValue("WindowPlacement", REG_BINARY, Bytes(44, 0xab)));
    ASSERT_TRUE(app->SetString("", "default"));
    ASSERT_TRUE(RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\Other")->SetDword("NotExported", 1));

    std::string error;
    const std::string file = dir_.File("ZelkMsg.1.reg");
    ASSERT_TRUE(ExportRegFile(RegHive::CurrentUser, "software\\zelkor\\zelkmsg", file, error)) << error;
    const auto before = ReadRegTree(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg");
    ASSERT_TRUE(before);
    EXPECT_EQ(2u, before->size());
    EXPECT_EQ("Software\\Zelkor\\ZelkMsg\\Options", before->back().path);

    zktest::ScopedEnv empty("ZK_HKCU_DB", dir_.File("empty.db"));
    ASSERT_TRUE(ImportRegFile(file, error)) << error;
    EXPECT_EQ(before, ReadRegTree(RegHive::CurrentUser, "Software\\Zelkor\\ZelkMsg"));
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\Other"));

    EXPECT_FALSE(ExportRegFile(RegHive::CurrentUser, "Software\\Missing", dir_.File("x.reg"), error));
    EXPECT_FALSE(ImportRegFile(dir_.File("none.reg"), error));
}

TEST_F(RegFileStore, ImportDeletesAsToldAndWritesNothingFromAFileThatDoesNotParse) {
    auto key = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor\\Old\\Deep");
    auto kept = RegKey::Create(RegHive::CurrentUser, "Software\\Zelkor");
    ASSERT_TRUE(key && kept && kept->SetDword("Drop", 1) && kept->SetDword("Keep", 2));

    const std::string file = dir_.File("change.reg");
    zktest::WriteWholeFile(
        file,
        "Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\Software\\Zelkor\\Old]\n"
        "[-HKEY_CURRENT_USER\\Software\\NeverThere]\n"
        "[HKEY_CURRENT_USER\\Software\\Zelkor]\n\"drop\"=-\n\"NeverThere\"=-\n\"New\"=\"x\"\n");
    std::string error;
    ASSERT_TRUE(ImportRegFile(file, error)) << error;
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, "Software\\Zelkor\\Old"));
    EXPECT_FALSE(kept->QueryValue("Drop"));
    EXPECT_TRUE(kept->QueryValue("Keep"));
    EXPECT_EQ(RegStringBytes("x"), kept->QueryValue("New").value_or(RegValue{}).data);

    zktest::WriteWholeFile(file,
                           "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Zelkor]\n"
                           "\"Keep\"=dword:00000009\n\"Broken\"=dword:zz\n");
    EXPECT_FALSE(ImportRegFile(file, error));
    EXPECT_EQ("line 4: bad dword data", error);
    EXPECT_EQ(RegDwordBytes(2), kept->QueryValue("Keep").value_or(RegValue{}).data);
}

}  // namespace
