#pragma once
// The per-device interface over gRPC. Each request names its device by a handle from Server.OpenDevice;
// shapes (counts, lengths) are checked here, the answers come from the device.

#include "ZelkNetServer/ZelkNetWorld.h"
#include "zelknet.grpc.pb.h"

class ZelkNetDeviceService final : public zelknet::Device::Service {
public:
    explicit ZelkNetDeviceService(ZelkNetWorld& world) : world_(world) {}

    using Context = grpc::ServerContext;
    grpc::Status Identify(Context*, const zelknet::DeviceRequest*, zelknet::IdentifyReply*) override;
    grpc::Status GetNextMessage(Context*, const zelknet::DeviceRequest*, zelknet::MessageReply*) override;
    grpc::Status ReadStore(Context*, const zelknet::ReadStoreRequest*, zelknet::DeviceBytesReply*) override;
    grpc::Status ReadMonitorValues(Context*, const zelknet::MonitorRequest*, zelknet::MonitorReply*) override;
    grpc::Status ReadErrorStates(Context*, const zelknet::ErrorStatesRequest*,
                                 zelknet::ErrorStatesReply*) override;
    grpc::Status ClearErrors(Context*, const zelknet::DeviceRequest*, zelknet::DeviceReply*) override;
    grpc::Status GetProfileLocation(Context*, const zelknet::DeviceRequest*,
                                    zelknet::ProfileLocationReply*) override;
    grpc::Status GetFeatures(Context*, const zelknet::DeviceRequest*, zelknet::FeaturesReply*) override;
    grpc::Status Ping(Context*, const zelknet::DeviceRequest*, zelknet::Status*) override;
    grpc::Status ReadItemRights(Context*, const zelknet::ItemRightsRequest*,
                                zelknet::DeviceBytesReply*) override;
    grpc::Status ReadCalibration(Context*, const zelknet::CalibrationRequest*,
                                 zelknet::DeviceBytesReply*) override;
    grpc::Status IdentifyEx(Context*, const zelknet::DeviceRequest*, zelknet::IdentifyReply*) override;

private:
    grpc::Status IdentifyAs(const zelknet::DeviceRequest* request, zelknet::IdentifyReply* reply,
                            bool extended);

    ZelkNetWorld& world_;
};
