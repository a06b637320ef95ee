#include "Common/ZKTimerServer.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Platform/MessageLoop.h"
#include "Platform/Window.h"
#include "Platform/ZKAssert.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;

struct Recorder : ZKTimerClient {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ticks;  // (id, param)
    std::function<void(std::uint32_t)> onTick;
    void Tick(std::uint32_t id, std::uint32_t param) override {
        ticks.emplace_back(id, param);
        if (onTick) onTick(id);
    }
};

// A headless GUI thread with a tick window whose WMU_TIMER_TICK handler delivers.
class TimerServerTest : public ::testing::Test {
protected:
    zk::WindowSystemScope scope;
    zktest::Watchdog watchdog{10s};
    zk::HWND window;
    ZKTimerServer server;

    TimerServerTest() {
        zk::WindowCreateParams p;
        p.style = zk::WS_POPUP;
        p.proc = [](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
            if (m == WMU_TIMER_TICK) {
                ZKTimerServer::Deliver(w);
                return 0;
            }
            return zk::DefWindowProc(h, m, w, l);
        };
        window = zk::CreateWindowEx(p);
        ZKTimerServer::SetTickWindow(window);
    }

    // Takes the waiting tick messages out of the queue without delivering them.
    std::vector<zk::MSG> TakeWaitingTicks() {
        std::vector<zk::MSG> ticks;
        zk::MSG msg;
        while (zk::PeekMessage(msg, zk::PM_REMOVE))
            if (msg.message == WMU_TIMER_TICK) ticks.push_back(msg);
        return ticks;
    }

    // Runs the loop until `done` holds (checked after each message).
    void RunUntil(const std::function<bool()>& done) {
        zk::MSG msg;
        while (!done() && zk::GetMessage(msg))
            zk::DispatchMessage(msg);
    }
};

TEST_F(TimerServerTest, ABusyGuiThreadFindsAtMostFiveTicksWaiting) {
    Recorder client;
    ZKTimerServer::AddPeriodic(10, 0, &client, 77);
    ZKTimerServer::AddPeriodic(10, 0, &client, 78);  // replaces the first registration
    std::this_thread::sleep_for(150ms);              // blocked for many periods
    const auto waiting = TakeWaitingTicks();
    EXPECT_EQ(5u, waiting.size());
    for (const zk::MSG& m : waiting)
        zk::DispatchMessage(m);
    EXPECT_EQ(5u, client.ticks.size());
    EXPECT_EQ((std::pair<std::uint32_t, std::uint32_t>(0, 78)), client.ticks.front());
    // Delivered ticks make room for new ones.
    RunUntil([&] { return client.ticks.size() >= 7; });
    EXPECT_TRUE(ZKTimerServer::Remove(0, &client));
    EXPECT_FALSE(ZKTimerServer::IsRegistered(0, &client));
}

TEST_F(TimerServerTest, TicksOfARemovedRegistrationAreIgnoredEvenAfterReRegistering) {
    Recorder client;
    ZKTimerServer::AddPeriodic(5, 3, &client, 1);
    std::vector<zk::MSG> waiting;
    while (waiting.empty()) {
        std::this_thread::sleep_for(10ms);
        waiting = TakeWaitingTicks();
    }
    EXPECT_TRUE(ZKTimerServer::Remove(3, &client));
    ZKTimerServer::AddPeriodic(10000, 3, &client, 2);  // same client and id, a new registration
    for (const zk::MSG& m : waiting)
        zk::DispatchMessage(m);
    EXPECT_TRUE(client.ticks.empty());
    EXPECT_TRUE(ZKTimerServer::IsRegistered(3, &client));
    EXPECT_TRUE(ZKTimerServer::RemoveAll(&client));
}

TEST_F(TimerServerTest, OneShotsComeOnceInAddingOrderAndZeroDelayNever) {
    Recorder client;
    ZKTimerServer::AddOneShot(0, 9, &client, 0);
    EXPECT_FALSE(ZKTimerServer::IsRegistered(9, &client));
    for (std::uint32_t id = 1; id <= 3; ++id)
        ZKTimerServer::AddOneShot(30, id, &client, id * 10);
    EXPECT_TRUE(ZKTimerServer::IsRegistered(2, &client));
    RunUntil([&] { return client.ticks.size() == 3; });
    EXPECT_EQ((std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 10}, {2, 20}, {3, 30}}),
              client.ticks);
    for (std::uint32_t id = 1; id <= 3; ++id)
        EXPECT_FALSE(ZKTimerServer::IsRegistered(id, &client));
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(TakeWaitingTicks().empty());
}

TEST_F(TimerServerTest, AClientMayChangeRegistrationsInsideItsTick) {
    Recorder client;
    int rounds = 0;
    client.onTick = [&](std::uint32_t id) {
        ZKTimerServer::Remove(id, &client);
        if (++rounds < 3) ZKTimerServer::AddOneShot(5, id + 1, &client, 0);
    };
    ZKTimerServer::AddPeriodic(5, 100, &client, 0);
    RunUntil([&] { return rounds == 3; });
    EXPECT_EQ(100u, client.ticks[0].first);
    EXPECT_EQ(102u, client.ticks[2].first);
    EXPECT_FALSE(ZKTimerServer::RemoveAll(&client));
}

TEST_F(TimerServerTest, PeriodZeroIsAnInternalError) {
    Recorder client;
    const auto before = zk::AssertReportCount();
    ZKTimerServer::AddPeriodic(0, 1, &client, 0);
    EXPECT_EQ(before + 1, zk::AssertReportCount());
    EXPECT_FALSE(ZKTimerServer::IsRegistered(1, &client));
    EXPECT_GE(ZKTimerServer::Resolution(), 1u);
}

TEST_F(TimerServerTest, OtherThreadsMayRegisterWhileTicksFlow) {
    Recorder client;
    ZKTimerServer::AddPeriodic(2, 0, &client, 0);
    Recorder other;  // outlives every delivery: clients are destroyed on the GUI thread
    std::thread churn([&] {
        for (int i = 0; i < 200; ++i) {
            ZKTimerServer::AddPeriodic(1 + i % 3, static_cast<std::uint32_t>(i % 4), &other, 0);
            ZKTimerServer::Remove(static_cast<std::uint32_t>((i + 2) % 4), &other);
        }
        ZKTimerServer::RemoveAll(&other);
    });
    RunUntil([&] { return client.ticks.size() >= 10; });
    churn.join();
    EXPECT_TRUE(ZKTimerServer::RemoveAll(&client));
}

}  // namespace
