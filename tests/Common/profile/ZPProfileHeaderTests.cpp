#include "Common/profile/ZPProfileHeader.h"

#include <gtest/gtest.h>

#include "Common/profile/ZPCalData.h"
#include "ProfileTestSupport.h"

namespace {

using zptest::ErrorOf;

std::string Header(const std::string& body) {
    return "PROFILE_HEADER() {\n" + body + "\n}\n";
}

const std::string kComplete =
    "DEV_TYPE(\"T\") BYTE_ORDER(BIG_ENDIAN) PROFILE_ADDRESS(0x1000) CODE_BRANCH(1) CODE_VERSION(2) "
    "CODE_REVISION(3) FROM_CODE_REVISION(1) PROFILE_REVISION(1)";

TEST(ZPProfileHeaderFields, ReadsEveryVersionField) {
    ZPProfile profile;
    profile.ParseText(Header(kComplete + " CALIBRATION_ADDRESS(0x2000)"));
    const ZPProfileHeader* header = profile.Header();
    ASSERT_NE(nullptr, header);
    EXPECT_EQ("T", header->DevType());
    EXPECT_EQ(1, header->ByteOrder());
    EXPECT_EQ(0x1000u, header->ProfileAddress());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 1}),
              (std::vector<int>{header->CodeBranch(), header->CodeVersion(), header->CodeRevision(),
                                header->FromCodeRevision(), header->ProfileRevision()}));
    EXPECT_EQ(0x2000u, header->CalibrationAddress());
}

TEST(ZPProfileHeaderFields, FromRevisionAboveRevisionFailsAtOnce) {
    ZPProfile profile;
    EXPECT_FALSE(
        profile.ParseText("PROFILE_HEADER() {\n CODE_REVISION(3)\n FROM_CODE_REVISION(4)\n}\n", "h.txt"));
    EXPECT_EQ("00003 \"h.txt\" - FROM_CODE_REVISION is > CODE_REVISION\n", profile.Errors().back());
    EXPECT_EQ("FROM_CODE_REVISION is > CODE_REVISION\n",
              ErrorOf(Header("FROM_CODE_REVISION(4) CODE_REVISION(3)")));
}

TEST(ZPProfileHeaderValidity, FirstMissingFieldIsReported) {
    ZPProfile profile;
    EXPECT_FALSE(profile.ParseText(Header("DEV_TYPE(\"T\") CODE_BRANCH(1)")));
    ASSERT_GE(profile.Errors().size(), 2u);
    const auto& errors = profile.Errors();
    EXPECT_NE(std::string::npos, errors[errors.size() - 2].find("BYTE_ORDER not defined\n"));
    EXPECT_NE(std::string::npos,
              errors.back().find("PROFILE_HEADER(PROFILE_HEADER) parsed OK but is not valid\n"));

    std::string noAddress = kComplete;
    noAddress.replace(noAddress.find("PROFILE_ADDRESS(0x1000) "), 24, "");
    ZPProfile other;
    EXPECT_FALSE(other.ParseText(Header(noAddress)));
    EXPECT_NE(std::string::npos,
              other.Errors()[other.Errors().size() - 2].find("PROFILE_ADDRESS not defined\n"));
    EXPECT_EQ("Unexpected token \"BOGUS\"\n", ErrorOf(Header("BOGUS")));
    EXPECT_EQ("PROFILE_HEADER already exists\n", ErrorOf(Header(kComplete) + Header(kComplete)));
}

TEST(ZPProfileHeaderRegions, CalibrationRegionsNeedTheirDefinitions) {
    const std::string mapDB = "GLOBAL_MAP_DATABASE() { MAP(C, 1, 16) MAP(R, 2, 0) }\n";
    const std::string cell = "MAP_CELL(OpaqueCalDataMC) { BITS(8) }\n";
    EXPECT_EQ("The GLOBAL_MAP_DATABASE must be defined\n", ErrorOf(Header("CALIBRATION_COMMENT(C, 16)")));
    EXPECT_EQ("MAPCELL(OpaqueCalDataMC) is undefined\n",
              ErrorOf(mapDB + Header("CALIBRATION_COMMENT(C, 16)")));
    EXPECT_EQ("Cant find \"X\" in GLOBAL_MAP_DATABASE\n", ErrorOf(mapDB + cell + Header("MISC_MAPS(X)")));
    EXPECT_EQ("DATA_LOGGING must be defined before PROFILE_HEADER\n",
              ErrorOf(mapDB + cell + Header("LOGGING_TICK_TABLE(C)")));
    EXPECT_EQ("OpaqueCalData(UserSensorDefinitions) may not be zero size or less\n",
              ErrorOf(mapDB + cell + Header("RENAMING_DEFINITIONS(R, 0)")));
    EXPECT_EQ("Could not create \"internal\" OpaqueCalData(Comment)\n",
              ErrorOf(mapDB + cell + Header("CALIBRATION_COMMENT(C, 16) CALIBRATION_COMMENT(R, 4)")));

    ZPProfile profile;
    profile.ParseText(mapDB + cell + "DATA_LOGGING() { }\n" + Header(kComplete + " LOGGING_TICK_TABLE(C)"));
    const auto* region = dynamic_cast<const ZPCalData*>(profile.Find(ZP_OPAQUE_CAL_DATA, "LoggingTickTable"));
    ASSERT_NE(nullptr, region);
    EXPECT_TRUE(region->IsInternal());
    EXPECT_EQ(16u, region->Size());  // the size of the map database entry
}

TEST(ZPProfileHeaderEnums, IoFunctionsMustBeSimple) {
    EXPECT_EQ("ENUM(e) is not simple\n",
              ErrorOf("ENUM(e) { ELEMENT(A, \"a\", 1) }\n" + Header("IO_FUNCTIONS_ENUM(e)")));
    EXPECT_EQ("Could not find reference to \"e\"\n", ErrorOf(Header("DEVICE_FLAGS_ENUM(e)")));

    ZPProfile profile;
    profile.ParseText(
        "ENUM(k) { ELEMENT(K, \"k\", 50001) }\nTAGGED_ENUM(io) { TAG_ENUM(k) ELEMENT(A, \"a\", K) }\n" +
        Header("IO_FUNCTIONS_ENUM(io)"));
    ASSERT_EQ(1u, profile.Warnings().size());
    EXPECT_NE(std::string::npos,
              profile.Warnings()[0].find(
                  "IO_FUNCTION_ENUM(io) - ELEMENT(A) TAG(50001) in MIRDEN 50000..54999 range\n"));
}

}  // namespace
