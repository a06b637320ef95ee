#include "Common/device/ZKMonItemMsgServer.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <thread>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKServer.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/Window.h"
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
    std::mutex lock;
    std::vector<zk::WPARAM> batches, slots;  // posted, under the lock
    ZPProfile profile;

    const ZPProfile* Profile() const override { return &profile; }
    bool IsConnected() const override { return connected; }
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
