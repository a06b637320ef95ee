#include "Common/device/ZKDeviceRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

ZKDeviceIdentity SampleIdentity() {
    ZKDeviceIdentity id;
    id.lastProgramTime = 0x11223344;
    id.typeName = "ECU-M4";
    id.bootMajor = 1;
    id.bootMinor = 4;
    id.boxState = 10000;
    id.serialNumber = 1201;
    id.rootId = 0x1234;
    id.extraRootIds[0] = 7;
    id.extraUserIds[0] = 9;
    id.mainMajor = 3;
    id.mainMinor = 1;
    id.mainBuild = 7;
    id.bootProgramTime = 0xA0B0C0D0;
    id.preBootProgramTime = 5;
    return id;
}

}  // namespace

TEST(ZKDeviceRecords, IdentityFieldsSitAtTheirOffsetsLittleEndian) {
    const ZKBytes bytes = SampleIdentity().Encode(true);
    ASSERT_EQ(168u, bytes.size());
    EXPECT_EQ((ZKBytes{0x44, 0x33, 0x22, 0x11}), ZKBytes(bytes.begin(), bytes.begin() + 4));
    EXPECT_EQ('E', bytes[4]);
    EXPECT_EQ(0, bytes[10]);  // type name terminated
    EXPECT_EQ(0x10, bytes[72]);
    EXPECT_EQ(0x27, bytes[73]);  // box state 10000
    EXPECT_EQ(0x34, bytes[80]);
    EXPECT_EQ(0x12, bytes[81]);
    EXPECT_EQ(7, bytes[84]);
    EXPECT_EQ(9, bytes[116]);
    EXPECT_EQ(3, bytes[148]);
    EXPECT_EQ(7, bytes[152]);
    EXPECT_EQ(0xD0, bytes[156]);
    EXPECT_EQ(5, bytes[164]);
}

TEST(ZKDeviceRecords, BasicFormDropsTheExtendedTimes) {
    const ZKDeviceIdentity id = SampleIdentity();
    const ZKBytes basic = id.Encode(false);
    ASSERT_EQ(156u, basic.size());
    const auto decoded = ZKDeviceIdentity::Decode(basic);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(0u, decoded->bootProgramTime);
    EXPECT_EQ(id.typeName, decoded->typeName);
    EXPECT_EQ(id, *ZKDeviceIdentity::Decode(id.Encode(true)));
    EXPECT_FALSE(ZKDeviceIdentity::Decode(ZKBytes(157)));
}

TEST(ZKDeviceRecords, OverlongTextsAreCutAndStayTerminated) {
    ZKDeviceIdentity id;
    id.typeName = std::string(40, 'T');
    EXPECT_EQ(std::string(31, 'T'), ZKDeviceIdentity::Decode(id.Encode(false))->typeName);
    ZKDeviceListEntry entry;
    entry.description = std::string(2000, 'd');
    const ZKBytes bytes = entry.Encode();
    ASSERT_EQ(1256u, bytes.size());
    EXPECT_EQ(0, bytes.back());
    EXPECT_EQ(1087u, ZKDeviceListEntry::Decode(bytes)->description.size());

    // A sender that fills a text field without its NUL: the last byte counts as the terminator, so the
    // record reads the same after it is written back.
    ZKBytes unterminated = id.Encode(false);
    std::fill(unterminated.begin() + 4, unterminated.begin() + 36, 'U');
    const auto decoded = ZKDeviceIdentity::Decode(unterminated);
    EXPECT_EQ(std::string(31, 'U'), decoded->typeName);
    EXPECT_EQ(decoded, ZKDeviceIdentity::Decode(decoded->Encode(false)));
}

TEST(ZKDeviceRecords, DeviceListSplitsIntoEntriesOrRefusesOddSizes) {
    ZKDeviceListEntry a;
    a.address1 = 0x01020304;
    a.address3 = 0xBEEF;
    a.identity = SampleIdentity();
    a.identity.bootProgramTime = a.identity.preBootProgramTime = 0;  // not part of the basic form
    a.description = "bench";
    ZKDeviceListEntry b = a;
    b.address2 = 9;
    ZKBytes list;
    a.AppendTo(list);
    b.AppendTo(list);
    EXPECT_EQ(0x04, list[0]);
    EXPECT_EQ(0xEF, list[8]);
    EXPECT_EQ('E', list[12 + 4]);
    EXPECT_EQ('b', list[168]);
    const auto decoded = ZKDeviceListEntry::DecodeList(list);
    ASSERT_TRUE(decoded);
    EXPECT_EQ((std::vector<ZKDeviceListEntry>{a, b}), *decoded);
    EXPECT_TRUE(ZKDeviceListEntry::DecodeList({})->empty());
    EXPECT_FALSE(ZKDeviceListEntry::DecodeList(ZKBytes(1255)));
}

TEST(ZKDeviceRecords, ProfileLocationLayout) {
    ZKProfileLocation loc{1, 2, 0x00010000, 0x2000, 0x0102, 3, 4};
    const ZKBytes bytes = loc.Encode();
    EXPECT_EQ((ZKBytes{1, 2, 0, 0, 0, 0, 1, 0, 0, 0x20, 0, 0, 2, 1, 3, 4, 0, 0, 0, 0}), bytes);
    EXPECT_EQ(loc, *ZKProfileLocation::Decode(bytes));
}

TEST(ZKDeviceRecords, BoxStateNames) {
    // The ends of the boot stages and the running states; anything else is named by its number.
    const std::vector<std::pair<std::uint16_t, std::string>> named{
        {0, "Initial"},      {900, "NoUserId"},           {1500, "LoopbackDetected"},
        {10000, "MainCode"}, {10200, "MainCodeReturned"},
    };
    std::string name;
    for (const auto& [value, expected] : named) {
        EXPECT_TRUE(ZKBoxStateName(value, name)) << value;
        EXPECT_EQ(expected, name);
    }
    // Between two named states, and the largest value.
    EXPECT_FALSE(ZKBoxStateName(150, name));
    EXPECT_EQ("Unknown(150)", name);
    EXPECT_FALSE(ZKBoxStateName(65535, name));
    EXPECT_EQ("Unknown(65535)", name);
}
