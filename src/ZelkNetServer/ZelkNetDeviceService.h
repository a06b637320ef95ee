#pragma once
// The per-device interface over gRPC. Each request names its device by a handle from Server.OpenDevice;
// shapes (counts, lengths) are checked here, the answers come from the device.

#include "ZelkNetServer/ZelkNetCallQueue.h"
#include "ZelkNetServer/ZelkNetFaultGate.h"
#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetDeviceService final : public zelknet::Device::AsyncService {
public:
    explicit ZelkNetDeviceService(ZelkNetWorld& world) : world_(world) {}

    using Context = grpc::ServerContext;
    // Asks for the first call of every method.
    void Offer(ZelkNetCallQueue& queue);

    ZK_SERVE(Identify, zelknet::DeviceRequest, zelknet::IdentifyReply);
    ZK_SERVE(GetNextMessage, zelknet::DeviceRequest, zelknet::MessageReply);
    ZK_SERVE(ReadStore, zelknet::ReadStoreRequest, zelknet::DeviceBytesReply);
    ZK_SERVE(ReadMonitorValues, zelknet::MonitorRequest, zelknet::MonitorReply);
    ZK_SERVE(ReadErrorStates, zelknet::ErrorStatesRequest, zelknet::ErrorStatesReply);
    ZK_SERVE(ClearErrors, zelknet::DeviceRequest, zelknet::DeviceReply);
    ZK_SERVE(GetProfileLocation, zelknet::DeviceRequest, zelknet::ProfileLocationReply);
    ZK_SERVE(GetFeatures, zelknet::DeviceRequest, zelknet::FeaturesReply);
    ZK_SERVE(Ping, zelknet::DeviceRequest, zelknet::Status);
    ZK_SERVE(ReadItemRights, zelknet::ItemRightsRequest, zelknet::DeviceBytesReply);
    ZK_SERVE(ReadCalibration, zelknet::CalibrationRequest, zelknet::DeviceBytesReply);
    ZK_SERVE(IdentifyEx, zelknet::DeviceRequest, zelknet::IdentifyReply);
    ZK_SERVE(GetGroup, zelknet::GroupRequest, zelknet::DeviceReply);
    ZK_SERVE(GroupKeepAlive, zelknet::GroupRequest, zelknet::Status);

private:
    grpc::Status IdentifyAs(const zelknet::DeviceRequest* request, zelknet::IdentifyReply* reply,
                            bool extended);

    ZelkNetWorld& world_;
};
