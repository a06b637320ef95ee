#pragma once
// Client sessions: a client keeps one Attach call open while it holds device handles. The session number
// goes out in the call's initial metadata; when the call ends, for whatever reason (the client closed it,
// its process died, the server stops), the session and its handles close.

#include "ZelkNetServer/ZelkNetCallQueue.h"
#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetSessionService final : public zelknet::Session::AsyncService {
public:
    static constexpr const char* kSessionKey = "zk-session";

    explicit ZelkNetSessionService(ZelkNetWorld& world) : world_(world) {}

    // Asks for the first Attach call.
    void Offer(ZelkNetCallQueue& queue);

private:
    ZelkNetWorld& world_;
};
