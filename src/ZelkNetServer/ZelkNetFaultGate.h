#pragma once
// How a served call ends, and the first step of every served call: an injected fault makes it fail, or
// hang until its client gave up.

#include <grpcpp/server_context.h>

#include <optional>

#include "Common/device/ZKNetCodes.h"
#include "ZelkNetServer/ZelkNetWorld.h"

// A handler's outcome: the status to finish with, at once or, for a hung call, once the client gave up.
struct ZelkNetAnswer {
    ZelkNetAnswer(grpc::Status finish)
        : status(std::move(finish)) {}  // NOLINT: a plain status answers at once
    static ZelkNetAnswer Hang(grpc::Status finish) {
        ZelkNetAnswer answer(std::move(finish));
        answer.hang = true;
        return answer;
    }

    grpc::Status status;
    bool hang = false;
};

// Declares `ServeName`, the handler of the unary method `Name`. Handlers run on the server's one serving
// thread and must not block.
#define ZK_SERVE(Name, Request, Reply) \
    ZelkNetAnswer Serve##Name(grpc::ServerContext* context, const Request* request, Reply* reply)

// An answer when the call must end now (E_FAIL in the reply) or hang; nothing when it goes on.
template <typename Reply>
std::optional<ZelkNetAnswer> ZelkNetFaultGate(ZelkNetWorld& world, const char* operation, Reply* reply) {
    const ZelkNetFault fault = world.TakeFault(operation);
    if (fault == ZelkNetFault::None) return std::nullopt;
    reply->set_hresult(zknet::kE_FAIL);
    return fault == ZelkNetFault::Hang ? ZelkNetAnswer::Hang(grpc::Status::OK)
                                       : ZelkNetAnswer(grpc::Status::OK);
}
