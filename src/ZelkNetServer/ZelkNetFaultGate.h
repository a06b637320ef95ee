#pragma once
// How a served call ends, and the first step of every served call: an injected fault makes it fail, or
// hang until its client gave up.

#include <grpcpp/server_context.h>
#include <grpcpp/support/server_callback.h>

#include <optional>

#include "Common/ZKNetCodes.h"
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

// Hands an answer to gRPC: the call's own reactor finished now, or a parked one.
inline grpc::ServerUnaryReactor* ZelkNetFinish(ZelkNetWorld& world, grpc::CallbackServerContext* context,
                                               ZelkNetAnswer answer) {
    if (answer.hang) return world.HungCalls().Park(context, std::move(answer.status));
    grpc::ServerUnaryReactor* reactor = context->DefaultReactor();
    reactor->Finish(std::move(answer.status));
    return reactor;
}

// Declares the unary method `Name` of a callback service and `ServeName`, the handler that answers it.
// Handlers run on gRPC's polling threads and must not block.
#define ZK_SERVE(Name, Request, Reply)                                                           \
    grpc::ServerUnaryReactor* Name(grpc::CallbackServerContext* context, const Request* request, \
                                   Reply* reply) override {                                      \
        return ZelkNetFinish(world_, context, Serve##Name(context, request, reply));             \
    }                                                                                            \
    ZelkNetAnswer Serve##Name(grpc::CallbackServerContext* context, const Request* request, Reply* reply)

// An answer when the call must end now (E_FAIL in the reply) or hang; nothing when it goes on.
template <typename Reply>
std::optional<ZelkNetAnswer> ZelkNetFaultGate(ZelkNetWorld& world, const char* operation, Reply* reply) {
    const ZelkNetFault fault = world.TakeFault(operation);
    if (fault == ZelkNetFault::None) return std::nullopt;
    reply->set_hresult(zknet::kE_FAIL);
    return fault == ZelkNetFault::Hang ? ZelkNetAnswer::Hang(grpc::Status::OK)
                                       : ZelkNetAnswer(grpc::Status::OK);
}
