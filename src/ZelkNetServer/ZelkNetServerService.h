#pragma once
// The server interface over gRPC: device list, device opening, version, heartbeat, identity names and
// access lists, error texts and the profile store.

#include "ZelkNetServer/ZelkNetCallQueue.h"
#include "ZelkNetServer/ZelkNetFaultGate.h"
#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetServerService final : public zelknet::Server::AsyncService {
public:
    explicit ZelkNetServerService(ZelkNetWorld& world) : world_(world) {}

    using Context = grpc::ServerContext;
    // Asks for the first call of every method.
    void Offer(ZelkNetCallQueue& queue);

    ZK_SERVE(GetAccessList, zelknet::AccessListRequest, zelknet::AccessListReply);
    ZK_SERVE(GetErrorText, zelknet::ErrorTextRequest, zelknet::TextReply);
    ZK_SERVE(GetIdentityName, zelknet::IdentityRequest, zelknet::TextReply);
    ZK_SERVE(StoreProfile, zelknet::StoreProfileRequest, zelknet::Status);
    ZK_SERVE(GetStoredProfile, zelknet::StoredProfileRequest, zelknet::BytesReply);
    ZK_SERVE(GetDeviceList, zelknet::Empty, zelknet::BytesReply);
    ZK_SERVE(OpenDevice, zelknet::OpenDeviceRequest, zelknet::OpenDeviceReply);
    ZK_SERVE(GetVersion, zelknet::Empty, zelknet::VersionReply);
    ZK_SERVE(Ping, zelknet::Empty, zelknet::Status);
    ZK_SERVE(SelectIdentity, zelknet::IdentityRequest, zelknet::Status);
    ZK_SERVE(GetAccessRights, zelknet::IdentityRequest, zelknet::AccessRightsReply);
    ZK_SERVE(GetBuildNumber, zelknet::Empty, zelknet::BuildReply);

    // The server's text for a result or error code.
    std::string ErrorText(std::uint16_t code) const;

private:
    ZelkNetWorld& world_;
};
