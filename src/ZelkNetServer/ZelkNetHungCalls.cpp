#include "ZelkNetServer/ZelkNetHungCalls.h"

#include <algorithm>

// One parked call. gRPC owns it: it deletes itself once the call is done, which is only after Finish, and
// Finish comes only after the call left the list.
class ZelkNetHungCalls::Call final : public grpc::ServerUnaryReactor {
public:
    Call(grpc::CallbackServerContext* context, grpc::Status status)
        : context_(context), status_(std::move(status)), since_(std::chrono::steady_clock::now()) {}

    // gRPC cancels a call whose deadline passed. (Comparing with the deadline here would answer a hair
    // before the client's own deadline: the client must see its call time out, not fail.)
    bool Gone() const {
        return context_->IsCancelled() || std::chrono::steady_clock::now() - since_ > kLongestHang;
    }
    void Release() { Finish(status_); }
    void OnDone() override { delete this; }

private:
    grpc::CallbackServerContext* context_;
    grpc::Status status_;
    std::chrono::steady_clock::time_point since_;
};

ZelkNetHungCalls::~ZelkNetHungCalls() {
    Close();
}

grpc::ServerUnaryReactor* ZelkNetHungCalls::Park(grpc::CallbackServerContext* context, grpc::Status status) {
    auto* call = new Call(context, std::move(status));
    {
        std::lock_guard lock(mutex_);
        if (!closed_) {
            calls_.push_back(call);
            return call;
        }
    }
    call->Release();
    return call;
}

void ZelkNetHungCalls::ReleaseGone() {
    std::vector<Call*> gone;
    {
        std::lock_guard lock(mutex_);
        const auto kept =
            std::stable_partition(calls_.begin(), calls_.end(), [](Call* call) { return !call->Gone(); });
        gone.assign(kept, calls_.end());
        calls_.erase(kept, calls_.end());
    }
    Release(std::move(gone));
}

void ZelkNetHungCalls::Close() {
    std::vector<Call*> all;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        all.swap(calls_);
    }
    Release(std::move(all));
}

std::size_t ZelkNetHungCalls::Count() const {
    std::lock_guard lock(mutex_);
    return calls_.size();
}

void ZelkNetHungCalls::Release(std::vector<Call*> calls) {
    // Outside the lock: a finished call may be deleted at once.
    for (Call* call : calls)
        call->Release();
}
