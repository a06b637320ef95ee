#pragma once
// Fails a test that hangs: if the watchdog is still alive after its timeout, it reports the test's name and
// ends the process, so a stuck message loop shows up as a failure instead of blocking the suite.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace zktest {

class Watchdog {
public:
    explicit Watchdog(std::chrono::milliseconds timeout, std::string what = "message loop")
        : thread_([this, timeout, what] {
              std::unique_lock lock(mutex_);
              if (!cv_.wait_for(lock, timeout, [this] { return done_; })) {
                  std::fprintf(stderr, "watchdog: %s still running after %lld ms\n", what.c_str(),
                               static_cast<long long>(timeout.count()));
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace zktest
