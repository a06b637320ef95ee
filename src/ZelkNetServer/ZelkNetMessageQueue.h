#pragma once
// The pending text messages of one device, oldest first. Thread-safe: a device's message source (the
// simulation tick, a link's reader thread) pushes while clients pop. Messages wait here until someone reads
// them, whoever that is and however long it takes: a client that goes away loses nothing.
//
// The queue is bounded in messages and in bytes so that a source nobody reads cannot exhaust the server's
// memory. Beyond either limit the oldest messages go; the next read then answers a notice with the number
// dropped ("N messages were dropped by the device server!!", an alarm) before the messages that follow.

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ZelkNetQueueLimits {
    std::size_t messages = 1000000;
    std::size_t bytes = 64u << 20;  // the texts' bytes
};

class ZelkNetMessageQueue {
public:
    explicit ZelkNetMessageQueue(ZelkNetQueueLimits limits = {}) : limits_(limits) {}

    void Push(std::string text);
    void PushAll(const std::vector<std::string>& texts);
    // The next message: the drop notice first when messages were dropped since the last read.
    std::optional<std::string> Pop();
    std::size_t Size() const;
    std::size_t Bytes() const;
    // All messages dropped so far.
    std::size_t Dropped() const;

    static std::string DropNotice(std::size_t count);

private:
    void PushLocked(std::string text);

    mutable std::mutex mutex_;
    ZelkNetQueueLimits limits_;
    std::deque<std::string> queue_;
    std::size_t bytes_ = 0;
    std::size_t dropped_ = 0;
    std::size_t unannounced_ = 0;  // dropped since the last read
};
