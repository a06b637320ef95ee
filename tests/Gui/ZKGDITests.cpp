#include "Gui/ZKGDI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/ZKAssert.h"

namespace {

class GdiTest : public ::testing::Test {
protected:
    ~GdiTest() override { ZKGDI::SetOptionsSource(nullptr); }
};

TEST_F(GdiTest, SlotsDifferBySchemeAndThePrinterUsesTheLightOnes) {
    EXPECT_EQ((ZKRGB{255, 255, 255}), ZKGDI::Colour(ZKColourScheme::Dark, false, 0));
    EXPECT_EQ((ZKRGB{0, 0, 0}), ZKGDI::Colour(ZKColourScheme::Light, false, 0));
    EXPECT_EQ((ZKRGB{0, 0, 0}), ZKGDI::Colour(ZKColourScheme::Dark, false, 5));
    EXPECT_EQ((ZKRGB{225, 238, 255}), ZKGDI::Colour(ZKColourScheme::Light, false, 6));
    EXPECT_EQ((ZKRGB{160, 32, 128}), ZKGDI::Colour(ZKColourScheme::Dark, false, 32));
    EXPECT_EQ((ZKRGB{255, 189, 105}), ZKGDI::Colour(ZKColourScheme::Light, false, 32));
    EXPECT_EQ((ZKRGB{42, 0, 213}), ZKGDI::Colour(ZKColourScheme::Dark, false, 67));
    EXPECT_EQ((ZKRGB{255, 255, 0}), ZKGDI::Colour(ZKColourScheme::Dark, false, 78));
    EXPECT_EQ((ZKRGB{255, 150, 0}), ZKGDI::Colour(ZKColourScheme::Light, false, 78));
    for (int slot = 0; slot < ZKGDI::kSlotCount; ++slot)
        EXPECT_EQ(ZKGDI::Colour(ZKColourScheme::Light, false, slot),
                  ZKGDI::Colour(ZKColourScheme::Printer, false, slot))
            << slot;

    // The context and the options pick the scheme.
    ZKSchemeOptions options{false, false};
    ZKGDI::SetOptionsSource([&] { return options; });
    EXPECT_EQ((ZKRGB{0, 0, 0}), ZKGDI::Colour(ZKColourContext{false}, 5));
    EXPECT_EQ((ZKRGB{255, 255, 255}), ZKGDI::Colour(ZKColourContext{true}, 5));  // printer: light, whatever
    options.blackOnWhite = true;
    EXPECT_EQ((ZKRGB{255, 255, 255}), ZKGDI::Colour(ZKColourContext{false}, 5));
}

TEST_F(GdiTest, ColourBlindChangesOnlyTheWarningSlot) {
    EXPECT_EQ((ZKRGB{255, 128, 255}), ZKGDI::Colour(ZKColourScheme::Dark, true, 37));
    EXPECT_EQ((ZKRGB{160, 64, 160}), ZKGDI::Colour(ZKColourScheme::Light, true, 37));
    EXPECT_EQ((ZKRGB{160, 64, 160}), ZKGDI::Colour(ZKColourScheme::Printer, true, 37));
    EXPECT_EQ((ZKRGB{255, 255, 0}), ZKGDI::Colour(ZKColourScheme::Dark, false, 37));
    for (int slot : {9, 44, 54, 78})  // other yellows stay
        EXPECT_EQ(ZKGDI::Colour(ZKColourScheme::Dark, false, slot),
                  ZKGDI::Colour(ZKColourScheme::Dark, true, slot));
}

TEST_F(GdiTest, ASlotOutOfRangeIsReportedAndGivesSlotTwo) {
    std::vector<std::string> units;
    zk::SetAssertHooks(
        {[] { return true; }, [&](const zk::AssertReport& r) { units.push_back(r.unit); }, {}});
    const auto before = zk::AssertReportCount();
    EXPECT_EQ(ZKGDI::Colour(ZKColourScheme::Dark, false, 2), ZKGDI::Colour(ZKColourScheme::Dark, false, 79));
    EXPECT_EQ(ZKGDI::Colour(ZKColourScheme::Light, false, 2),
              ZKGDI::Colour(ZKColourScheme::Light, false, -1));
    EXPECT_EQ(before + 2, zk::AssertReportCount());
    EXPECT_EQ(before + 2, (ZKGDI::Colour(ZKColourScheme::Light, false, 78), zk::AssertReportCount()));
    zk::SetAssertHooks({});
    EXPECT_EQ((std::vector<std::string>{"Common/ZKGDI", "Common/ZKGDI"}), units);
}

TEST_F(GdiTest, PrinterMetricsFollowResolutionAndPageLength) {
    // A4 at 600 dpi, portrait and landscape: no page correction.
    EXPECT_EQ((ZKDeviceMetrics{58, 5, 5}), ZKGDI::DeviceMetrics(600, 600, 4960, 7016));
    EXPECT_EQ((ZKDeviceMetrics{58, 5, 5}), ZKGDI::DeviceMetrics(600, 600, 7016, 4960));
    // Legal at 300 dpi: 355 mm tall and 215 mm wide scale the font and both factors up.
    EXPECT_EQ((ZKDeviceMetrics{34, 2, 2}), ZKGDI::DeviceMetrics(300, 300, 2550, 4200));
    // Factors never drop below 1; a height of exactly 14 needs no own font set.
    EXPECT_EQ((ZKDeviceMetrics{7, 1, 1}), ZKGDI::DeviceMetrics(72, 72, 595, 842));
    EXPECT_FALSE(ZKGDI::DeviceMetrics(144, 144, 1190, 1684).OwnFontSet());
    EXPECT_TRUE(ZKGDI::DeviceMetrics(600, 600, 4960, 7016).OwnFontSet());
}

}  // namespace
