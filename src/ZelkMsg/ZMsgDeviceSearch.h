#pragma once
// The background search for devices: one thread at a time asks the server for its device list. The GUI
// thread starts it, looks whether it has ended, and only then reads the list it found.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Common/device/ZKDeviceRecords.h"

class ZKServer;

class ZMsgDeviceSearch {
public:
    enum class State {
        None,       // no search thread
        Running,    // the thread still runs
        Succeeded,  // the thread ended with the list in Devices(); its handle is forgotten
        Failed,     // the thread ended without a list; its handle is forgotten
    };

    ZMsgDeviceSearch() = default;
    ~ZMsgDeviceSearch();
    ZMsgDeviceSearch(const ZMsgDeviceSearch&) = delete;
    ZMsgDeviceSearch& operator=(const ZMsgDeviceSearch&) = delete;

    // Starts a search unless one runs; false when a thread exists already. `server` must outlive it.
    bool Start(const ZKServer& server);
    bool HasThread() const { return thread_.joinable(); }
    // Running while the thread runs; once it has ended, its result, and the handle is forgotten.
    State Reap();
    // Waits at most `timeout` for a running thread to end, then forgets it. The thread's only call is the
    // server's device list, whose deadline bounds any wait beyond the timeout.
    void WaitAndForget(std::chrono::milliseconds timeout);

    // The devices the last successful search found. Read only after Reap gave Succeeded.
    const std::vector<ZKDeviceListEntry>& Devices() const { return devices_; }

private:
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable ended_;
    std::atomic<int> exitCode_{-1};  // -1 while running; 0 success, 1 failure
    std::vector<ZKDeviceListEntry> devices_;
};
