#include "Common/device/ZKBackgroundCheck.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

// A check that blocks until the test lets it answer: while it is in flight no second one starts, the
// caller is never held, and the answer is handed out once.
TEST(ZKBackgroundCheck, AtMostOneCheckIsInFlightAndItsAnswerIsTakenOnce) {
    std::promise<bool> release;
    std::shared_future<bool> answer = release.get_future().share();
    std::atomic<int> runs{0};
    std::atomic<std::thread::id> ranOn;
    ZKBackgroundCheck check([&] {
        ++runs;
        ranOn = std::this_thread::get_id();
        return answer.get();
    });

    EXPECT_FALSE(check.TakeAnswer());
    EXPECT_TRUE(check.StartIfIdle());
    EXPECT_FALSE(check.StartIfIdle());
    EXPECT_FALSE(check.TakeAnswer());
    release.set_value(false);
    check.WaitIdle();
    EXPECT_NE(std::this_thread::get_id(), ranOn.load());
    // An answer not yet taken keeps the next check from starting.
    EXPECT_FALSE(check.StartIfIdle());
    EXPECT_EQ(std::optional<bool>(false), check.TakeAnswer());
    EXPECT_FALSE(check.TakeAnswer());
    EXPECT_TRUE(check.StartIfIdle());
    check.WaitIdle();
    EXPECT_EQ(2, runs);
}

// Destroying the object waits for a check in flight.
TEST(ZKBackgroundCheck, DestructionWaitsForTheCheckInFlight) {
    std::promise<void> started;
    std::atomic<bool> finished{false};
    {
        ZKBackgroundCheck check([&] {
            started.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a slow call
            finished = true;
            return true;
        });
        check.StartIfIdle();
        started.get_future().wait();
    }
    EXPECT_TRUE(finished);
}
