#include "Common/ZKFormat.h"

#include <gtest/gtest.h>

#include <cfloat>

#include "Common/MemFile.h"
#include "Platform/ZKAssert.h"

namespace {

TEST(ZKLimitsRange, DefaultAdmitsNothingAndBinaryRoundTrip) {
    ZKLimits none;
    EXPECT_FALSE(none.Contains(0.5));
    EXPECT_FALSE(none.Contains(1.0));
    ZKLimits limits(-1.0, 2.0);
    EXPECT_TRUE(limits.Contains(-1.0));
    EXPECT_TRUE(limits.Contains(2.0));
    EXPECT_FALSE(limits.Contains(2.5));

    MemFile file;
    ASSERT_TRUE(limits.Write(file));
    EXPECT_EQ(17u, file.Size());
    EXPECT_EQ(1, file.Bytes()[0]);
    ASSERT_TRUE(file.Seek(0, SeekOrigin::Begin));
    ZKLimits read;
    ASSERT_TRUE(read.Read(file));
    EXPECT_EQ(limits, read);
    std::vector<unsigned char> badFlag = file.Bytes();
    badFlag[0] = 2;
    MemFile bad(badFlag);
    EXPECT_FALSE(read.Read(bad));
    MemFile shortFile(std::vector<unsigned char>(file.Bytes().begin(), file.Bytes().begin() + 9));
    EXPECT_FALSE(read.Read(shortFile));
    EXPECT_EQ(limits, read);  // unchanged by a failed read
}

TEST(ZKFormatRealConstruction, DecimalHexAndWide) {
    ZKFormatReal real(ZKLimits(-50, 200), 1, 10);
    EXPECT_EQ(6u, real.Width());
    EXPECT_EQ(ZKLimits(-1000, 1000), real.Limits());
    EXPECT_EQ("  12.3", real.Format(12.34));
    EXPECT_EQ(" 250.0", real.Format(250));
    EXPECT_EQ("######", real.Format(1500));
    EXPECT_EQ(1u, real.Decimals());

    ZKFormatReal hex(ZKLimits(0, 255), 3, 16);
    EXPECT_EQ(2u, hex.Width());
    EXPECT_EQ(ZKLimits(-256, 256), hex.Limits());
    EXPECT_EQ("FFh", hex.Format(255));
    EXPECT_EQ("0Ah", hex.Format(10.9));
    EXPECT_EQ("##", hex.Format(300));
    EXPECT_EQ(0u, hex.Decimals());

    ZKFormatReal wide(ZKLimits(0, 1e16), 2, 10);
    EXPECT_EQ(15u, wide.Width());
    EXPECT_STREQ("%g", wide.Pattern());
    EXPECT_EQ("1.5e+15", wide.Format(1.5e15));
    EXPECT_EQ("###############", wide.Format(-1));

    ZKFormatReal whole(ZKLimits(0, 999), 0, 10);
    EXPECT_EQ(3u, whole.Width());
    EXPECT_EQ(" 42", whole.Format(42.4));

    char small[4];
    real.Format(12.34, small, sizeof small);  // cut, never overrun
    EXPECT_STREQ("  1", small);
}

TEST(ZKFormatTimeLayouts, SecondsMinutesHours) {
    ZKFormatTime ns(ZKLimits(0, 90e9), 0, 2);
    EXPECT_TRUE(ns.ShowsSeconds());
    EXPECT_TRUE(ns.ShowsMinutes());
    EXPECT_FALSE(ns.ShowsHours());
    EXPECT_EQ(3u + 2 + 3, ns.Width());
    EXPECT_EQ("1:15.50", ns.Format(75.5e9));
    EXPECT_EQ("-0:05.25", ns.Format(-5.25e9));
    EXPECT_EQ("########", ns.Format(DBL_MAX));
    EXPECT_EQ("########", ns.Format(-DBL_MAX));

    ZKFormatTime hours(ZKLimits(0, 100 * 3600.0), 1, 0);
    EXPECT_EQ(3u, hours.HourDigits());
    EXPECT_EQ("100:00:00", hours.Format(100 * 3600.0));
    EXPECT_EQ("1:01:01", hours.Format(3661.4));
    hours.SetAutomaticLayout(false);
    EXPECT_EQ("4:00:00", hours.Format(100 * 3600.0));  // a time of day

    ZKFormatTime tiny(ZKLimits(0, 0.5e9), 0, 3);
    EXPECT_EQ("0.005", tiny.Format(5e6));
    EXPECT_EQ("-0.005", tiny.Format(-5e6));
    ZKFormatTime tinyWhole(ZKLimits(0, 0.5e9), 0, 0);
    EXPECT_EQ("0", tinyWhole.Format(5e6));

    ZKFormatTime secs(ZKLimits(-10, 30), 1, 1);
    EXPECT_EQ("12.3", secs.Format(12.34));
    EXPECT_EQ("-2.5", secs.Format(-2.5));
    EXPECT_EQ("0.3", ZKFormatTime(ZKLimits(0, 30), 1, 1).Format(0.3));  // seconds round to whole nanoseconds
}

TEST(ZKFormatTimeLayouts, NineDecimalsAreReported) {
    ZKFormatTime bad(ZKLimits(0, 10), 1, 9);
    const unsigned long before = zk::AssertReportCount();
    EXPECT_EQ("1.50000000", bad.Format(1.5));
    EXPECT_EQ(before + 1, zk::AssertReportCount());
}

TEST(ZKFormatEnumNames, StatesUnknownAndOverflow) {
    ZKFormatEnum onOff(ZKLimits(0, 10), {0, 1}, {"OFF", "ON"});
    EXPECT_EQ(3u, onOff.Width());
    EXPECT_EQ("ON", onOff.Format(1.7));
    EXPECT_EQ("OFF", onOff.Format(0));
    EXPECT_EQ("unknown(3)", onOff.Format(3));
    EXPECT_EQ("unknown(-1)", onOff.Format(-1));
    EXPECT_EQ("#####", onOff.Format(DBL_MAX));
    EXPECT_EQ(0u, onOff.Decimals());
}

// A format of a kind this program does not know, to reach the assignment's check.
class OddFormat final : public ZKFormat {
public:
    using ZKFormat::Format;
    OddFormat() : ZKFormat(ZKLimits(), 7) {}
    void Format(double, char* buffer, std::size_t) const override { buffer[0] = '\0'; }
    std::uint32_t Decimals() const override { return 0; }
    std::unique_ptr<ZKFormat> Clone() const override { return std::make_unique<OddFormat>(); }

private:
    void CopyFrom(const ZKFormat&) override {}
};

TEST(ZKFormatAssign, CloneCopyReplaceAndEmpty) {
    std::unique_ptr<ZKFormat> slot;
    ZKFormatReal real(ZKLimits(0, 100), 2, 10);
    ZKFormat::Assign(slot, &real);
    ASSERT_NE(nullptr, slot);
    EXPECT_NE(&real, slot.get());
    EXPECT_EQ(real.Format(5), slot->Format(5));

    ZKFormat* kept = slot.get();
    ZKFormatReal other(ZKLimits(0, 9), 0, 16);
    ZKFormat::Assign(slot, &other);
    EXPECT_EQ(kept, slot.get());  // same kind: copied in place
    EXPECT_EQ("9h", slot->Format(9));

    ZKFormatEnum onOff(ZKLimits(0, 10), {0, 1}, {"OFF", "ON"});
    ZKFormat::Assign(slot, &onOff);
    EXPECT_EQ(ZKFormat::kEnum, slot->FormatKind());
    EXPECT_EQ("ON", slot->Format(1));

    ZKFormat::Assign(slot, nullptr);
    EXPECT_EQ(nullptr, slot);

    std::unique_ptr<ZKFormat> odd = std::make_unique<OddFormat>();
    OddFormat source;
    const unsigned long before = zk::AssertReportCount();
    ZKFormat::Assign(odd, &source);
    EXPECT_EQ(before + 1, zk::AssertReportCount());
}

}  // namespace
