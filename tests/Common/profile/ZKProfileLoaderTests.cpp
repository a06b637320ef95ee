#include "Common/profile/ZKProfileLoader.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "Common/profile/ZPProfileHeader.h"
#include "ImageTestSupport.h"

using namespace zptest;
using namespace std::chrono_literals;

namespace {

// A live profile that a failed or stopped load must leave as it is.
void FillLive(ZKProfilePlus& live) {
    ParseOrFail(live, SmallProfile(1));
}

}  // namespace

TEST(ZKProfileLoader, EndsWithOneAndMovesTheProfileIntoTheLiveOne) {
    std::mutex mutex;
    std::vector<int> reported;
    ZKProfileLoader loader(ImageOf(SmallProfile(4)), [&](int percent) {
        std::lock_guard lock(mutex);
        reported.push_back(percent);
    });
    ASSERT_TRUE(loader.Wait(10s));
    EXPECT_EQ(1, loader.ExitCode());
    // index × 100 / count after each object, ending at 100.
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(100, reported.back());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));

    ZKProfilePlus live;
    FillLive(live);
    ASSERT_TRUE(loader.MoveLoadedInto(live));
    EXPECT_EQ(4u, live.MapsOfKind(ZP_HELP).size());
    for (const auto& map : live.Maps())
        EXPECT_EQ(&live, map->Profile());
    EXPECT_FALSE(loader.MoveLoadedInto(live)) << "only once";
}

TEST(ZKProfileLoader, FailureEndsWithZeroAndTheErrorText) {
    Bytes image = ImageOf();
    image[70] ^= 1;
    ZKProfileLoader loader(image);
    ASSERT_TRUE(loader.Wait(10s));
    EXPECT_EQ(0, loader.ExitCode());
    EXPECT_EQ("Invalid CRC", loader.Error());
    ZKProfilePlus live;
    FillLive(live);
    EXPECT_FALSE(loader.MoveLoadedInto(live));
    EXPECT_EQ(1u, live.MapsOfKind(ZP_HELP).size());
}

TEST(ZKProfileLoader, StopInTheMiddleLeavesTheLiveProfileUntouched) {
    ZKProfileLoader* self = nullptr;
    std::atomic<int> lastSeen{0};
    std::mutex started;
    started.lock();  // the sink waits until `self` is set
    ZKProfileLoader loader(ImageOf(SmallProfile(200)), [&](int percent) {
        std::lock_guard wait(started);
        lastSeen = percent;
        if (percent >= 50) self->RequestStop();
    });
    self = &loader;
    started.unlock();
    ASSERT_TRUE(loader.Wait(10s));
    EXPECT_EQ(0, loader.ExitCode());
    EXPECT_EQ("Load cancelled", loader.Error());
    EXPECT_GE(lastSeen.load(), 50);
    EXPECT_LT(lastSeen.load(), 100);

    ZKProfilePlus live;
    FillLive(live);
    const std::string before = live.Dump();
    EXPECT_FALSE(loader.MoveLoadedInto(live));
    EXPECT_EQ(before, live.Dump());
}
