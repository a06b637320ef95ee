#pragma once
// A yes/no check that may block (a ping of the device server) run on a thread of its own, so that the GUI
// thread that asks for it is never held while the server takes its time. At most one check is ever in
// flight: a tick that finds the previous check still running starts no other. The answer is collected at
// a later tick.
//
//     if (const auto alive = check_.TakeAnswer(); alive && !*alive) ReportLost();
//     else check_.StartIfIdle();
//
// The thread is started by the first check and ends with the object; the destructor waits for a check in
// flight, which its call deadline bounds.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class ZKBackgroundCheck {
public:
    using Check = std::function<bool()>;

    explicit ZKBackgroundCheck(Check check);
    ~ZKBackgroundCheck();
    ZKBackgroundCheck(const ZKBackgroundCheck&) = delete;
    ZKBackgroundCheck& operator=(const ZKBackgroundCheck&) = delete;

    // The answer of the check that finished since the last call; nothing while one runs or none ran.
    std::optional<bool> TakeAnswer();
    // Starts a check unless one is in flight or its answer has not been taken. True when one was started.
    bool StartIfIdle();
    // Waits until no check is in flight (its answer stays to be taken).
    void WaitIdle();

private:
    void Run();

    Check check_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool requested_ = false;  // a check is asked for or running
    bool quit_ = false;
    std::optional<bool> answer_;
    std::thread thread_;
};
