#pragma once
// Simulation control over gRPC: tests and demos change the world with it (plug, messages, identity, errors,
// faults, lost server, quit).

#include <functional>

#include "ZelkNetServer/ZelkNetCallQueue.h"
#include "ZelkNetServer/ZelkNetFaultGate.h"
#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetSimControlService final : public zelknet::SimControl::AsyncService {
public:
    // `quit` asks the server to stop; it must not wait for the stop itself (the call is still running).
    ZelkNetSimControlService(ZelkNetWorld& world, std::function<void()> quit)
        : world_(world), quit_(std::move(quit)) {}

    using Context = grpc::ServerContext;
    // Asks for the first call of every method.
    void Offer(ZelkNetCallQueue& queue);

    ZK_SERVE(Plug, zelknet::SimDeviceRequest, zelknet::SimReply);
    ZK_SERVE(Unplug, zelknet::SimDeviceRequest, zelknet::SimReply);
    ZK_SERVE(QueueMessages, zelknet::SimMessagesRequest, zelknet::SimReply);
    ZK_SERVE(SetIdentity, zelknet::SimIdentityRequest, zelknet::SimReply);
    ZK_SERVE(SetErrors, zelknet::SimErrorRequest, zelknet::SimReply);
    ZK_SERVE(InjectFault, zelknet::SimFaultRequest, zelknet::SimReply);
    ZK_SERVE(SetPingAnswer, zelknet::SimPingRequest, zelknet::SimReply);
    ZK_SERVE(Quit, zelknet::Empty, zelknet::SimReply);
    ZK_SERVE(Devices, zelknet::Empty, zelknet::SimDevicesReply);

private:
    // The device of a request, or null with the reply's error set.
    ZelkNetSimDevice* Device(std::uint32_t index, zelknet::SimReply* reply) const;

    ZelkNetWorld& world_;
    std::function<void()> quit_;
};
