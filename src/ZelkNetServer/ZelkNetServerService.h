#pragma once
// The server interface over gRPC: device list, device opening, version, heartbeat, identity names and
// access lists, error texts and the profile store.

#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetServerService final : public zelknet::Server::Service {
public:
    explicit ZelkNetServerService(ZelkNetWorld& world) : world_(world) {}

    using Context = grpc::ServerContext;
    grpc::Status GetAccessList(Context*, const zelknet::AccessListRequest*,
                               zelknet::AccessListReply*) override;
    grpc::Status GetErrorText(Context*, const zelknet::ErrorTextRequest*, zelknet::TextReply*) override;
    grpc::Status GetIdentityName(Context*, const zelknet::IdentityRequest*, zelknet::TextReply*) override;
    grpc::Status StoreProfile(Context*, const zelknet::StoreProfileRequest*, zelknet::Status*) override;
    grpc::Status GetStoredProfile(Context*, const zelknet::StoredProfileRequest*,
                                  zelknet::BytesReply*) override;
    grpc::Status GetDeviceList(Context*, const zelknet::Empty*, zelknet::BytesReply*) override;
    grpc::Status OpenDevice(Context*, const zelknet::OpenDeviceRequest*, zelknet::OpenDeviceReply*) override;
    grpc::Status GetVersion(Context*, const zelknet::Empty*, zelknet::VersionReply*) override;
    grpc::Status Ping(Context*, const zelknet::Empty*, zelknet::Status*) override;
    grpc::Status SelectIdentity(Context*, const zelknet::IdentityRequest*, zelknet::Status*) override;
    grpc::Status GetAccessRights(Context*, const zelknet::IdentityRequest*,
                                 zelknet::AccessRightsReply*) override;
    grpc::Status GetBuildNumber(Context*, const zelknet::Empty*, zelknet::BuildReply*) override;

    // The server's text for a result or error code.
    std::string ErrorText(std::uint16_t code) const;

private:
    ZelkNetWorld& world_;
};
