#include "ZelkNetServer/ZelkNetDeviceService.h"

#include "ZelkNetServer/ZelkNetFaultGate.h"

using grpc::Status;
using namespace zknet;

namespace {

template <typename Reply>
void Answer(Reply* reply, ZelkNetResult result) {
    reply->set_hresult(result.hresult);
    reply->set_code(result.code);
}

template <typename Reply>
Status Refuse(Reply* reply, std::int32_t hresult) {
    reply->set_hresult(hresult);
    return Status::OK;
}

// Copies a repeated u32 field of 16-bit ids; false when one does not fit.
bool ToIds(const google::protobuf::RepeatedField<std::uint32_t>& field, std::vector<std::uint16_t>& ids) {
    ids.reserve(static_cast<std::size_t>(field.size()));
    for (std::uint32_t id : field) {
        if (id > 0xFFFF) return false;
        ids.push_back(static_cast<std::uint16_t>(id));
    }
    return true;
}

}  // namespace

// Every handler: the fault gate, the handle, the shape of the request, then the device.
#define ZK_DEVICE_PROLOGUE(operation)                                                        \
    if (auto fault = ZelkNetFaultGate(world_, "Device." operation, reply)) return *fault;    \
    const std::shared_ptr<ZelkNetDevice> device = world_.DeviceForHandle(request->handle()); \
    if (!device) return Refuse(reply, kE_HANDLE)

Status ZelkNetDeviceService::IdentifyAs(const zelknet::DeviceRequest* request, zelknet::IdentifyReply* reply,
                                        bool extended) {
    const std::shared_ptr<ZelkNetDevice> device = world_.DeviceForHandle(request->handle());
    if (!device) return Refuse(reply, kE_HANDLE);
    ZKDeviceIdentity identity;
    const ZelkNetResult result = device->Identify(identity);
    Answer(reply, result);
    if (result == ZelkNetResult::Ok()) {
        const ZKBytes bytes = identity.Encode(extended);
        reply->set_identity(bytes.data(), bytes.size());
    }
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeIdentify(Context*, const zelknet::DeviceRequest* request,
                                                  zelknet::IdentifyReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Device.Identify", reply)) return *fault;
    return IdentifyAs(request, reply, false);
}

ZelkNetAnswer ZelkNetDeviceService::ServeIdentifyEx(Context*, const zelknet::DeviceRequest* request,
                                                    zelknet::IdentifyReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Device.IdentifyEx", reply)) return *fault;
    if (!world_.VersionAtLeast(2, 10)) return Refuse(reply, kE_NOTIMPL);
    return IdentifyAs(request, reply, true);
}

ZelkNetAnswer ZelkNetDeviceService::ServeGetNextMessage(Context*, const zelknet::DeviceRequest* request,
                                                        zelknet::MessageReply* reply) {
    ZK_DEVICE_PROLOGUE("GetNextMessage");
    std::string text;
    Answer(reply, device->NextMessage(text));
    reply->set_text(std::move(text));
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeReadStore(Context*, const zelknet::ReadStoreRequest* request,
                                                   zelknet::DeviceBytesReply* reply) {
    ZK_DEVICE_PROLOGUE("ReadStore");
    if (request->length() > kMaxStoreRead) return Refuse(reply, kE_INVALIDARG);
    ZKBytes bytes;
    Answer(reply, device->ReadStore(request->address(), request->length(), bytes));
    reply->set_data(bytes.data(), bytes.size());
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeReadMonitorValues(Context*, const zelknet::MonitorRequest* request,
                                                           zelknet::MonitorReply* reply) {
    ZK_DEVICE_PROLOGUE("ReadMonitorValues");
    std::vector<std::uint16_t> items;
    if (static_cast<std::uint32_t>(request->item_ids_size()) > kMaxMonitorItems ||
        !ToIds(request->item_ids(), items))
        return Refuse(reply, kE_INVALIDARG);
    std::vector<std::uint32_t> values;
    Answer(reply, device->ReadMonitorValues(request->key(), items, values));
    for (std::uint32_t value : values)
        reply->add_values(value);
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeReadErrorStates(Context*, const zelknet::ErrorStatesRequest* request,
                                                         zelknet::ErrorStatesReply* reply) {
    ZK_DEVICE_PROLOGUE("ReadErrorStates");
    std::vector<std::uint16_t> ids;
    if (static_cast<std::uint32_t>(request->error_ids_size()) > kMaxErrorIds ||
        !ToIds(request->error_ids(), ids))
        return Refuse(reply, kE_INVALIDARG);
    ZKBytes records;
    Answer(reply, device->ReadErrorStates(request->key(), ids, records));
    reply->set_records(records.data(), records.size());
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeClearErrors(Context*, const zelknet::DeviceRequest* request,
                                                     zelknet::DeviceReply* reply) {
    ZK_DEVICE_PROLOGUE("ClearErrors");
    Answer(reply, device->ClearErrors(request->key()));
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeGetProfileLocation(Context*, const zelknet::DeviceRequest* request,
                                                            zelknet::ProfileLocationReply* reply) {
    ZK_DEVICE_PROLOGUE("GetProfileLocation");
    ZKProfileLocation location;
    const ZelkNetResult result = device->GetProfileLocation(request->key(), location);
    Answer(reply, result);
    if (result == ZelkNetResult::Ok()) {
        const ZKBytes bytes = location.Encode();
        reply->set_location(bytes.data(), bytes.size());
    }
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeGetFeatures(Context*, const zelknet::DeviceRequest* request,
                                                     zelknet::FeaturesReply* reply) {
    ZK_DEVICE_PROLOGUE("GetFeatures");
    std::array<std::uint16_t, kFeatureCount> ids{};
    const ZelkNetResult result = device->GetFeatures(request->key(), ids);
    Answer(reply, result);
    if (result == ZelkNetResult::Ok()) {
        for (std::uint16_t id : ids)
            reply->add_features(id);
    }
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServePing(Context*, const zelknet::DeviceRequest* request,
                                              zelknet::Status* reply) {
    ZK_DEVICE_PROLOGUE("Ping");
    reply->set_hresult(device->Ping().hresult);
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeReadItemRights(Context*, const zelknet::ItemRightsRequest* request,
                                                        zelknet::DeviceBytesReply* reply) {
    ZK_DEVICE_PROLOGUE("ReadItemRights");
    if (request->first_item() > 0xFFFF || request->count() > kMaxItemRights ||
        request->first_item() + request->count() > 0x10000)
        return Refuse(reply, kE_INVALIDARG);
    ZKBytes rights;
    Answer(reply, device->ReadItemRights(request->key(), static_cast<std::uint16_t>(request->first_item()),
                                         static_cast<std::uint16_t>(request->count()), rights));
    reply->set_data(rights.data(), rights.size());
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeReadCalibration(Context*, const zelknet::CalibrationRequest* request,
                                                         zelknet::DeviceBytesReply* reply) {
    ZK_DEVICE_PROLOGUE("ReadCalibration");
    if (request->section() > 0xFFFF || request->offset() > 0xFFFF || request->length() > 0xFFFF)
        return Refuse(reply, kE_INVALIDARG);
    ZKBytes bytes;
    Answer(reply, device->ReadCalibration(request->key(), static_cast<std::uint16_t>(request->section()),
                                          static_cast<std::uint16_t>(request->offset()),
                                          static_cast<std::uint16_t>(request->length()), bytes));
    reply->set_data(bytes.data(), bytes.size());
    return Status::OK;
}

// A simulated device serves every group interface; the two further groups came with server 2.12. A group
// lives as long as its device handle, and its keep-alive answers like the device's ping.
ZelkNetAnswer ZelkNetDeviceService::ServeGetGroup(Context*, const zelknet::GroupRequest* request,
                                                  zelknet::DeviceReply* reply) {
    ZK_DEVICE_PROLOGUE("GetGroup");
    constexpr std::uint32_t kGroups = 6;
    constexpr std::uint32_t kFirstFurtherGroup = 4;
    if (request->group() >= kGroups || request->word1() > 0xFFFF || request->word2() > 0xFFFF)
        return Refuse(reply, kE_INVALIDARG);
    if (request->group() >= kFirstFurtherGroup && !world_.VersionAtLeast(2, 12))
        return Refuse(reply, kE_NOTIMPL);
    Answer(reply, device->Ping());
    return Status::OK;
}

ZelkNetAnswer ZelkNetDeviceService::ServeGroupKeepAlive(Context*, const zelknet::GroupRequest* request,
                                                        zelknet::Status* reply) {
    ZK_DEVICE_PROLOGUE("GroupKeepAlive");
    reply->set_hresult(device->Ping().hresult);
    return Status::OK;
}

void ZelkNetDeviceService::Offer(ZelkNetCallQueue& queue) {
    ZK_OFFER(queue, Identify);
    ZK_OFFER(queue, GetNextMessage);
    ZK_OFFER(queue, ReadStore);
    ZK_OFFER(queue, ReadMonitorValues);
    ZK_OFFER(queue, ReadErrorStates);
    ZK_OFFER(queue, ClearErrors);
    ZK_OFFER(queue, GetProfileLocation);
    ZK_OFFER(queue, GetFeatures);
    ZK_OFFER(queue, Ping);
    ZK_OFFER(queue, ReadItemRights);
    ZK_OFFER(queue, ReadCalibration);
    ZK_OFFER(queue, IdentifyEx);
    ZK_OFFER(queue, GetGroup);
    ZK_OFFER(queue, GroupKeepAlive);
}
