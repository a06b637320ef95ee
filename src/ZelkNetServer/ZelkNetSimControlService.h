#pragma once
// Simulation control over gRPC: tests and demos change the world with it (plug, messages, identity, errors,
// faults, lost server, quit).

#include <functional>

#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetSimControlService final : public zelknet::SimControl::Service {
public:
    // `quit` asks the server to stop; it must not wait for the stop itself (the call is still running).
    ZelkNetSimControlService(ZelkNetWorld& world, std::function<void()> quit)
        : world_(world), quit_(std::move(quit)) {}

    using Context = grpc::ServerContext;
    grpc::Status Plug(Context*, const zelknet::SimDeviceRequest*, zelknet::SimReply*) override;
    grpc::Status Unplug(Context*, const zelknet::SimDeviceRequest*, zelknet::SimReply*) override;
    grpc::Status QueueMessages(Context*, const zelknet::SimMessagesRequest*, zelknet::SimReply*) override;
    grpc::Status SetIdentity(Context*, const zelknet::SimIdentityRequest*, zelknet::SimReply*) override;
    grpc::Status SetErrors(Context*, const zelknet::SimErrorRequest*, zelknet::SimReply*) override;
    grpc::Status InjectFault(Context*, const zelknet::SimFaultRequest*, zelknet::SimReply*) override;
    grpc::Status SetPingAnswer(Context*, const zelknet::SimPingRequest*, zelknet::SimReply*) override;
    grpc::Status Quit(Context*, const zelknet::Empty*, zelknet::SimReply*) override;

private:
    // The device of a request, or null with the reply's error set.
    ZelkNetSimDevice* Device(std::uint32_t index, zelknet::SimReply* reply) const;

    ZelkNetWorld& world_;
    std::function<void()> quit_;
};
