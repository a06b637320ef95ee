#include "Common/profile/ZPNameTranslations.h"

#include <gtest/gtest.h>

#include "Common/profile/ZPImageIdentity.h"
#include "ProfileTestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A profile with a 200-byte renaming region and one of each object a translation can name.
const ZPProfile& RenamingProfile() {
    static ZPProfile profile;
    static const bool parsed = zptest::Parse(
        profile,
        "GLOBAL_ID_DATABASE() { ID(ID_A, 1) }\n"
        "GLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") }\n"
        "GLOBAL_QTY_DATABASE() { QTY(Q_V, \"Voltage\", U_V) }\n"
        "GLOBAL_MAP_DATABASE() { MAP(Names, 1, 200) MAP(Trim, 2, 2) }\n"
        "MAP_CELL(OpaqueCalDataMC) { TYPE(UNSIGNED) BITS(8) }\n"
        "MAP_CELL(Word16) { TYPE(UNSIGNED) BITS(16) }\n"
        "PROFILE_HEADER() { DEV_TYPE(\"T\") BYTE_ORDER(BIG_ENDIAN) PROFILE_ADDRESS(0)\n"
        " CODE_BRANCH(1) CODE_VERSION(1) CODE_REVISION(1) FROM_CODE_REVISION(1) PROFILE_REVISION(1)\n"
        " RENAMING_DEFINITIONS(Names, 200) }\n"
        "GLOBAL_ERROR_DATABASE() { SOURCE(1, SRC_OIL, \"Oil\") CAUSE(1, CAUSE_SHORT, \"Short\") }\n"
        "ENUM(eMode) { ELEMENT(MODE_OFF, \"Off\") ELEMENT(MODE_ON, \"On\") }\n"
        "ITEM(Speed) { ID(1) TYPE(UNSIGNED) BITS(16) }\n"
        "DIMENSION(Trim) { MAP_CELL(Word16) SIZE(1) }\n"
        "MENU(Root) { TITLE(\"Root\") SUB_MENU(\"Engine\") { ITEM(Speed) MAP(Trim) } }\n");
    if (!parsed) ADD_FAILURE() << ZPProfile::FormatList(profile.Errors());
    return profile;
}

Bytes Region(const std::string& text, std::size_t size = 200) {
    Bytes region;
    std::string error;
    EXPECT_TRUE(ZPNameTranslations::Pack(text, size, region, error)) << error;
    return region;
}

// Reads a region holding `body` inside USER_DEFINE; the error and the section's message.
std::string ReadError(const std::string& body, std::string* detail = nullptr) {
    ZPNameTranslations translations;
    std::string error;
    std::string message;
    const bool ok =
        translations.Read(RenamingProfile(), Region("USER_DEFINE {\n" + body + "}\n"), error, &message);
    if (detail)
        *detail = message.substr(message.find("- ") == std::string::npos ? 0 : message.find("- ") + 2);
    return ok ? std::string() : error;
}

}  // namespace

TEST(ZPNameTranslations, WrittenTranslationsReadBack) {
    ZPNameTranslations written;
    written.SetFlags(ZPNameTranslations::USER_ITEM_NAMES | ZPNameTranslations::USER_ERROR_NAMES);
    written.SetItemName("Speed", "Crank \"speed\"");
    written.SetErrorSourceName("SRC_OIL", "Oil sender");
    written.SetEnumString("eMode", "MODE_ON", "Running");
    Bytes region;
    std::string error;
    ASSERT_TRUE(written.Write(RenamingProfile(), region, error)) << error;
    ASSERT_EQ(200u, region.size());
    EXPECT_TRUE(ZPImageIdentity::CheckWordGood(region));

    ZPNameTranslations read;
    ASSERT_TRUE(read.Read(RenamingProfile(), region, error)) << error;
    EXPECT_EQ(written.Text(), read.Text());
    EXPECT_EQ("Crank \"speed\"", *read.ItemName("Speed"));
    EXPECT_EQ("Running", *read.EnumString("eMode", "MODE_ON"));
    EXPECT_EQ(nullptr, read.EnumString("eMode", "MODE_OFF"));
}

TEST(ZPNameTranslations, EveryKeywordNamesItsObject) {
    ZPNameTranslations translations;
    std::string error;
    ASSERT_TRUE(
        translations.Read(RenamingProfile(),
                          Region("USER_DEFINE {\n FLAGS(USER_MAP_NAMES, USER_MENU_NAMES)\n"
                                 " ITEM_REDEFINE_DELTA(Speed, 1.5, -2)\n MAP_CELL(Trim, OpaqueCalDataMC)\n"
                                 " MAP_CELL_DELTA(Trim, 2, 1)\n MAP_NAME(Trim, \"Fuel trim\")\n"
                                 " MENU_NAME(\"Engine\", \"Motor\")\n}\n"),
                          error))
        << error;
    EXPECT_EQ(ZPNameTranslations::USER_MAP_NAMES | ZPNameTranslations::USER_MENU_NAMES, translations.Flags());
    ASSERT_NE(nullptr, translations.ItemScaling("Speed"));
    EXPECT_TRUE(translations.ItemScaling("Speed")->delta);
    EXPECT_EQ(-2, translations.ItemScaling("Speed")->offset);
    EXPECT_EQ("OpaqueCalDataMC", *translations.MapCell("Trim"));
    EXPECT_EQ("Fuel trim", *translations.MapName("Trim"));
    EXPECT_EQ("Motor", *translations.MenuName("Engine"));
}

TEST(ZPNameTranslations, RegionChecks) {
    ZPNameTranslations translations;
    std::string error;
    EXPECT_TRUE(translations.Read(RenamingProfile(), Bytes(200, 0), error)) << "all zero holds none";
    EXPECT_TRUE(translations.Empty());

    Bytes region = Region("USER_DEFINE {\n}\n");
    Bytes damaged = region;
    damaged[20] ^= 1;
    EXPECT_FALSE(translations.Read(RenamingProfile(), damaged, error));
    EXPECT_EQ("bad crc", error);
    EXPECT_FALSE(translations.Read(RenamingProfile(), Bytes(region.begin(), region.end() - 1), error));
    EXPECT_EQ("bad crc", error);

    Bytes wrongSize = region;
    wrongSize[11] += 1;  // the text size
    ZPImageIdentity::Seal(wrongSize);
    EXPECT_FALSE(translations.Read(RenamingProfile(), wrongSize, error));
    EXPECT_EQ("Renaming cal : size mismatch", error);
}

TEST(ZPNameTranslations, SectionMessages) {
    std::string detail;
    EXPECT_EQ("Renaming cal : could not read", ReadError(" ERROR_SOURCE(SRC_NONE, \"x\")\n", &detail));
    EXPECT_EQ("Cant find SRC_NONE in GLOBAL_ERROR_DB\n", detail);
    ReadError(" ENUM_STRING(eMode, MODE_LIMP, \"x\")\n", &detail);
    EXPECT_EQ("Cant find \"MODE_LIMP\" in ENUM(eMode)\n", detail);
    ReadError(" FLAGS(USER_ITEM_NAMES, SHOUT)\n", &detail);
    EXPECT_EQ("Unexpected FLAG name \"SHOUT\"\n", detail);
    ReadError(" ITEM_RENAME Speed, \"x\")\n", &detail);
    EXPECT_EQ("'(' expected\n", detail);
    ReadError(" ITEM_RENAME(Nothing, \"x\")\n", &detail);
    EXPECT_EQ("Could not find reference to \"Nothing\"\n", detail);

    ZPProfile noErrors;
    ASSERT_TRUE(zptest::Parse(noErrors, zptest::Basics() + "MENU(Root) { TITLE(\"R\") }\n"));
    ZPNameTranslations translations;
    std::string error;
    EXPECT_FALSE(translations.Read(noErrors, Region("USER_DEFINE {\n}\n"), error, &detail));
    EXPECT_NE(std::string::npos, detail.find("GLOBAL_ERROR_DB must be defined before USER_DEFINE section\n"));
}

TEST(ZPNameTranslations, WriteFailures) {
    ZPNameTranslations translations;
    translations.SetItemName("Speed", std::string(300, 'x'));
    Bytes region;
    std::string error;
    ZPProfile noRegion;
    ASSERT_TRUE(zptest::Parse(noRegion, zptest::Basics() + "MENU(Root) { TITLE(\"R\") }\n"));
    EXPECT_FALSE(translations.Write(noRegion, region, error));
    EXPECT_EQ("Renaming cal does not exist", error);
    for (int i = 0; i < 40; ++i)  // names that do not compress
        translations.SetErrorSourceName("S" + std::to_string(i), std::to_string(i * 7919u * 104729u));
    EXPECT_FALSE(translations.Write(RenamingProfile(), region, error));
    EXPECT_EQ("Renaming cal : too big", error);
}
