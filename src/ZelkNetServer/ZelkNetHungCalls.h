#pragma once
// Calls that must not be answered yet: an injected hang, or a lost server that ignores Ping. A hung call
// holds no thread; it waits here until its client gave up (its deadline passed), the server stops or a
// safety limit passes, and is then answered with what it was parked with.

#include <chrono>
#include <mutex>
#include <vector>

// A call that can wait for its answer.
class ZelkNetParkedCall {
public:
    virtual ~ZelkNetParkedCall() = default;
    // True when its client no longer waits for the answer.
    virtual bool Gone(std::chrono::system_clock::time_point now) const = 0;
    // Sends the answer; the call may be gone right after.
    virtual void Release() = 0;
};

class ZelkNetHungCalls {
public:
    // A hung call never outlives this, whatever its deadline says.
    static constexpr std::chrono::seconds kLongestHang{30};

    ZelkNetHungCalls() = default;
    ~ZelkNetHungCalls();
    ZelkNetHungCalls(const ZelkNetHungCalls&) = delete;
    ZelkNetHungCalls& operator=(const ZelkNetHungCalls&) = delete;

    // Keeps the call until it is gone; after Close it is answered at once.
    void Park(ZelkNetParkedCall* call);
    // Answers the calls whose client is gone or whose time is up.
    void ReleaseGone();
    // Answers every call, now and from now on.
    void Close();
    std::size_t Count() const;

private:
    struct Parked {
        ZelkNetParkedCall* call;
        std::chrono::system_clock::time_point since;
    };
    static void Release(const std::vector<Parked>& calls);

    mutable std::mutex mutex_;
    std::vector<Parked> calls_;
    bool closed_ = false;
};
