#pragma once
// The first step of every served call: an injected fault makes it fail, or hang until its client gave up.

#include <grpcpp/server_context.h>

#include <chrono>

#include "Common/ZKNetCodes.h"
#include "ZelkNetServer/ZelkNetWorld.h"

// True when the call must end now; the reply then carries E_FAIL.
template <typename Reply>
bool ZelkNetFaultGate(ZelkNetWorld& world, grpc::ServerContext* context, const char* operation,
                      Reply* reply) {
    switch (world.TakeFault(operation)) {
        case ZelkNetFault::None:
            return false;
        case ZelkNetFault::Hang:
            world.Hang([context] {
                return context->IsCancelled() || std::chrono::system_clock::now() > context->deadline();
            });
            break;
        case ZelkNetFault::Fail:
            break;
    }
    reply->set_hresult(zknet::kE_FAIL);
    return true;
}
