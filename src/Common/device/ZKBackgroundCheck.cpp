#include "Common/device/ZKBackgroundCheck.h"

#include <utility>

ZKBackgroundCheck::ZKBackgroundCheck(Check check) : check_(std::move(check)) {}

ZKBackgroundCheck::~ZKBackgroundCheck() {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::optional<bool> ZKBackgroundCheck::TakeAnswer() {
    std::lock_guard guard(lock_);
    return std::exchange(answer_, std::nullopt);
}

bool ZKBackgroundCheck::StartIfIdle() {
    {
        std::lock_guard guard(lock_);
        if (requested_ || answer_) return false;
        requested_ = true;
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    changed_.notify_all();
    return true;
}

void ZKBackgroundCheck::WaitIdle() {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [this] { return !requested_; });
}

void ZKBackgroundCheck::Run() {
    std::unique_lock guard(lock_);
    for (;;) {
        changed_.wait(guard, [this] { return quit_ || requested_; });
        if (quit_) return;
        guard.unlock();
        const bool alive = check_();
        guard.lock();
        answer_ = alive;
        requested_ = false;
        changed_.notify_all();
    }
}
