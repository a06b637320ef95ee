#include "ZelkNetServer/ZelkNetMessageQueue.h"

std::string ZelkNetMessageQueue::DropNotice(std::size_t count) {
    return std::to_string(count) + " messages were dropped by the device server!!";
}

void ZelkNetMessageQueue::PushLocked(std::string text) {
    bytes_ += text.size();
    queue_.push_back(std::move(text));
    while (!queue_.empty() && (queue_.size() > limits_.messages || bytes_ > limits_.bytes)) {
        bytes_ -= queue_.front().size();
        queue_.pop_front();
        ++dropped_;
        ++unannounced_;
    }
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
    if (unannounced_ > 0) {
        const std::size_t count = unannounced_;
        unannounced_ = 0;
        return DropNotice(count);
    }
    if (queue_.empty()) return std::nullopt;
    std::string text = std::move(queue_.front());
    queue_.pop_front();
    bytes_ -= text.size();
    return text;
}

std::size_t ZelkNetMessageQueue::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t ZelkNetMessageQueue::Bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::size_t ZelkNetMessageQueue::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}
