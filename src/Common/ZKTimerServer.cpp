#include "Common/ZKTimerServer.h"

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>

#include "Platform/MMTimer.h"
#include "Platform/Window.h"
#include "Platform/ZKAssert.h"

namespace {

constexpr std::uint32_t kMaxWaitingTicks = 5;
constexpr zk::LPARAM kTickMarker = 0x5A4B5454;  // lParam of every tick message

struct Entry {
    std::uint64_t serial = 0;  // identifies the registration in tick messages
    std::uint32_t posted = 0;
    std::uint32_t handled = 0;
    std::uint32_t due = 0;
    std::uint32_t period = 0;  // 0: one-shot
    std::uint32_t id = 0;
    ZKTimerClient* client = nullptr;
    std::uint32_t param = 0;
};

struct Service {
    std::mutex lock;
    std::uint32_t resolution = 1;
    std::unique_ptr<zk::MMTimer> timer;
    zk::MMTimer::TimerId armedId = 0;
    std::uint64_t armedToken = 0;  // a callback with another token is stale and does nothing
    std::list<Entry> pending;      // ascending due time; equal due times in adding order
    std::list<Entry> fired;        // one-shots posted and not yet delivered
    std::uint64_t nextSerial = 1;
    std::uint64_t nextToken = 1;
    zk::HWND window;
};

Service* g_service = nullptr;

bool DueBefore(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) < 0;
}

void InsertInDueOrder(Service& s, Entry entry) {
    auto pos = std::find_if(s.pending.begin(), s.pending.end(),
                            [&](const Entry& e) { return DueBefore(entry.due, e.due); });
    s.pending.insert(pos, entry);
}

void OnTimer(std::uint64_t token);

// Arms the one-shot timer for the first pending entry. Returns the id of a timer to kill once the lock is
// released (killing under the lock could wait for a callback that waits for the lock).
zk::MMTimer::TimerId ArmLocked(Service& s) {
    const zk::MMTimer::TimerId old = s.armedId;
    s.armedId = 0;
    s.armedToken = 0;
    if (s.pending.empty() || !s.timer) return old;
    const std::uint32_t now = zk::TimeGetTime();
    const std::uint32_t due = s.pending.front().due;
    const std::uint32_t delay = DueBefore(now, due) ? due - now : 1;
    const std::uint64_t token = s.nextToken++;
    s.armedId = s.timer->SetEvent(std::max(delay, s.resolution), zk::MMTimer::Kind::OneShot,
                                  [token] { OnTimer(token); });
    ZKASSERT(s.armedId != 0);
    if (s.armedId) s.armedToken = token;
    return old;
}

void Kill(zk::MMTimer::TimerId id) {
    if (id && g_service && g_service->timer) g_service->timer->KillEvent(id);
}

void Post(const Service& s, const Entry& e) {
    zk::PostMessage(s.window, WMU_TIMER_TICK, static_cast<zk::WPARAM>(e.serial), kTickMarker);
}

void OnTimer(std::uint64_t token) {
    Service* s = g_service;
    if (!s) return;
    std::lock_guard guard(s->lock);
    if (token != s->armedToken) return;
    s->armedId = 0;
    s->armedToken = 0;
    const std::uint32_t now = zk::TimeGetTime();
    std::list<Entry> requeue;
    while (!s->pending.empty() && !DueBefore(now, s->pending.front().due)) {
        Entry e = s->pending.front();
        s->pending.pop_front();
        const bool windowExists = zk::IsWindow(s->window);
        if (e.period != 0) {
            if (e.posted - e.handled < kMaxWaitingTicks && windowExists) {
                ++e.posted;
                Post(*s, e);
            }
            requeue.push_back(e);
        } else if (windowExists) {
            s->fired.push_back(e);
            Post(*s, e);
        }
    }
    for (Entry& e : requeue) {
        e.due = now + e.period;
        InsertInDueOrder(*s, e);
    }
    // The callback's own timer has fired and is gone; nothing to kill.
    ArmLocked(*s);
}

template <typename Match>
bool RemoveMatching(Match match) {
    Service* s = g_service;
    if (!s) return false;
    zk::MMTimer::TimerId kill = 0;
    bool removed = false;
    {
        std::lock_guard guard(s->lock);
        if (!s->pending.empty() && match(s->pending.front())) {
            s->pending.pop_front();
            kill = ArmLocked(*s);
            removed = true;
        }
        removed |= std::erase_if(s->pending, match) > 0;
        removed |= std::erase_if(s->fired, match) > 0;
    }
    Kill(kill);
    return removed;
}

void Add(std::uint32_t delay, std::uint32_t period, std::uint32_t id, ZKTimerClient* client,
         std::uint32_t param) {
    Service* s = g_service;
    if (!ZKASSERT(s != nullptr)) return;
    ZKTimerServer::Remove(id, client);
    zk::MMTimer::TimerId kill = 0;
    {
        std::lock_guard guard(s->lock);
        Entry e;
        e.serial = s->nextSerial++;
        e.due = zk::TimeGetTime() + delay;
        e.period = period;
        e.id = id;
        e.client = client;
        e.param = param;
        InsertInDueOrder(*s, e);
        if (s->pending.front().serial == e.serial) kill = ArmLocked(*s);
    }
    Kill(kill);
}

}  // namespace

ZKTimerServer::ZKTimerServer() {
    if (!ZKASSERT(g_service == nullptr)) return;
    auto* s = new Service;
    const zk::TimerCaps caps = zk::TimeGetDevCaps();
    s->resolution = std::min(std::max<std::uint32_t>(caps.periodMin, 1), caps.periodMax);
    s->timer = std::make_unique<zk::MMTimer>();
    g_service = s;
}

ZKTimerServer::~ZKTimerServer() {
    Service* s = g_service;
    if (!s) return;
    std::unique_ptr<zk::MMTimer> timer;
    {
        std::lock_guard guard(s->lock);
        s->pending.clear();
        s->fired.clear();
        s->armedId = 0;
        s->armedToken = 0;
        timer = std::move(s->timer);
    }
    timer.reset();  // joins the timer thread; a callback still waiting for the lock finds nothing to do
    g_service = nullptr;
    delete s;
}

void ZKTimerServer::SetTickWindow(zk::HWND hwnd) {
    if (!g_service) return;
    std::lock_guard guard(g_service->lock);
    g_service->window = hwnd;
}

void ZKTimerServer::AddPeriodic(std::uint32_t periodMs, std::uint32_t id, ZKTimerClient* client,
                                std::uint32_t param) {
    if (!ZKASSERT(periodMs != 0)) return;
    Add(periodMs, periodMs, id, client, param);
}

void ZKTimerServer::AddOneShot(std::uint32_t delayMs, std::uint32_t id, ZKTimerClient* client,
                               std::uint32_t param) {
    if (delayMs == 0) return;
    Add(delayMs, 0, id, client, param);
}

bool ZKTimerServer::Remove(std::uint32_t id, ZKTimerClient* client) {
    return RemoveMatching([&](const Entry& e) { return e.id == id && e.client == client; });
}

bool ZKTimerServer::RemoveAll(ZKTimerClient* client) {
    return RemoveMatching([&](const Entry& e) { return e.client == client; });
}

bool ZKTimerServer::IsRegistered(std::uint32_t id, ZKTimerClient* client) {
    Service* s = g_service;
    if (!s) return false;
    std::lock_guard guard(s->lock);
    const auto match = [&](const Entry& e) { return e.id == id && e.client == client; };
    return std::any_of(s->pending.begin(), s->pending.end(), match) ||
           std::any_of(s->fired.begin(), s->fired.end(), match);
}

void ZKTimerServer::Deliver(zk::WPARAM tick) {
    Service* s = g_service;
    if (!s) return;
    ZKTimerClient* client = nullptr;
    std::uint32_t id = 0;
    std::uint32_t param = 0;
    {
        std::lock_guard guard(s->lock);
        const auto match = [&](const Entry& e) { return e.serial == tick; };
        auto it = std::find_if(s->pending.begin(), s->pending.end(), match);
        if (it != s->pending.end()) {
            client = it->client;
            id = it->id;
            param = it->param;
            if (it->period != 0) ++it->handled;
        } else {
            it = std::find_if(s->fired.begin(), s->fired.end(), match);
            if (it == s->fired.end()) return;  // removed after the tick was posted: ignore it
            client = it->client;
            id = it->id;
            param = it->param;
            s->fired.erase(it);
        }
    }
    try {
        client->Tick(id, param);
    } catch (...) {
        // A client's failure must not take the GUI thread down.
    }
}

std::uint32_t ZKTimerServer::Resolution() {
    return g_service ? g_service->resolution : 0;
}
