#include "ZelkNetServer/ZelkNetCallQueue.h"

#include <grpc/support/time.h>

#include "Common/device/ZKAdaptiveSpin.h"

ZelkNetCallQueue::ZelkNetCallQueue(std::unique_ptr<grpc::ServerCompletionQueue> queue, ZelkNetHungCalls& hung,
                                   std::chrono::microseconds spin)
    : queue_(std::move(queue)), hung_(hung), spin_(spin) {}

ZelkNetCallQueue::~ZelkNetCallQueue() {
    Shutdown();
}

void ZelkNetCallQueue::Start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void ZelkNetCallQueue::Shutdown() {
    if (!open_.exchange(false)) return;
    queue_->Shutdown();
    if (thread_.joinable()) {
        thread_.join();
    } else {
        Run();  // never started: the waiting calls still come back and must be freed
    }
}

namespace {

// A call that comes this soon after a spin window ran out had a caller waiting for a processor (a busy
// machine); one that comes later followed a pause.
constexpr std::chrono::milliseconds kNearMiss{20};

}  // namespace

void ZelkNetCallQueue::Run() {
    using Clock = std::chrono::steady_clock;
    ZKAdaptiveSpin adaptive;
    bool window = false;       // polling without sleep until windowEnd
    bool polledEmpty = false;  // the window has seen the queue empty
    bool ranOut = false;       // the last window ended without an event
    Clock::time_point windowEnd;
    void* tag = nullptr;
    bool ok = false;
    for (;;) {
        if (window && Clock::now() >= windowEnd) {
            window = false;
            ranOut = true;
        }
        // Within the spin window a zero deadline polls the socket once and returns at once.
        const gpr_timespec deadline =
            window ? gpr_time_0(GPR_CLOCK_MONOTONIC) : gpr_inf_future(GPR_CLOCK_MONOTONIC);
        switch (queue_->AsyncNext(&tag, &ok, deadline)) {
            case grpc::CompletionQueue::SHUTDOWN:
                return;
            case grpc::CompletionQueue::GOT_EVENT:
                // An event that was already waiting (a sent answer coming back) says nothing about the
                // spin, nor does a call after a pause.
                if (window && polledEmpty) {
                    adaptive.Spun(true);
                } else if (ranOut && Clock::now() - windowEnd < kNearMiss) {
                    adaptive.Spun(false);
                }
                static_cast<ZelkNetCallTag*>(tag)->Proceed(ok);
                window = spin_.count() > 0 && adaptive.ShouldSpin();
                polledEmpty = false;
                ranOut = false;
                windowEnd = Clock::now() + spin_;
                break;
            case grpc::CompletionQueue::TIMEOUT:
                polledEmpty = true;
                break;
        }
    }
}
