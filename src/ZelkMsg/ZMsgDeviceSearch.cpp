#include "ZelkMsg/ZMsgDeviceSearch.h"

#include "Common/device/ZKServer.h"

ZMsgDeviceSearch::~ZMsgDeviceSearch() {
    if (thread_.joinable()) thread_.join();
}

bool ZMsgDeviceSearch::Start(const ZKServer& server) {
    if (thread_.joinable()) return false;
    exitCode_ = -1;
    devices_.clear();
    thread_ = std::thread([this, &server] {
        std::vector<ZKDeviceListEntry> found;
        const bool ok = server.GetDeviceList(found);
        std::lock_guard guard(lock_);
        devices_ = std::move(found);
        exitCode_ = ok ? 0 : 1;
        ended_.notify_all();
    });
    return true;
}

ZMsgDeviceSearch::State ZMsgDeviceSearch::Reap() {
    if (!thread_.joinable()) return State::None;
    const int code = exitCode_.load();
    if (code < 0) return State::Running;
    thread_.join();
    return code == 0 ? State::Succeeded : State::Failed;
}

void ZMsgDeviceSearch::WaitAndForget(std::chrono::milliseconds timeout) {
    if (!thread_.joinable()) return;
    {
        std::unique_lock guard(lock_);
        ended_.wait_for(guard, timeout, [this] { return exitCode_.load() >= 0; });
    }
    thread_.join();
}
