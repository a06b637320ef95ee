#include "Common/device/ZKMonItemMsgServer.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <utility>

#include "Platform/Window.h"
#include "Platform/ZKAssert.h"

namespace {

// Batch serials are unique in the process, so a batch message can only ever find its own batch.
std::atomic<zk::WPARAM> g_nextBatch{1};

}  // namespace

ZKMonItemMsgServer::ZKMonItemMsgServer(zk::HWND window)
    : ZKMonItemMsgServer(Poster([window](zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam) {
          // A message for no window would be lost without a trace.
          return ZKASSERT(window != zk::HWND{}) && zk::PostMessage(window, message, wParam, lParam);
      })) {}

ZKMonItemMsgServer::ZKMonItemMsgServer(Poster poster) : poster_(std::move(poster)) {}

ZKMonItemMsgServer::~ZKMonItemMsgServer() {
    Stop();
}

void ZKMonItemMsgServer::Start() {
    if (thread_.joinable()) return;
    stop_ = false;
    finished_.Reset();
    thread_ = std::thread([this] { Run(); });
}

void ZKMonItemMsgServer::Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    wake_.Set();
    // A tick stuck in a server call may outlast the wait; the join still comes before anything goes.
    finished_.Wait(kStopWaitMs);
    thread_.join();
    std::vector<zk::WPARAM> used;
    {
        std::lock_guard items(itemLock_);
        for (std::uint16_t slot = 0; slot < kSlots; ++slot) {
            for (auto& item : slots_[slot])
                item->value = kNoValue;
            if (!slots_[slot].empty()) used.push_back(slot);
        }
    }
    for (zk::WPARAM slot : used)
        NotifySlot(slot);
}

void ZKMonItemMsgServer::Run() {
    using Clock = std::chrono::steady_clock;
    constexpr auto kTick = std::chrono::milliseconds(kTickMs);
    auto last = Clock::now();  // when the last tick was due
    auto due = last + kTick;
    int skip = 0;  // empty slots to pass over at the next tick
    while (!stop_) {
        const auto now = Clock::now();
        if (now < due) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now);
            // Woken early by Stop, or by a new monitor item: tick again in 10 ms, passing over only the slots
            // slept through, so that the item's slots come round from here on.
            if (wake_.Wait(static_cast<std::uint32_t>(wait.count())) && !stop_ && AnyMonitorItems()) {
                skip = std::min(skip, static_cast<int>((Clock::now() - last) / kTick));
                due = std::min(due, last + (skip + 1) * kTick);
            }
            continue;
        }
        currentSlot_ = static_cast<std::uint16_t>((currentSlot_ + skip) % kSlots);
        Tick();
        last = due;
        skip = TicksAhead() - 1;
        // A tick that ran late is followed by the next one at once, as a periodic timer's would be.
        due = std::max(last + (skip + 1) * kTick, Clock::now());
    }
    finished_.Set();
}

bool ZKMonItemMsgServer::AnyMonitorItems() {
    std::lock_guard items(itemLock_);
    return std::any_of(slots_.begin(), slots_.end(), [](const Slot& slot) { return !slot.empty(); });
}

std::uint16_t ZKMonItemMsgServer::TicksAhead() {
    const std::uint16_t sincePoll = currentSlot_ % kPollEvery;
    if (sincePoll == 0 || AnyMonitorItems()) return 1;
    return static_cast<std::uint16_t>(kPollEvery - sincePoll + 1);
}

void ZKMonItemMsgServer::Tick() {
    std::lock_guard work(workLock_);
    try {
        if (!ZKASSERT(ItemCount() < kMaxItems)) throw std::runtime_error("too many items");
        if (!IsConnected()) throw std::runtime_error("not connected");
        // Messages are polled also while the profile is not in sync.
        PollMessages();
        if (!IsInSync()) throw std::runtime_error("not in sync");
        ReadSlot();
    } catch (const std::exception&) {
        Invalidate();
    }
    currentSlot_ = static_cast<std::uint16_t>((currentSlot_ + 1) % kSlots);
}

void ZKMonItemMsgServer::PollMessages() {
    if (currentSlot_ % kPollEvery != 0) return;
    {
        std::lock_guard clients(clientLock_);
        if (clients_.empty()) return;
    }
    std::vector<std::string> batch;
    std::string text;
    // Each read may take up to a call deadline; Stop must not wait for a hundred of them.
    while (batch.size() < kMaxBatch && !stop_ && NextMessage(text, ZKOnFailure::KeepLink))
        batch.push_back(std::move(text));
    if (batch.empty()) return;
    std::lock_guard post(postLock_);
    const zk::WPARAM serial = g_nextBatch++;
    pending_.emplace(serial, std::move(batch));
    // A batch whose message cannot be queued is never delivered.
    if (!Post(WMU_DEV_TEXT, serial)) pending_.erase(serial);
}

void ZKMonItemMsgServer::ReadSlot() {
    std::vector<std::uint16_t> ids;
    std::vector<std::uint16_t> positions;
    {
        std::lock_guard items(itemLock_);
        for (auto& item : slots_[currentSlot_]) {
            std::uint16_t position = 0;
            if (!PositionOf(item->id, position) || position >= kMaxItems) continue;
            if (item->rawIndex < 0) item->rawIndex = position;
            ids.push_back(item->id);
            positions.push_back(position);
        }
    }
    for (std::size_t at = 0; at < ids.size(); at += kMaxReadChunk) {
        if (stop_) throw std::runtime_error("stopping");
        const std::size_t end = std::min(ids.size(), at + kMaxReadChunk);
        const std::vector<std::uint16_t> chunk(ids.begin() + static_cast<std::ptrdiff_t>(at),
                                               ids.begin() + static_cast<std::ptrdiff_t>(end));
        std::vector<std::uint32_t> raws;
        if (!ReadMonitorValues(chunk, raws, ZKOnFailure::KeepLink) || raws.size() != chunk.size())
            throw std::runtime_error("problem");
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            if (!ConvertValue(chunk[i], raws[i], values_[positions[at + i]]))
                throw std::runtime_error("problem");
        }
    }
    std::lock_guard items(itemLock_);
    const Slot& slot = slots_[currentSlot_];
    for (auto& item : slot) {
        std::uint16_t position = 0;
        if (PositionOf(item->id, position) && position < kMaxItems) item->value = values_[position];
    }
    // An empty slot has nobody to tell.
    if (!slot.empty()) Post(WMU_MON_VALUES, currentSlot_);
    invalidated_ = false;
}

void ZKMonItemMsgServer::Invalidate() {
    std::lock_guard items(itemLock_);
    if (invalidated_) return;
    for (std::uint16_t slot = 0; slot < kSlots; ++slot) {
        for (auto& item : slots_[slot])
            item->value = kNoValue;
        if (!slots_[slot].empty()) Post(WMU_MON_VALUES, slot);
    }
    invalidated_ = true;
}

bool ZKMonItemMsgServer::Post(zk::UINT message, zk::WPARAM wParam) {
    return poster_ && poster_(message, wParam, 0);
}

bool ZKMonItemMsgServer::AddMessageClient(ZKDevMsgClient* client) {
    std::lock_guard clients(clientLock_);
    if (!client || std::find(clients_.begin(), clients_.end(), client) != clients_.end()) return false;
    clients_.push_back(client);
    return true;
}

bool ZKMonItemMsgServer::RemoveMessageClient(ZKDevMsgClient* client) {
    std::lock_guard clients(clientLock_);
    const auto it = std::find(clients_.begin(), clients_.end(), client);
    if (it == clients_.end()) return false;
    clients_.erase(it);
    return true;
}

void ZKMonItemMsgServer::DispatchMessages(zk::WPARAM serial) {
    std::vector<std::string> batch;
    {
        std::lock_guard post(postLock_);
        const auto it = pending_.find(serial);
        if (it == pending_.end()) return;
        batch = std::move(it->second);
        pending_.erase(it);
    }
    std::vector<ZKDevMsgClient*> clients;
    {
        std::lock_guard lock(clientLock_);
        clients = clients_;
    }
    for (ZKDevMsgClient* client : clients) {
        // A client may remove another (or itself) while it receives.
        {
            std::lock_guard lock(clientLock_);
            if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) continue;
        }
        client->ReceiveMessages(batch);
    }
}

void ZKMonItemMsgServer::NotifySlot(zk::WPARAM slot) {
    if (!ZKASSERT(slot < kSlots)) return;
    struct Call {
        ZKMonSubscriber* subscriber;
        std::uint16_t id;
        double value;
        std::uint32_t cookie;
    };
    std::vector<Call> calls;
    {
        std::lock_guard items(itemLock_);
        for (const auto& item : slots_[slot])
            for (const Subscription& s : item->subscribers)
                calls.push_back({s.subscriber, item->id, item->value, s.cookie});
    }
    // Called outside the lock, so a subscriber may change its subscriptions.
    for (const Call& call : calls)
        call.subscriber->MonValue(call.id, call.value, static_cast<std::uint16_t>(slot), call.cookie);
}

bool ZKMonItemMsgServer::AddMonitorItem(std::uint16_t itemId, ZKMonSubscriber* subscriber,
                                        std::uint32_t cookie, std::uint32_t rate) {
    std::lock_guard work(workLock_);
    if (!ZKASSERT(rate <= kMaxRate)) return false;  // "bad mon freq"
    if (!Profile()) return false;                   // "no profile"
    if (!ZKASSERT(HasProfileItem(itemId))) return false;
    std::uint16_t position = 0;
    const std::int32_t rawIndex = PositionOf(itemId, position) ? position : -1;
    std::lock_guard items(itemLock_);
    for (std::uint32_t k = 0; k < rate; ++k) {
        Slot& slot = slots_[k * kSlots / rate];
        const auto same =
            std::find_if(slot.begin(), slot.end(), [&](const auto& item) { return item->id == itemId; });
        if (same != slot.end()) {
            (*same)->subscribers.push_back({subscriber, cookie});
            continue;
        }
        auto item = std::make_unique<MonItem>();
        item->id = itemId;
        item->subscribers.push_back({subscriber, cookie});
        item->rawIndex = rawIndex;
        const auto after =
            std::find_if(slot.begin(), slot.end(), [&](const auto& other) { return other->id > itemId; });
        slot.insert(after, std::move(item));
    }
    wake_.Set();  // a worker asleep until the next poll ticks every 10 ms again
    return true;
}

bool ZKMonItemMsgServer::RemoveMonitorItem(std::uint16_t itemId, ZKMonSubscriber* subscriber,
                                           std::uint32_t cookie) {
    std::lock_guard work(workLock_);
    if (!Profile()) return false;
    std::lock_guard items(itemLock_);
    for (Slot& slot : slots_) {
        const auto it =
            std::find_if(slot.begin(), slot.end(), [&](const auto& item) { return item->id == itemId; });
        if (it == slot.end()) continue;
        auto& subscribers = (*it)->subscribers;
        std::erase_if(subscribers, [&](const Subscription& s) {
            return s.subscriber == subscriber && s.cookie == cookie;
        });
        if (subscribers.empty()) slot.erase(it);
    }
    return true;
}
