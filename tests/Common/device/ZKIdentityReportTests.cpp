#include "Common/device/ZKIdentityReport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

ZKDeviceIdentity Basic() {
    ZKDeviceIdentity id;
    id.typeName = "ECU-M4";
    id.serialNumber = 1201;
    id.rootId = 4660;
    id.bootMajor = 1;
    id.bootMinor = 4;
    id.mainMajor = 3;
    id.mainMinor = 1;
    id.mainBuild = 7;
    id.boxState = 10000;
    id.resetCause = 2;
    id.returnCause = 5;
    id.lastProgramTime = 1710149400;   // 2024-03-11 09:30:00 UTC
    id.mainCreationTime = 1706788800;  // 2024-02-01 12:00:00 UTC
    return id;
}

const std::vector<std::string> kBasicRows = {
    "",
    "$cgDEVICE :$tECU-M4 #1201",
    "$cgIDENTITY :$tBench Team",
    "$cgBOOT CODE :$t1.4",
    "$cgMAIN CODE :$t3.1.7",
    "$cgBOXSTATE :$tMainCode",
    "$cgLAST RESET CAUSE :$t2",
    "$cgCODE RETURN CAUSE :$t5",
    "$cgLAST PROGRAM TIME :$tMon Mar 11 09:30:00 2024",
    "$cgBOOT CODE CREATION TIME :$tThu Jan  1 00:00:00 1970",
    "$cgMAIN CODE CREATION TIME :$tThu Feb  1 12:00:00 2024",
    "$cgSN PROGRAM TIME :$tThu Jan  1 00:00:00 1970",
    "$cgROOT ID PROGRAM TIME :$tThu Jan  1 00:00:00 1970",
    "$cgUSER ID PROGRAM TIME :$tThu Jan  1 00:00:00 1970",
    "$cgCODE PROGRAM TIME :$tThu Jan  1 00:00:00 1970",
    "$cgCALIBRATION PROGRAM TIME :$tThu Jan  1 00:00:00 1970",
};

TEST(ZKIdentityReport, BasicIdentityHasSixteenRowsInLocalTime) {
    zktest::ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(kBasicRows, ZKIdentityReportRows(Basic(), std::string("Bench Team")));
}

TEST(ZKIdentityReport, ExtendedTimesAddARowEachAndAMissingNameShowsTheNumber) {
    zktest::ScopedEnv tz("TZ", "UTC");
    ZKDeviceIdentity id = Basic();
    id.bootProgramTime = 86400;
    id.preBootCreationTime = 0;  // absent: no row
    id.preBootProgramTime = 4102444800;
    std::vector<std::string> expected = kBasicRows;
    expected[2] = "$cgIDENTITY :$t4660";
    expected.push_back("$cgBOOT CODE PROGRAM TIME :$tFri Jan  2 00:00:00 1970");
    expected.push_back("$cgPRE BOOT CODE PROGRAM TIME :$tFri Jan  1 00:00:00 2100");
    EXPECT_EQ(expected, ZKIdentityReportRows(id, std::nullopt));

    id.bootProgramTime = id.preBootCreationTime = 1;
    EXPECT_EQ(19u, ZKIdentityReportRows(id, std::nullopt).size());
}

TEST(ZKIdentityReport, UnnamedBoxStatesAndLocalZones) {
    zktest::ScopedEnv tz("TZ", "CET-1");
    ZKDeviceIdentity id = Basic();
    id.boxState = 5;
    const auto rows = ZKIdentityReportRows(id, std::nullopt);
    EXPECT_EQ("$cgBOXSTATE :$tUnknown(5)", rows[5]);
    EXPECT_EQ("$cgLAST PROGRAM TIME :$tMon Mar 11 10:30:00 2024", rows[8]);
    EXPECT_EQ("Thu Jan  1 01:00:00 1970\n", ZKIdentityTimeText(0));
}

}  // namespace
