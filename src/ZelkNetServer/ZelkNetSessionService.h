#pragma once
// Client sessions: a client keeps one Attach call open while it holds device handles. The session number
// goes out in the call's initial metadata; when the call ends, for whatever reason (the client closed it,
// its process died, the server stops), the session and its handles close.

#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetSessionService final : public zelknet::Session::CallbackService {
public:
    static constexpr const char* kSessionKey = "zk-session";

    explicit ZelkNetSessionService(ZelkNetWorld& world) : world_(world) {}

    grpc::ServerWriteReactor<zelknet::SessionEvent>* Attach(grpc::CallbackServerContext* context,
                                                            const zelknet::AttachRequest* request) override;

private:
    ZelkNetWorld& world_;
};
