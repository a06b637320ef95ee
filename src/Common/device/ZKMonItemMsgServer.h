#pragma once
// The worker of an opened device: one thread that ticks every 10 ms. Every 20th tick (200 ms) it reads the
// device's pending text messages, at most 100, and posts them as one batch (WMU_DEV_TEXT) to the main
// window, whose GUI thread hands the batch to every registered ZKDevMsgClient. The same tick serves monitor
// items: items subscribed at 1..100 reads per second sit in 100 time slots, one slot per tick; their raw
// values are read in bulk, converted and announced per slot (WMU_MON_VALUES). While no slot holds an item
// the ticks between two message polls would only count, so the thread sleeps through them: an idle device
// wakes its worker five times a second, not a hundred.
//
// The device is the data source: the derived class implements the nine pure operations below (ZKDevice
// does, one to one with its own operations). It starts the worker once it is ready and must call Stop in
// its destructor, before its own members go; the worker's thread calls those operations until Stop returns.
//
// Batches do not travel as pointers: the worker keeps them and posts a serial number, so a batch whose
// message never arrives (window gone, device destroyed first) is freed with the worker, and a stale message
// cannot reach another device's batch.
//
// Threads: Start, Stop, client registration, DispatchMessages and NotifySlot belong to the GUI thread (the
// owner); monitor items may be added and removed on any thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Common/device/ZKDevMsgClient.h"
#include "Platform/MMTimer.h"
#include "Platform/WindowTypes.h"

class ZPProfile;

constexpr zk::UINT WMU_MON_VALUES = zk::WM_USER + 44;  // wParam: slot 0..99
constexpr zk::UINT WMU_DEV_TEXT = zk::WM_USER + 45;    // wParam: batch serial for DispatchMessages

// Whether a failed call drops the link (clears the connected bit).
enum class ZKOnFailure {
    KeepLink,
    DropLink,
};

// Who is told the values of a monitored item.
class ZKMonSubscriber {
public:
    virtual ~ZKMonSubscriber() = default;
    // GUI thread. `value` is ZKMonItemMsgServer::kNoValue while the item has none.
    virtual void MonValue(std::uint16_t itemId, double value, std::uint16_t slot, std::uint32_t cookie) = 0;
};

class ZKMonItemMsgServer {
public:
    static constexpr std::uint32_t kTickMs = 10;
    static constexpr std::uint16_t kSlots = 100;       // one per tick, so a second holds each slot once
    static constexpr std::uint16_t kPollEvery = 20;    // slots; the message poll runs every 200 ms
    static constexpr std::size_t kMaxBatch = 100;      // texts per poll
    static constexpr std::uint32_t kStopWaitMs = 500;  // Stop's patience before it blocks on the join
    static constexpr std::size_t kMaxItems = 3000;     // item table entries the value array holds
    static constexpr std::size_t kMaxReadChunk = 256;  // items per bulk read
    static constexpr std::uint32_t kMaxRate = 100;     // reads per second
    static constexpr double kNoValue = std::numeric_limits<double>::max();

    // Where the worker's messages go; returns whether the message was queued. Called on the worker thread.
    using Poster = std::function<bool(zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam)>;

    // Posts to `window` (the main window); a post while `window` is null is an internal error.
    explicit ZKMonItemMsgServer(zk::HWND window);
    explicit ZKMonItemMsgServer(Poster poster);
    // Stops a worker that still runs; the derived class should have done so already (see the top).
    virtual ~ZKMonItemMsgServer();
    ZKMonItemMsgServer(const ZKMonItemMsgServer&) = delete;
    ZKMonItemMsgServer& operator=(const ZKMonItemMsgServer&) = delete;

    // Starts the thread; does nothing when it runs.
    void Start();
    // Ends a running thread and waits for it: normally within one wake-up, and never returns before it has
    // ended. The thread looks at the stop flag before every server call, so past 500 ms the wait is on at
    // most one call, whose deadline bounds it. Then every monitored
    // value becomes kNoValue and every subscriber is told so directly. Does nothing when not running.
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }

    // GUI thread. Adding a client already present, or removing one that is not, returns false.
    bool AddMessageClient(ZKDevMsgClient* client);
    bool RemoveMessageClient(ZKDevMsgClient* client);
    // GUI thread, on WMU_DEV_TEXT: hands the batch of `serial` to every client in order, then frees it. An
    // unknown serial (another device's, or one already handled) is ignored.
    void DispatchMessages(zk::WPARAM serial);
    // GUI thread, on WMU_MON_VALUES: tells every subscriber of every item of `slot` its value.
    void NotifySlot(zk::WPARAM slot);

    // Subscribes profile item `itemId` at `rate` reads per second (0 adds nothing). False when the rate is
    // above 100, the device has no profile or the profile lacks the item.
    bool AddMonitorItem(std::uint16_t itemId, ZKMonSubscriber* subscriber, std::uint32_t cookie,
                        std::uint32_t rate);
    // False only without a profile; an item never subscribed is no error.
    bool RemoveMonitorItem(std::uint16_t itemId, ZKMonSubscriber* subscriber, std::uint32_t cookie);

    // --- the data source, implemented by the device ---
    virtual const ZPProfile* Profile() const = 0;
    virtual bool IsConnected() const = 0;
    virtual bool IsInSync() const = 0;
    // The item's position in the device's item table (its raw index); false when absent.
    virtual bool PositionOf(std::uint16_t id, std::uint16_t& position) const = 0;
    virtual bool ConvertValue(std::uint16_t id, std::uint32_t raw, double& value) const = 0;
    virtual std::size_t ItemCount() const = 0;
    virtual bool ReadMonitorValues(const std::vector<std::uint16_t>& itemIds,
                                   std::vector<std::uint32_t>& values, ZKOnFailure onFailure) = 0;
    // True only for a non-empty text.
    virtual bool NextMessage(std::string& text, ZKOnFailure onFailure) = 0;
    // Whether the profile defines the item.
    virtual bool HasProfileItem(std::uint16_t id) const = 0;

private:
    struct Subscription {
        ZKMonSubscriber* subscriber;
        std::uint32_t cookie;
    };
    // One monitored item in one slot.
    struct MonItem {
        std::uint16_t id = 0;
        std::vector<Subscription> subscribers;
        std::int32_t rawIndex = -1;  // -1 until the item table knows the item
        double value = kNoValue;
    };
    using Slot = std::vector<std::unique_ptr<MonItem>>;  // ascending item id

    void Run();
    bool AnyMonitorItems();
    // After a tick: in how many ticks the next one is due (1, or up to the next message poll while no slot
    // holds an item; the slots passed over are empty).
    std::uint16_t TicksAhead();
    // One tick, under the work lock.
    void Tick();
    void PollMessages();
    // Reads and delivers the current slot's values.
    void ReadSlot();
    // Gives every value the no-value marker and announces every non-empty slot, once per failure streak.
    void Invalidate();
    bool Post(zk::UINT message, zk::WPARAM wParam);

    Poster poster_;
    std::mutex postLock_;  // around each batch post, and the pending batches
    std::mutex workLock_;  // a whole tick, and item registration
    std::mutex itemLock_;  // slot lists and values, shared with the GUI thread's notification
    std::mutex clientLock_;
    zk::Event wake_{zk::Event::ResetMode::Auto};  // set by Stop and by a new monitor item
    zk::Event finished_{zk::Event::ResetMode::Manual};
    std::atomic<bool> stop_{false};
    std::thread thread_;

    std::uint16_t currentSlot_ = 0;  // worker thread only
    bool invalidated_ = false;       // under itemLock_
    std::array<Slot, kSlots> slots_;
    std::vector<double> values_ = std::vector<double>(kMaxItems, kNoValue);  // by raw index; worker only
    std::vector<ZKDevMsgClient*> clients_;
    std::map<zk::WPARAM, std::vector<std::string>> pending_;  // posted batches by serial
};
