#include "ZelkNetServer/ZelkNetCallQueue.h"

#include <grpc/support/time.h>

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

void ZelkNetCallQueue::Run() {
    using Clock = std::chrono::steady_clock;
    auto lastEvent = Clock::now() - spin_;
    void* tag = nullptr;
    bool ok = false;
    for (;;) {
        // Within the spin window a zero deadline polls the socket once and returns at once.
        const bool spinning = Clock::now() - lastEvent < spin_;
        const gpr_timespec deadline =
            spinning ? gpr_time_0(GPR_CLOCK_MONOTONIC) : gpr_inf_future(GPR_CLOCK_MONOTONIC);
        switch (queue_->AsyncNext(&tag, &ok, deadline)) {
            case grpc::CompletionQueue::SHUTDOWN:
                return;
            case grpc::CompletionQueue::GOT_EVENT:
                static_cast<ZelkNetCallTag*>(tag)->Proceed(ok);
                lastEvent = Clock::now();
                break;
            case grpc::CompletionQueue::TIMEOUT:
                break;
        }
    }
}
