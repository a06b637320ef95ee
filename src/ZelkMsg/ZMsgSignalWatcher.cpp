#include "ZelkMsg/ZMsgSignalWatcher.h"

#include <pthread.h>

#include "Platform/Window.h"

namespace {

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void PostClose(std::uint32_t window) {
    if (window) zk::PostMessage(zk::HWND(window), zk::WM_CLOSE, 0, 0);
}

}  // namespace

ZMsgSignalWatcher::ZMsgSignalWatcher() {
    const sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, &previousMask_);
    thread_ = std::thread([this] { Run(); });
}

ZMsgSignalWatcher::~ZMsgSignalWatcher() {
    stopping_ = true;
    // The watcher's thread takes this SIGTERM itself through sigwait and sees that it should end.
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void ZMsgSignalWatcher::SetWindow(zk::HWND window) {
    window_ = window.id;
    if (signalled_) PostClose(window.id);
}

void ZMsgSignalWatcher::Run() {
    const sigset_t set = WatchedSignals();
    while (!stopping_) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0 || stopping_) continue;
        signalled_ = true;
        PostClose(window_);
    }
}
