// A simulated device's chatter keeps the average rate of its scenario, high rates included.
#include "ZelkNetServer/ZelkNetSimDevice.h"

#include <gtest/gtest.h>

namespace {

// Messages queued by a device chattering at `rate` per second over `seconds` of its clock.
std::size_t ChatterOver(double rate, std::uint64_t seconds) {
    ZelkNetDeviceSpec desc;
    desc.chatter = ZelkNetChatter{rate, {"tick"}, {}, 0};
    ZelkNetSimDevice device(desc, 7);
    // The world ticks every 5 ms.
    for (std::uint64_t ms = 0; ms <= seconds * 1000; ms += 5)
        device.Tick(ms);
    return device.PendingMessages();
}

}  // namespace

TEST(ZelkNetSimDevice, ChatterKeepsItsAverageRate) {
    // Poisson counts: the bounds are more than five standard deviations wide.
    const std::size_t high = ChatterOver(500, 20);  // 10,000 expected
    EXPECT_GT(high, 9500u);
    EXPECT_LT(high, 10500u);
    const std::size_t low = ChatterOver(2, 500);  // 1,000 expected
    EXPECT_GT(low, 840u);
    EXPECT_LT(low, 1160u);
}
