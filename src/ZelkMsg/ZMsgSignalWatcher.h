#pragma once
// Console mode's Ctrl-C: SIGINT and SIGTERM close the main window the normal way (a posted WM_CLOSE), so the
// program shuts down in order and exits with 0.
//
// The two signals are blocked in the constructing thread and in every thread started after it, and taken by
// the watcher's own thread with sigwait; construct the watcher before any other thread starts. The
// constructing thread gets its signal mask back when the watcher goes.

#include <signal.h>

#include <atomic>
#include <thread>

#include "Platform/WindowTypes.h"

class ZMsgSignalWatcher {
public:
    ZMsgSignalWatcher();
    ~ZMsgSignalWatcher();
    ZMsgSignalWatcher(const ZMsgSignalWatcher&) = delete;
    ZMsgSignalWatcher& operator=(const ZMsgSignalWatcher&) = delete;

    // The window a signal closes. A signal that came before is acted on now.
    void SetWindow(zk::HWND window);

private:
    void Run();

    std::atomic<std::uint32_t> window_{0};
    std::atomic<bool> signalled_{false};
    std::atomic<bool> stopping_{false};
    sigset_t previousMask_{};
    std::thread thread_;
};
