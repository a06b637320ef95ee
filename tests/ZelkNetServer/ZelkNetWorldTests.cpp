// The world's profile store: images handed in are found again by the device type and code version in
// their headers, ahead of the scenario's own table.
#include "ZelkNetServer/ZelkNetWorld.h"

#include <gtest/gtest.h>

#include "Common/profile/ZPImageIdentity.h"

namespace {

const char* const kScenario = R"(
[[server.stored_profile]]
type = "ECU-M4"
code = [3, 1, 7]
hex = "01 02 03 04"
[[server.stored_profile]]
type = "PDU-16"
code = [2, 0, 0]
hex = "05 06"
)";

ZelkNetScenario Scenario() {
    std::string error;
    auto scenario = ZelkNetScenario::Parse(kScenario, {}, error);
    EXPECT_TRUE(scenario) << error;
    return scenario.value_or(ZelkNetScenario{});
}

ZKBytes Image(const std::string& type, std::uint16_t major, std::uint16_t minor, std::uint16_t build,
              std::size_t payloadSize = 8, std::uint8_t fill = 0x5A) {
    ZPImageIdentity id;
    id.typeName = type;
    id.codeBranch = major;
    id.codeVersion = minor;
    id.codeRevision = build;
    return id.BuildImage(ZKBytes(payloadSize, fill));
}

}  // namespace

TEST(ZelkNetWorldProfiles, StoredImagesAreFoundByTypeAndCodeVersionAheadOfTheScenario) {
    ZelkNetWorld world(Scenario());
    EXPECT_EQ((ZKBytes{1, 2, 3, 4}), world.StoredProfile("ECU-M4", 3, 1, 7));

    const ZKBytes first = Image("ECU-M4", 3, 1, 7, 8, 0x11);
    ASSERT_TRUE(world.StoreProfile(first));
    EXPECT_EQ(first, world.StoredProfile("ECU-M4", 3, 1, 7));
    EXPECT_FALSE(world.StoredProfile("ECU-M4", 3, 2, 7));
    EXPECT_EQ((ZKBytes{5, 6}), world.StoredProfile("PDU-16", 2, 0, 0));

    // A newer image of the same key replaces the older one.
    const ZKBytes second = Image("ECU-M4", 3, 1, 7, 12, 0x22);
    ASSERT_TRUE(world.StoreProfile(second));
    EXPECT_EQ(second, world.StoredProfile("ECU-M4", 3, 1, 7));
    EXPECT_EQ(1u, world.StoredProfileCount());
}

TEST(ZelkNetWorldProfiles, OldestImagesGoBeyondTheLimits) {
    ZelkNetWorld world(ZelkNetScenario{});
    for (std::uint16_t build = 0; build <= ZelkNetWorld::kMaxStoredProfiles; ++build)
        ASSERT_TRUE(world.StoreProfile(Image("T", 1, 0, build)));
    EXPECT_EQ(ZelkNetWorld::kMaxStoredProfiles, world.StoredProfileCount());
    EXPECT_FALSE(world.StoredProfile("T", 1, 0, 0));
    EXPECT_TRUE(world.StoredProfile("T", 1, 0, 1));

    // Large images: the byte limit counts, not the number.
    constexpr std::size_t kLarge = 4u << 20;
    const std::size_t fit = ZelkNetWorld::kMaxStoredBytes / (kLarge + 68);
    for (std::uint16_t build = 0; build <= fit; ++build)
        ASSERT_TRUE(world.StoreProfile(Image("L", 1, 0, build, kLarge)));
    EXPECT_FALSE(world.StoredProfile("L", 1, 0, 0));
    EXPECT_TRUE(world.StoredProfile("L", 1, 0, static_cast<std::uint16_t>(fit)));
    EXPECT_LE(world.StoredProfileCount(), fit);
}
