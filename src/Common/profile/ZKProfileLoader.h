#pragma once
// Loads a profile image on a worker thread into a profile of its own, as the window's profile loader.
//
// The window starts a loader with the image bytes, polls ExitCode on its status tick and, once the thread has
// ended with 1, moves the loaded profile into its live one (MoveLoadedInto). Until then the loader's profile
// belongs to the worker: nothing else may touch it. Stop sets the stop event, which the worker polls before
// each object, and waits a bounded time; the destructor always joins, so the worker never outlives its
// profile.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageKeys.h"

class ZKProfileLoader {
public:
    static constexpr int kStillActive = 259;
    // Called on the worker thread with index × 100 / count after each object.
    using ProgressSink = std::function<void(int percent)>;

    explicit ZKProfileLoader(std::vector<std::uint8_t> image, ProgressSink progress = {},
                             ZPImageKeys keys = ZPImageKeys::Installed());
    ~ZKProfileLoader();
    ZKProfileLoader(const ZKProfileLoader&) = delete;
    ZKProfileLoader& operator=(const ZKProfileLoader&) = delete;

    // kStillActive while the thread runs, then 1 on success and 0 on failure.
    int ExitCode() const { return exitCode_.load(); }
    // The last progress reported, 0..100.
    int Progress() const { return progress_.load(); }
    // The failure text once the thread has ended with 0.
    std::string Error() const;

    // Sets the stop event without waiting; safe from any thread, also from the progress sink.
    void RequestStop() { stop_.store(true); }
    // Sets the stop event and waits up to `limit` for the thread; true when it has ended (it is then joined).
    bool Stop(std::chrono::milliseconds limit);
    // Waits up to `limit` for the thread to end; true when it has (it is then joined).
    bool Wait(std::chrono::milliseconds limit);

    // When the thread has ended with 1: `live` takes the loaded profile (this loader's is left empty) and
    // true. Otherwise `live` is left as it is and false.
    bool MoveLoadedInto(ZKProfilePlus& live);

private:
    void Run();

    std::vector<std::uint8_t> image_;
    ProgressSink progressSink_;
    ZPImageKeys keys_;
    ZKProfilePlus loading_;
    std::atomic<int> exitCode_{kStillActive};
    std::atomic<int> progress_{0};
    std::atomic<bool> stop_{false};
    bool moved_ = false;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::string error_;
    std::thread thread_;
};
