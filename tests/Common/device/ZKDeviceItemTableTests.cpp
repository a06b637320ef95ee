#include "Common/device/ZKDeviceItemTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <stdexcept>

#include "Platform/ZKAssert.h"

namespace {

using Table = ZKDeviceItemTable;

bool Identity(double raw, double& scaled) {
    scaled = raw;
    return true;
}

}  // namespace

TEST(ZKDeviceItemTableTest, RawWordsAreReadByTheirType) {
    const auto read = [](std::uint32_t type, std::uint32_t raw) {
        double value = std::numeric_limits<double>::quiet_NaN();
        EXPECT_TRUE(Table::RawToDouble(type, raw, value)) << type;
        return value;
    };
    EXPECT_EQ(0xFF, read(Table::kRawU8, 0x12345FF));
    EXPECT_EQ(-1, read(Table::kRawI8, 0x12345FF));
    EXPECT_EQ(0x8001, read(Table::kRawU16, 0x12348001));
    EXPECT_EQ(-32767, read(Table::kRawI16, 0x12348001));
    EXPECT_EQ(4294967295.0, read(Table::kRawU32, 0xFFFFFFFF));
    EXPECT_EQ(-1, read(Table::kRawI32, 0xFFFFFFFF));
    EXPECT_EQ(1.5, read(Table::kRawFloat, std::bit_cast<std::uint32_t>(1.5f)));
    double value = 0;
    EXPECT_FALSE(Table::RawToDouble(Table::kRawDouble, 1, value));
    EXPECT_FALSE(Table::RawToDouble(Table::kRawNone, 1, value));
}

TEST(ZKDeviceItemTableTest, LookupsFindItemsByIdWhateverTheirListOrder) {
    Table table;
    EXPECT_THROW(table.Rebuild({}), std::runtime_error);
    EXPECT_EQ(0u, table.Count());

    table.Rebuild(
        {{40, Table::kRawU8, Identity}, {7, Table::kRawU8, Identity}, {19, Table::kRawU8, Identity}});
    EXPECT_EQ(3u, table.Count());
    std::uint16_t position = 99;
    for (auto [id, expected] : {std::pair{40, 0}, std::pair{7, 1}, std::pair{19, 2}}) {
        ASSERT_TRUE(table.PositionOf(static_cast<std::uint16_t>(id), position)) << id;
        EXPECT_EQ(expected, position);
    }
    EXPECT_FALSE(table.PositionOf(8, position));
    EXPECT_FALSE(table.PositionOf(41, position));
    table.Clear();
    EXPECT_FALSE(table.PositionOf(7, position));
}

TEST(ZKDeviceItemTableTest, ConversionFailsWithoutTypeOrScale) {
    Table table;
    const auto refuse = [](double, double&) { return false; };
    const auto offset = [](double raw, double& scaled) {
        scaled = raw / 10 + 1;
        return true;
    };
    table.Rebuild({{1, Table::kRawI16, offset},
                   {2, Table::kRawNone, offset},
                   {3, Table::kRawU8, {}},
                   {4, Table::kRawU8, refuse},
                   {5, Table::kRawNone + 1, offset}});
    double value = 0;
    ASSERT_TRUE(table.Convert(1, 0xFFF6, value));
    EXPECT_EQ(0.0, value);
    EXPECT_FALSE(table.Convert(2, 1, value));
    EXPECT_FALSE(table.Convert(3, 1, value));
    EXPECT_FALSE(table.Convert(4, 1, value));
    EXPECT_FALSE(table.Convert(6, 1, value));
    const unsigned long reports = zk::AssertReportCount();
    EXPECT_FALSE(table.Convert(5, 1, value));
    EXPECT_EQ(reports + 1, zk::AssertReportCount());
}
