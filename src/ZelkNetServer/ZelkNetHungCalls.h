#pragma once
// Calls that must not be answered yet: an injected hang, or a lost server that ignores Ping. A hung call
// holds no thread; it waits here until its client gave up (deadline passed or cancelled), the server stops
// or a safety limit passes, and is then finished with the status it was parked with.

#include <grpcpp/server_context.h>
#include <grpcpp/support/server_callback.h>

#include <chrono>
#include <mutex>
#include <vector>

class ZelkNetHungCalls {
public:
    // A hung call never outlives this, whatever its deadline says.
    static constexpr std::chrono::seconds kLongestHang{30};

    ZelkNetHungCalls() = default;
    ~ZelkNetHungCalls();
    ZelkNetHungCalls(const ZelkNetHungCalls&) = delete;
    ZelkNetHungCalls& operator=(const ZelkNetHungCalls&) = delete;

    // The reactor that answers the call later; after Close the call is answered at once.
    grpc::ServerUnaryReactor* Park(grpc::CallbackServerContext* context, grpc::Status status);
    // Finishes the calls whose client is gone or whose time is up.
    void ReleaseGone();
    // Finishes every call, now and from now on.
    void Close();
    std::size_t Count() const;

private:
    class Call;
    void Release(std::vector<Call*> calls);

    mutable std::mutex mutex_;
    std::vector<Call*> calls_;
    bool closed_ = false;
};
