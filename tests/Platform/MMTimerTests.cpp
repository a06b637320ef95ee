#include "Platform/MMTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using zk::Event;
using zk::MMTimer;

TEST(MMTimerClock, CountsMilliseconds) {
    const std::uint32_t start = zk::TimeGetTime();
    std::this_thread::sleep_for(50ms);
    const std::uint32_t elapsed = zk::TimeGetTime() - start;  // unsigned difference survives the wrap
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 1000u);
    EXPECT_EQ(1u, zk::TimeGetDevCaps().periodMin);
}

TEST(MMTimerOneShot, FiresExactlyOnceOrSetsAnEvent) {
    MMTimer timer;
    std::atomic<int> calls{0};
    Event fired;
    const auto id = timer.SetEvent(10, MMTimer::Kind::OneShot, [&] {
        ++calls;
        fired.Set();
    });
    ASSERT_NE(0u, id);
    ASSERT_TRUE(fired.Wait(2000));
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(1, calls.load());
    EXPECT_FALSE(timer.KillEvent(id));  // a fired one-shot is gone

    Event event(Event::ResetMode::Manual);
    timer.SetEvent(0, MMTimer::Kind::OneShot, event);
    EXPECT_TRUE(event.Wait(2000));
    EXPECT_TRUE(event.IsSet());  // a manual-reset event stays set
}

TEST(MMTimerPeriodic, KeepsItsPeriodWithoutDrift) {
    MMTimer timer;
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> ticks;
    Event tenth;
    const auto start = std::chrono::steady_clock::now();
    const auto id = timer.SetEvent(20, MMTimer::Kind::Periodic, [&] {
        std::lock_guard lock(mutex);
        ticks.push_back(std::chrono::steady_clock::now());
        if (ticks.size() == 10) tenth.Set();
    });
    ASSERT_TRUE(tenth.Wait(5000));
    timer.KillEvent(id);
    std::lock_guard lock(mutex);
    // Ten periods of 20 ms: the tenth tick is due at 200 ms; late callbacks must not push later ones back.
    const auto total = std::chrono::duration_cast<std::chrono::milliseconds>(ticks[9] - start).count();
    EXPECT_GE(total, 200);
    EXPECT_LT(total, 400);
    // No tick comes before its due time.
    for (size_t i = 0; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i] - start, std::chrono::milliseconds(20 * (i + 1))) << "tick " << i;
}

TEST(MMTimerCancel, KilledTimerStopsAndIsNotRunningAfterwards) {
    MMTimer timer;
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    Event first;
    const auto id = timer.SetEvent(5, MMTimer::Kind::Periodic, [&] {
        inside = true;
        ++calls;
        first.Set();
        std::this_thread::sleep_for(20ms);
        inside = false;
    });
    ASSERT_TRUE(first.Wait(2000));
    EXPECT_TRUE(timer.KillEvent(id));
    EXPECT_FALSE(inside.load());  // KillEvent waited for the running callback
    const int after = calls.load();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(after, calls.load());

    std::atomic<int> never{0};
    const auto pending = timer.SetEvent(50, MMTimer::Kind::OneShot, [&] { ++never; });
    EXPECT_TRUE(timer.KillEvent(pending));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(0, never.load());
}

TEST(MMTimerCancel, KillFromInsideItsOwnCallbackDoesNotDeadlock) {
    MMTimer timer;
    std::atomic<int> calls{0};
    Event done;
    MMTimer::TimerId id = 0;
    std::mutex idMutex;
    std::unique_lock lock(idMutex);
    id = timer.SetEvent(5, MMTimer::Kind::Periodic, [&] {
        std::lock_guard inner(idMutex);
        ++calls;
        timer.KillEvent(id);
        done.Set();
    });
    lock.unlock();
    ASSERT_TRUE(done.Wait(2000));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, calls.load());
}

TEST(MMTimerEvent, AutoResetWaitClearsAndTimesOut) {
    Event event;
    EXPECT_FALSE(event.Wait(10));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.IsSet());
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(zk::kInfinite));
    setter.join();
}

}  // namespace
