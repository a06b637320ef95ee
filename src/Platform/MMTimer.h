#pragma once
// Multimedia timers: a millisecond steady clock and event timers served by one timer thread.
//
// Callbacks run on the timer thread, never on the caller's thread; keep them short (post a message, set an
// event). After KillEvent returns, the timer's callback is not running and will not run again, except when
// KillEvent is called from inside that callback, where waiting would deadlock.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace zk {

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// Milliseconds of a steady clock since an arbitrary origin; wraps around after 2^32 ms like timeGetTime.
std::uint32_t TimeGetTime();

struct TimerCaps {
    std::uint32_t periodMin = 1;  // smallest supported delay or period, ms
    std::uint32_t periodMax = 1000000;
};
TimerCaps TimeGetDevCaps();

// A waitable flag in the manner of a Win32 event object.
class Event {
public:
    enum class ResetMode { Manual, Auto };
    explicit Event(ResetMode mode = ResetMode::Auto, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits until set or until timeoutMs passed (kInfinite: forever). An auto-reset event is cleared by the
    // wait that sees it set. Returns true when the event was set.
    bool Wait(std::uint32_t timeoutMs);
    bool IsSet() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    ResetMode mode_;
    bool set_;
};

class MMTimer {
public:
    using Callback = std::function<void()>;
    enum class Kind { OneShot, Periodic };
    using TimerId = std::uint32_t;  // 0 is never a valid id

    MMTimer() = default;
    ~MMTimer();
    MMTimer(const MMTimer&) = delete;
    MMTimer& operator=(const MMTimer&) = delete;

    // Starts a timer that first fires after delayMs; a periodic timer then fires every delayMs (at least 1),
    // measured from its previous due time so that it does not drift. Returns 0 when the callback is empty.
    TimerId SetEvent(std::uint32_t delayMs, Kind kind, Callback callback);
    // The same, setting an event instead of calling back. The event must outlive the timer.
    TimerId SetEvent(std::uint32_t delayMs, Kind kind, Event& event);
    // Cancels a timer. False when the id is unknown (already fired one-shot, or killed).
    bool KillEvent(TimerId id);

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        Clock::time_point due;
        std::chrono::milliseconds period{0};  // zero for a one-shot timer
        Callback callback;
    };

    void Run();
    void StartThreadLocked();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;  // signalled after each callback returns
    std::map<TimerId, Entry> timers_;
    TimerId nextId_ = 1;
    TimerId running_ = 0;  // id of the callback executing now, 0 for none
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace zk
