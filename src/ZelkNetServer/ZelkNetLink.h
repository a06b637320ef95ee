#pragma once
// The reader of one real text link. A thread of its own opens the link's port, reads it, cuts what arrives
// into lines (ZelkNetLineFramer) and hands them on; when the port fails or vanishes it reports the link
// down and opens the port again, waiting longer after each failed attempt (from 100 ms up to 5 s). Stop
// wakes the thread wherever it waits.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// One kind of port (serial, TCP): how to open it and whether an open port is still the one asked for.
class ZelkNetLinkPort {
public:
    virtual ~ZelkNetLinkPort() = default;
    // A readable, non-blocking, close-on-exec descriptor, or -1 with the reason. May wait (for a TCP
    // connection, for a peer), but returns once `wakeFd` becomes readable.
    virtual int Open(int wakeFd, std::string& why) = 0;
    // Asked now and then while the port is open: false when the port went away without the descriptor
    // noticing (the path of a serial port vanished or names another device).
    virtual bool StillThere(int /*fd*/) { return true; }
};

// Where a link's news go; called on the link's thread.
struct ZelkNetLinkSink {
    std::function<void(bool up)> state;
    std::function<void(const std::vector<std::string>& lines)> lines;
    std::function<void(const std::string& text)> log;
};

class ZelkNetLink {
public:
    static constexpr std::chrono::milliseconds kFirstRetry{100};
    static constexpr std::chrono::milliseconds kLastRetry{5000};

    // `name` prefixes the log lines ("serial /dev/ttyUSB0 115200 8N1").
    ZelkNetLink(std::string name, std::unique_ptr<ZelkNetLinkPort> port, ZelkNetLinkSink sink);
    ~ZelkNetLink();
    ZelkNetLink(const ZelkNetLink&) = delete;
    ZelkNetLink& operator=(const ZelkNetLink&) = delete;

    void Start();
    // Wakes and joins the thread; the link reports down if it was up. Idempotent.
    void Stop();

private:
    void Run();
    // Reads the open port until it fails, vanishes or Stop is called; returns what happened.
    std::string ReadUntilGone(int fd);
    // Waits `delay` or until Stop; false when stopped.
    bool Pause(std::chrono::milliseconds delay);
    void Log(const std::string& text) const;

    std::string name_;
    std::unique_ptr<ZelkNetLinkPort> port_;
    ZelkNetLinkSink sink_;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
