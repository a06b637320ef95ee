#include "Common/profile/ZKProfileLoader.h"

#include "Common/profile/ZPImageLoader.h"

ZKProfileLoader::ZKProfileLoader(std::vector<std::uint8_t> image, ProgressSink progress, ZPImageKeys keys)
    : image_(std::move(image)), progressSink_(std::move(progress)), keys_(std::move(keys)) {
    thread_ = std::thread([this] { Run(); });
}

ZKProfileLoader::~ZKProfileLoader() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void ZKProfileLoader::Run() {
    ZPImageStream::Hooks hooks;
    hooks.progress = [this](int percent) {
        progress_.store(percent);
        if (progressSink_) progressSink_(percent);
    };
    hooks.cancelled = [this] { return stop_.load(); };
    std::string error;
    const bool loaded = ZPImageLoader::Load(image_, loading_, hooks, error, keys_);
    if (!loaded) loading_.Reset();
    std::lock_guard lock(mutex_);
    error_ = error;
    exitCode_.store(loaded ? 1 : 0);
    ended_.notify_all();
}

std::string ZKProfileLoader::Error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool ZKProfileLoader::Wait(std::chrono::milliseconds limit) {
    {
        std::unique_lock lock(mutex_);
        if (!ended_.wait_for(lock, limit, [this] { return exitCode_.load() != kStillActive; })) return false;
    }
    if (thread_.joinable()) thread_.join();
    return true;
}

bool ZKProfileLoader::Stop(std::chrono::milliseconds limit) {
    RequestStop();
    return Wait(limit);
}

bool ZKProfileLoader::MoveLoadedInto(ZKProfilePlus& live) {
    if (moved_ || ExitCode() != 1 || !Wait(std::chrono::milliseconds(0))) return false;
    live.TakeFrom(loading_);
    moved_ = true;
    return true;
}
