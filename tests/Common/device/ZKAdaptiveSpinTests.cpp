// Spinning stops once it keeps running out, is tried again now and then, and one answered try brings it back.
#include "Common/device/ZKAdaptiveSpin.h"

#include <gtest/gtest.h>

namespace {

// How many of the next `count` waits would spin.
int Spins(ZKAdaptiveSpin& spin, int count, bool answered) {
    int spun = 0;
    for (int i = 0; i < count; ++i) {
        if (!spin.ShouldSpin()) continue;
        ++spun;
        spin.Spun(answered);
    }
    return spun;
}

}  // namespace

TEST(ZKAdaptiveSpin, StopsAfterMissesInARowAndProbesNowAndThen) {
    ZKAdaptiveSpin spin;
    EXPECT_EQ(100, Spins(spin, 100, true));
    // Misses that an answer interrupts do not stop it.
    EXPECT_EQ(3, Spins(spin, 3, false));
    EXPECT_EQ(1, Spins(spin, 1, true));
    EXPECT_EQ(3, Spins(spin, 3, false));
    EXPECT_TRUE(spin.ShouldSpin());
    spin.Spun(false);

    // Four in a row: from now on only every 32nd wait tries.
    EXPECT_EQ(0, Spins(spin, ZKAdaptiveSpin::kProbeEvery - 1, false));
    EXPECT_EQ(3, Spins(spin, 3 * ZKAdaptiveSpin::kProbeEvery, false));
}

TEST(ZKAdaptiveSpin, AnAnsweredProbeBringsTheSpinBack) {
    ZKAdaptiveSpin spin;
    Spins(spin, ZKAdaptiveSpin::kMissesToStop, false);
    EXPECT_EQ(0, Spins(spin, ZKAdaptiveSpin::kProbeEvery - 1, true));
    EXPECT_EQ(10, Spins(spin, 10, true));
}
