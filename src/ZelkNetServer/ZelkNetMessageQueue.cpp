#include "ZelkNetServer/ZelkNetMessageQueue.h"

void ZelkNetMessageQueue::PushLocked(std::string text) {
    if (queue_.size() >= capacity_) {
        queue_.pop_front();
        ++dropped_;
    }
    queue_.push_back(std::move(text));
}

void ZelkNetMessageQueue::Push(std::string text) {
    std::lock_guard lock(mutex_);
    PushLocked(std::move(text));
}

void ZelkNetMessageQueue::PushAll(const std::vector<std::string>& texts) {
    std::lock_guard lock(mutex_);
    for (const std::string& text : texts)
        PushLocked(text);
}

std::optional<std::string> ZelkNetMessageQueue::Pop() {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return std::nullopt;
    std::string text = std::move(queue_.front());
    queue_.pop_front();
    return text;
}

std::size_t ZelkNetMessageQueue::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t ZelkNetMessageQueue::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}
