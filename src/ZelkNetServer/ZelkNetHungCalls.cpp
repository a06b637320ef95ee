#include "ZelkNetServer/ZelkNetHungCalls.h"

#include <algorithm>

ZelkNetHungCalls::~ZelkNetHungCalls() {
    Close();
}

void ZelkNetHungCalls::Park(ZelkNetParkedCall* call) {
    {
        std::lock_guard lock(mutex_);
        if (!closed_) {
            calls_.push_back({call, std::chrono::system_clock::now()});
            return;
        }
    }
    call->Release();
}

void ZelkNetHungCalls::ReleaseGone() {
    const auto now = std::chrono::system_clock::now();
    std::vector<Parked> gone;
    {
        std::lock_guard lock(mutex_);
        const auto kept = std::stable_partition(calls_.begin(), calls_.end(), [now](const Parked& parked) {
            return !parked.call->Gone(now) && now - parked.since <= kLongestHang;
        });
        gone.assign(kept, calls_.end());
        calls_.erase(kept, calls_.end());
    }
    Release(gone);
}

void ZelkNetHungCalls::Close() {
    std::vector<Parked> all;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        all.swap(calls_);
    }
    Release(all);
}

std::size_t ZelkNetHungCalls::Count() const {
    std::lock_guard lock(mutex_);
    return calls_.size();
}

void ZelkNetHungCalls::Release(const std::vector<Parked>& calls) {
    // Outside the lock: an answered call may be deleted at once.
    for (const Parked& parked : calls)
        parked.call->Release();
}
