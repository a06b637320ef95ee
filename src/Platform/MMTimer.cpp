#include "Platform/MMTimer.h"

namespace zk {

std::uint32_t TimeGetTime() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TimerCaps TimeGetDevCaps() {
    return {};
}

// --- Event ---

Event::Event(ResetMode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

void Event::Set() {
    // Notify under the lock: a waiter that sees the flag may destroy the event as soon as the lock is free.
    std::lock_guard lock(mutex_);
    set_ = true;
    cv_.notify_all();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto isSet = [this] { return set_; };
    if (timeoutMs == kInfinite)
        cv_.wait(lock, isSet);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet))
        return false;
    if (mode_ == ResetMode::Auto) set_ = false;
    return true;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

// --- MMTimer ---

MMTimer::~MMTimer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        timers_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

MMTimer::TimerId MMTimer::SetEvent(std::uint32_t delayMs, Kind kind, Callback callback) {
    if (!callback) return 0;
    std::lock_guard lock(mutex_);
    TimerId id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    Entry entry;
    entry.due = Clock::now() + std::chrono::milliseconds(delayMs);
    if (kind == Kind::Periodic) entry.period = std::chrono::milliseconds(delayMs == 0 ? 1 : delayMs);
    entry.callback = std::move(callback);
    timers_.emplace(id, std::move(entry));
    StartThreadLocked();
    wake_.notify_all();
    return id;
}

MMTimer::TimerId MMTimer::SetEvent(std::uint32_t delayMs, Kind kind, Event& event) {
    return SetEvent(delayMs, kind, [&event] { event.Set(); });
}

bool MMTimer::KillEvent(TimerId id) {
    std::unique_lock lock(mutex_);
    const bool known = timers_.erase(id) > 0;
    if (std::this_thread::get_id() != thread_.get_id()) finished_.wait(lock, [&] { return running_ != id; });
    wake_.notify_all();
    return known;
}

void MMTimer::StartThreadLocked() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void MMTimer::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (timers_.empty()) {
            wake_.wait(lock);
            continue;
        }
        auto next = timers_.begin();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (it->second.due < next->second.due) next = it;
        const auto now = Clock::now();
        if (next->second.due > now) {
            const auto due = next->second.due;  // a copy: the entry may go away while we wait
            wake_.wait_until(lock, due);
            continue;
        }
        const TimerId id = next->first;
        Callback callback = next->second.callback;
        if (next->second.period.count() == 0) {
            timers_.erase(next);
        } else {
            // Keep the period from the due time; beats missed while the thread was late are skipped.
            auto& due = next->second.due;
            do
                due += next->second.period;
            while (due <= now);
        }
        running_ = id;
        lock.unlock();
        callback();
        lock.lock();
        running_ = 0;
        finished_.notify_all();
    }
}

}  // namespace zk
