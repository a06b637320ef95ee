#pragma once
// The pending text messages of one device, oldest first. Thread-safe: a device's message source (the
// simulation tick, later a link reader thread) pushes while clients pop. Messages wait here until someone
// reads them, whoever that is and however long it takes: a client that goes away loses nothing.

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class ZelkNetMessageQueue {
public:
    // A guard against a source that nobody ever reads: beyond this the oldest messages are dropped (and
    // counted) so that the server's memory stays bounded.
    static constexpr std::size_t kDefaultCapacity = 1000000;

    explicit ZelkNetMessageQueue(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    void Push(std::string text);
    void PushAll(const std::vector<std::string>& texts);
    std::optional<std::string> Pop();
    std::size_t Size() const;
    std::size_t Dropped() const;

private:
    void PushLocked(std::string text);

    mutable std::mutex mutex_;
    std::deque<std::string> queue_;
    std::size_t capacity_;
    std::size_t dropped_ = 0;
};
