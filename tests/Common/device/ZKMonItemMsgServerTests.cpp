#include "Common/device/ZKMonItemMsgServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <thread>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKServer.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/Window.h"
#include "Platform/ZKAssert.h"
#include "support/FakeZKServer.h"
#include "support/TestSupport.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

// A worker over a scripted message queue (nullopt: a failing call) that records the batches it posts. The
// script is filled before Start.
class ScriptedWorker final : public ZKMonItemMsgServer {
public:
    ScriptedWorker()
        : ZKMonItemMsgServer([this](zk::UINT message, zk::WPARAM wParam, zk::LPARAM) {
              std::lock_guard guard(lock);
              (message == WMU_DEV_TEXT ? batches : slots).push_back(wParam);
              return true;
          }) {}
    ~ScriptedWorker() override { Stop(); }
    std::vector<zk::WPARAM> Batches() {
        std::lock_guard guard(lock);
        return batches;
    }

    std::deque<std::optional<std::string>> script;
    std::atomic<int> reads{0};
    std::atomic<bool> connected{true};
    std::atomic<int> readMs{0};  // how long each read takes
    std::atomic<bool> reading{false};
    mutable std::atomic<int> ticks{0};
    std::mutex lock;
    std::vector<zk::WPARAM> batches, slots;  // posted, under the lock
    ZPProfile profile;

    const ZPProfile* Profile() const override { return &profile; }
    bool IsConnected() const override {
        ++ticks;  // asked once per tick
        return connected;
    }
    bool IsInSync() const override { return false; }
    bool PositionOf(std::uint16_t, std::uint16_t&) const override { return false; }
    bool ConvertValue(std::uint16_t, std::uint32_t, double&) const override { return false; }
    std::size_t ItemCount() const override { return 0; }
    bool ReadMonitorValues(const std::vector<std::uint16_t>&, std::vector<std::uint32_t>&,
                           ZKOnFailure) override {
        return false;
    }
    bool HasProfileItem(std::uint16_t) const override { return true; }
    bool NextMessage(std::string& text, ZKOnFailure) override {
        reading = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(readMs.load()));
        text = script.empty() ? "" : script.front().value_or("");
        if (!script.empty()) script.pop_front();
        ++reads;
        reading = false;
        return !text.empty();
    }
};

struct RecordingClient final : ZKDevMsgClient {
    void ReceiveMessages(const Texts& texts) override { batches.push_back(texts); }
    std::vector<Texts> batches;
};

// Runs the worker until it has posted `count` batches, then hands them to its clients.
void DeliverBatches(ScriptedWorker& worker, std::size_t count) {
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.Batches().size() >= count; }, 5s));
    for (zk::WPARAM serial : worker.Batches())
        worker.DispatchMessages(serial);
}

// A worker whose device holds items 0..count-1 at their own positions: raw value = id * 10, converted to
// half of it; a read of a chunk of ids is recorded by its size.
class MonitorWorker final : public ZKMonItemMsgServer {
public:
    explicit MonitorWorker(std::size_t count = 16)
        : ZKMonItemMsgServer([this](zk::UINT message, zk::WPARAM wParam, zk::LPARAM) {
              std::lock_guard guard(lock);
              if (message == WMU_MON_VALUES) slots.push_back(wParam);
              return true;
          }),
          count_(count) {}
    ~MonitorWorker() override { Stop(); }
    std::vector<zk::WPARAM> Slots() {
        std::lock_guard guard(lock);
        return slots;
    }
    std::vector<std::size_t> Chunks() {
        std::lock_guard guard(lock);
        return chunks;
    }

    mutable std::atomic<int> ticks{0};
    std::atomic<bool> inSync{true};
    std::atomic<bool> readsFail{false};
    std::mutex lock;
    std::vector<zk::WPARAM> slots;    // posted, under the lock
    std::vector<std::size_t> chunks;  // read sizes, under the lock
    ZPProfile profile;

    const ZPProfile* Profile() const override { return &profile; }
    bool IsConnected() const override { return true; }
    bool IsInSync() const override { return inSync; }
    bool PositionOf(std::uint16_t id, std::uint16_t& position) const override {
        position = id;
        return id < count_;
    }
    bool ConvertValue(std::uint16_t, std::uint32_t raw, double& value) const override {
        value = raw / 2.0;
        return true;
    }
    // Asked once per wake-up: the tick count.
    std::size_t ItemCount() const override {
        ++ticks;
        return count_;
    }
    bool ReadMonitorValues(const std::vector<std::uint16_t>& ids, std::vector<std::uint32_t>& values,
                           ZKOnFailure) override {
        {
            std::lock_guard guard(lock);
            chunks.push_back(ids.size());
        }
        if (readsFail) return false;
        values.clear();
        for (std::uint16_t id : ids)
            values.push_back(id * 10u);
        return true;
    }
    bool NextMessage(std::string&, ZKOnFailure) override { return false; }
    bool HasProfileItem(std::uint16_t id) const override { return id < count_; }

private:
    std::size_t count_;
};

// Records every value it is told: (item, value, slot, cookie).
struct RecordingSubscriber final : ZKMonSubscriber {
    struct Value {
        std::uint16_t item;
        double value;
        std::uint16_t slot;
        std::uint32_t cookie;
        bool operator==(const Value&) const = default;
    };
    void MonValue(std::uint16_t item, double value, std::uint16_t slot, std::uint32_t cookie) override {
        values.push_back({item, value, slot, cookie});
    }
    std::vector<Value> values;
};

// The slots (0..99) whose notice reaches `subscriber`.
std::vector<std::uint16_t> SlotsOf(ZKMonItemMsgServer& worker, RecordingSubscriber& subscriber) {
    subscriber.values.clear();
    for (zk::WPARAM slot = 0; slot < ZKMonItemMsgServer::kSlots; ++slot)
        worker.NotifySlot(slot);
    std::vector<std::uint16_t> slots;
    for (const auto& value : subscriber.values)
        slots.push_back(value.slot);
    subscriber.values.clear();
    return slots;
}

}  // namespace

TEST(ZKMonItemMsgServer, DrainsPendingMessagesInBatchesOfAtMostOneHundredInDeviceOrder) {
    ScriptedWorker worker;
    Texts sent;
    for (int i = 0; i < 250; ++i)
        worker.script.push_back(sent.emplace_back("message " + std::to_string(i)));
    RecordingClient client;
    ASSERT_TRUE(worker.AddMessageClient(&client));
    EXPECT_FALSE(worker.AddMessageClient(&client));
    worker.Start();
    DeliverBatches(worker, 3);
    // The third poll ended at the empty answer; one more poll finds nothing and posts nothing.
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.reads.load() >= 252; }, 5s));
    worker.Stop();

    ASSERT_EQ(3u, client.batches.size());
    EXPECT_EQ(3u, worker.Batches().size());
    EXPECT_EQ(100u, client.batches[0].size());
    EXPECT_EQ(100u, client.batches[1].size());
    Texts received;
    for (const auto& batch : client.batches)
        received.insert(received.end(), batch.begin(), batch.end());
    EXPECT_EQ(sent, received);
    // A batch is handed out once.
    worker.DispatchMessages(worker.Batches()[0]);
    EXPECT_EQ(3u, client.batches.size());
}

TEST(ZKMonItemMsgServer, AFailureOrAnEmptyTextEndsTheBatch) {
    ScriptedWorker worker;
    worker.script = {"a", "b", std::nullopt, "c", "", "d!!"};
    RecordingClient client;
    worker.AddMessageClient(&client);
    worker.Start();
    DeliverBatches(worker, 3);
    worker.Stop();
    EXPECT_EQ((std::vector<Texts>{{"a", "b"}, {"c"}, {"d!!"}}), client.batches);
}

// Without monitor items the ticks between two polls would only count, so the worker sleeps through them;
// an item brings back the ticks its slots need.
TEST(ZKMonItemMsgServer, AnIdleWorkerWakesOnlyForItsPollsUntilAMonitorItemArrives) {
    ScriptedWorker worker;
    RecordingClient client;
    worker.AddMessageClient(&client);
    worker.Start();
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.reads.load() >= 3; }, 5s));
    EXPECT_LE(worker.ticks.load(), 4);  // ticking every 10 ms would have made 40 by the third poll

    struct : ZKMonSubscriber {
        void MonValue(std::uint16_t, double, std::uint16_t, std::uint32_t) override {}
    } subscriber;
    const int ticks = worker.ticks;
    const int reads = worker.reads;
    ASSERT_TRUE(worker.AddMonitorItem(9, &subscriber, 0, 100));
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.ticks.load() >= ticks + 25; }, 5s));
    worker.Stop();
    EXPECT_LE(worker.reads.load(), reads + 2);  // 25 ticks hold one or two polls
}

TEST(ZKMonItemMsgServer, ReadsNothingWithoutClientsAndStopsPromptlyLeavingNoThread) {
    ScriptedWorker worker;
    worker.script = {"x"};
    worker.Start();
    std::this_thread::sleep_for(300ms);  // more than one poll period
    EXPECT_EQ(0, worker.reads);
    const auto begin = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 500ms);
    EXPECT_FALSE(worker.IsRunning());

    // A read that outlasts the stop wait has still ended when Stop returns.
    RecordingClient client;
    worker.AddMessageClient(&client);
    worker.readMs = 700;
    worker.Start();
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.reading.load(); }, 5s));
    worker.Stop();
    EXPECT_FALSE(worker.reading);
}

TEST(ZKMonItemMsgServer, ALostLinkAnnouncesEveryUsedSlotOnce) {
    ScriptedWorker worker;
    struct : ZKMonSubscriber {
        void MonValue(std::uint16_t, double, std::uint16_t, std::uint32_t) override {}
    } subscriber;
    EXPECT_FALSE(worker.AddMonitorItem(9, &subscriber, 0, 101));
    ASSERT_TRUE(worker.AddMonitorItem(9, &subscriber, 0, 3));
    ASSERT_TRUE(worker.AddMonitorItem(4, &subscriber, 0, 1));
    worker.connected = false;
    worker.Start();
    std::this_thread::sleep_for(100ms);  // ten failing ticks
    worker.Stop();
    EXPECT_EQ((std::vector<zk::WPARAM>{0, 33, 66}), worker.slots);
}

// An opened device runs its worker; batches reach every client in order, batch after batch, on the GUI
// thread through the main window's queue.
TEST(ZKMonItemMsgServer, DeviceBatchesReachEveryClientInOrderOnTheGuiThread) {
    zk::WindowSystemScope scope{zk::WindowSystemOptions{{800, 600}, {}, zk::BackendChoice::Headless}};
    zktest::Watchdog watchdog{10s};
    ZKTimerServer timers;
    FakeZKServer server;
    FakeZKDevice fake;
    server.AddDevice(1, 2, 3, fake);
    ZKServer zkServer{[&] { return std::make_unique<FakeZKServer>(server); }};
    ZKDeviceListEntry entry;
    entry.address1 = 1;
    entry.address2 = 2;
    entry.address3 = 3;

    Texts log;
    struct Client final : ZKDevMsgClient {
        Client(std::string n, Texts& l) : name(std::move(n)), log(l) {}
        void ReceiveMessages(const Texts& texts) override {
            EXPECT_TRUE(zk::IsGuiThread());
            for (const auto& text : texts)
                log.push_back(name + text);
        }
        std::string name;
        Texts& log;
    } first("1", log), second("2", log);

    std::unique_ptr<ZKDevice> device;
    zk::WindowCreateParams params;
    params.proc = [&](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
        if (m == WMU_DEV_TEXT && device) device->DispatchMessages(w);
        return zk::DefWindowProc(h, m, w, l);
    };
    ZKDevice::Hooks hooks;
    hooks.mainWindow = zk::CreateWindowEx(params);
    device = ZKDevice::Open(zkServer, entry, nullptr, 1, ZKDeviceAccess{}, hooks);
    device->AddMessageClient(&first);
    device->AddMessageClient(&second);
    const auto pumpUntil = [&](std::size_t rows) {
        zk::MSG msg;
        while (log.size() < rows && zk::GetMessage(msg))
            zk::DispatchMessage(msg);
    };
    fake.QueueMessages({"a", "b"});
    pumpUntil(4);
    fake.QueueMessages({"c"});
    pumpUntil(6);
    EXPECT_EQ((Texts{"1a", "1b", "2a", "2b", "1c", "2c"}), log);

    EXPECT_TRUE(device->RemoveMessageClient(&first));
    fake.QueueMessages({"d"});
    pumpUntil(7);
    EXPECT_EQ("2d", log.back());
    ZKDevice::Destroy(device);
}

TEST(ZKMonItemMsgServerMonitor, ARateSpreadsAnItemEvenlyOverTheSecondsSlots) {
    MonitorWorker worker;
    RecordingSubscriber subscriber;
    ASSERT_TRUE(worker.AddMonitorItem(3, &subscriber, 0, 4));
    EXPECT_EQ((std::vector<std::uint16_t>{0, 25, 50, 75}), SlotsOf(worker, subscriber));
    ASSERT_TRUE(worker.RemoveMonitorItem(3, &subscriber, 0));
    ASSERT_TRUE(worker.AddMonitorItem(3, &subscriber, 0, 3));
    EXPECT_EQ((std::vector<std::uint16_t>{0, 33, 66}), SlotsOf(worker, subscriber));
    ASSERT_TRUE(worker.RemoveMonitorItem(3, &subscriber, 0));
    ASSERT_TRUE(worker.AddMonitorItem(3, &subscriber, 0, 100));
    EXPECT_EQ(100u, SlotsOf(worker, subscriber).size());
    ASSERT_TRUE(worker.RemoveMonitorItem(3, &subscriber, 0));

    // Rate 0 subscribes nothing; above 100, or an item the profile lacks, is refused.
    EXPECT_TRUE(worker.AddMonitorItem(3, &subscriber, 0, 0));
    const unsigned long asserts = zk::AssertReportCount();
    EXPECT_FALSE(worker.AddMonitorItem(3, &subscriber, 0, 101));
    EXPECT_FALSE(worker.AddMonitorItem(99, &subscriber, 0, 1));
    EXPECT_EQ(asserts + 2, zk::AssertReportCount());
    EXPECT_TRUE(SlotsOf(worker, subscriber).empty());
}

TEST(ZKMonItemMsgServerMonitor, RemovalTakesOnlyThatSubscriberAndCookie) {
    MonitorWorker worker;
    RecordingSubscriber first;
    RecordingSubscriber second;
    ASSERT_TRUE(worker.AddMonitorItem(3, &first, 1, 2));
    ASSERT_TRUE(worker.AddMonitorItem(3, &first, 2, 2));
    ASSERT_TRUE(worker.AddMonitorItem(3, &second, 1, 2));
    EXPECT_TRUE(worker.RemoveMonitorItem(3, &first, 1));
    EXPECT_TRUE(worker.RemoveMonitorItem(4, &first, 1));  // never subscribed: no error
    worker.NotifySlot(50);
    ASSERT_EQ(1u, first.values.size());
    EXPECT_EQ(2u, first.values[0].cookie);
    EXPECT_EQ(1u, second.values.size());

    // Once the last subscriber has gone the slot is empty and gets no notice.
    EXPECT_TRUE(worker.RemoveMonitorItem(3, &first, 2));
    EXPECT_TRUE(worker.RemoveMonitorItem(3, &second, 1));
    EXPECT_TRUE(SlotsOf(worker, first).empty());
    EXPECT_TRUE(SlotsOf(worker, second).empty());
}

TEST(ZKMonItemMsgServerMonitor, ValuesAreReadConvertedAndAnnouncedPerSlotAndVoidedOnStop) {
    MonitorWorker worker;
    RecordingSubscriber subscriber;
    ASSERT_TRUE(worker.AddMonitorItem(5, &subscriber, 7, 1));  // slot 0
    ASSERT_TRUE(worker.AddMonitorItem(2, &subscriber, 8, 2));  // slots 0 and 50
    worker.Start();
    ASSERT_TRUE(zktest::WaitUntil(
        [&] {
            const auto slots = worker.Slots();
            return std::count(slots.begin(), slots.end(), 0) >= 1 &&
                   std::count(slots.begin(), slots.end(), 50) >= 1;
        },
        5s));
    // Only used slots are announced.
    for (zk::WPARAM slot : worker.Slots())
        EXPECT_TRUE(slot == 0 || slot == 50) << slot;

    worker.NotifySlot(0);
    using Value = RecordingSubscriber::Value;
    EXPECT_EQ((std::vector<Value>{{2, 10.0, 0, 8}, {5, 25.0, 0, 7}}), subscriber.values);  // ascending ids
    subscriber.values.clear();

    // Stopping voids every value and tells each subscriber directly.
    worker.Stop();
    const double none = ZKMonItemMsgServer::kNoValue;
    EXPECT_EQ((std::vector<Value>{{2, none, 0, 8}, {5, none, 0, 7}, {2, none, 50, 8}}), subscriber.values);
}

TEST(ZKMonItemMsgServerMonitor, ASlotIsReadInChunksOfAtMost256Items) {
    MonitorWorker worker(600);
    RecordingSubscriber subscriber;
    for (std::uint16_t id = 0; id < 600; ++id)
        ASSERT_TRUE(worker.AddMonitorItem(id, &subscriber, 0, 1));
    worker.Start();
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.Chunks().size() >= 3; }, 5s));
    worker.Stop();
    const auto chunks = worker.Chunks();
    EXPECT_EQ((std::vector<std::size_t>{256, 256, 88}),
              std::vector<std::size_t>(chunks.begin(), chunks.begin() + 3));
    worker.NotifySlot(0);  // after Stop: every value void
    ASSERT_EQ(1200u, subscriber.values.size());
}

TEST(ZKMonItemMsgServerMonitor, LosingSyncStopsTheReadsAndVoidsTheValuesWithOneNoticePerSlot) {
    MonitorWorker worker;
    RecordingSubscriber subscriber;
    ASSERT_TRUE(worker.AddMonitorItem(5, &subscriber, 0, 2));  // slots 0 and 50
    const auto runTicks = [&](int count) {
        const int until = worker.ticks + count;
        ASSERT_TRUE(zktest::WaitUntil([&] { return worker.ticks >= until; }, 10s));
    };
    worker.Start();
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.Slots().size() >= 2; }, 5s));
    worker.inSync = false;
    runTicks(2);
    const std::size_t reads = worker.Chunks().size();
    const std::size_t posts = worker.Slots().size();
    runTicks(150);
    // No reads out of sync; the values were voided and both slots announced once.
    EXPECT_EQ(reads, worker.Chunks().size());
    EXPECT_EQ(posts, worker.Slots().size());
    const auto slots = worker.Slots();
    EXPECT_EQ((std::vector<zk::WPARAM>{0, 50}), std::vector<zk::WPARAM>(slots.end() - 2, slots.end()));
    worker.NotifySlot(0);
    using Value = RecordingSubscriber::Value;
    EXPECT_EQ((std::vector<Value>{{5, ZKMonItemMsgServer::kNoValue, 0, 0}}), subscriber.values);

    // Back in sync, the next read delivers again.
    worker.inSync = true;
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.Slots().size() > posts; }, 5s));
    worker.Stop();
    EXPECT_GT(worker.Chunks().size(), reads);
}

// A poll over a slow server stops at the next message once Stop is asked: Stop waits for one call, not for
// a whole batch of them.
TEST(ZKMonItemMsgServer, StopEndsAPollBetweenTwoCalls) {
    ScriptedWorker worker;
    for (int i = 0; i < 50; ++i)
        worker.script.push_back("slow " + std::to_string(i));
    RecordingClient client;
    worker.AddMessageClient(&client);
    worker.readMs = 100;
    worker.Start();
    ASSERT_TRUE(zktest::WaitUntil([&] { return worker.reading.load(); }, 5s));
    const auto begin = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 600ms);
    EXPECT_LT(worker.reads, 10);
}
