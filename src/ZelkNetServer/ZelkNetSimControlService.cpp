#include "ZelkNetServer/ZelkNetSimControlService.h"

#include <set>

#include <google/protobuf/descriptor.h>

#include "zelknet.pb.h"

using grpc::Status;

namespace {

Status Ok(zelknet::SimReply* reply) {
    reply->set_ok(true);
    return Status::OK;
}

Status Refuse(zelknet::SimReply* reply, std::string error) {
    reply->set_ok(false);
    reply->set_error(std::move(error));
    return Status::OK;
}

// The operations a fault may be injected into: every RPC of the Server and Device services.
const std::set<std::string, std::less<>>& FaultableOperations() {
    static const std::set<std::string, std::less<>> names = [] {
        std::set<std::string, std::less<>> all{ZelkNetWorld::kEveryOperation};
        const auto* pool = google::protobuf::DescriptorPool::generated_pool();
        for (const char* name : {"zelknet.Server", "zelknet.Device"}) {
            const google::protobuf::ServiceDescriptor* service = pool->FindServiceByName(name);
            if (!service) continue;
            for (int i = 0; i < service->method_count(); ++i)
                all.insert(service->name() + "." + service->method(i)->name());
        }
        return all;
    }();
    return names;
}

std::optional<std::uint16_t> U16(bool present, std::uint32_t value, bool& bad) {
    if (!present) return std::nullopt;
    if (value > 0xFFFF) bad = true;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

ZelkNetSimDevice* ZelkNetSimControlService::Device(std::uint32_t index, zelknet::SimReply* reply) const {
    ZelkNetSimDevice* device = world_.SimDevice(index);
    if (!device) {
        reply->set_ok(false);
        reply->set_error("no device " + std::to_string(index) + " (the scenario has " +
                         std::to_string(world_.DeviceCount()) + ")");
    }
    return device;
}

ZelkNetAnswer ZelkNetSimControlService::ServePlug(Context*, const zelknet::SimDeviceRequest* request,
                                                  zelknet::SimReply* reply) {
    ZelkNetSimDevice* device = Device(request->device(), reply);
    if (!device) return Status::OK;
    device->SetPlugged(true);
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeUnplug(Context*, const zelknet::SimDeviceRequest* request,
                                                    zelknet::SimReply* reply) {
    ZelkNetSimDevice* device = Device(request->device(), reply);
    if (!device) return Status::OK;
    device->SetPlugged(false);
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeQueueMessages(Context*,
                                                           const zelknet::SimMessagesRequest* request,
                                                           zelknet::SimReply* reply) {
    ZelkNetSimDevice* device = Device(request->device(), reply);
    if (!device) return Status::OK;
    device->QueueMessages(std::vector<std::string>(request->texts().begin(), request->texts().end()));
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeSetIdentity(Context*, const zelknet::SimIdentityRequest* request,
                                                         zelknet::SimReply* reply) {
    ZelkNetSimDevice* device = Device(request->device(), reply);
    if (!device) return Status::OK;
    bool bad = false;
    ZelkNetIdentityChange change;
    if (request->has_type_name()) {
        if (request->type_name().empty() || request->type_name().size() >= ZKDeviceIdentity::kTypeNameSize)
            return Refuse(reply, "a type name has 1 to 31 bytes");
        change.typeName = request->type_name();
    }
    change.rootId = U16(request->has_root_id(), request->root_id(), bad);
    change.mainMajor = U16(request->has_main_major(), request->main_major(), bad);
    change.mainMinor = U16(request->has_main_minor(), request->main_minor(), bad);
    change.mainBuild = U16(request->has_main_build(), request->main_build(), bad);
    change.boxState = U16(request->has_box_state(), request->box_state(), bad);
    if (bad) return Refuse(reply, "identity numbers are 16-bit values");
    device->ChangeIdentity(change);
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeSetErrors(Context*, const zelknet::SimErrorRequest* request,
                                                       zelknet::SimReply* reply) {
    ZelkNetSimDevice* device = Device(request->device(), reply);
    if (!device) return Status::OK;
    if (request->error_id() > 0xFFFF) return Refuse(reply, "error ids are 16-bit values");
    device->SetErrorState(static_cast<std::uint16_t>(request->error_id()), request->active(),
                          request->stored(), request->count());
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeInjectFault(Context*, const zelknet::SimFaultRequest* request,
                                                         zelknet::SimReply* reply) {
    if (!FaultableOperations().contains(request->operation()))
        return Refuse(reply,
                      "unknown operation '" + request->operation() +
                          "' (use Server.<call> or Device.<call>, e.g. Device.GetNextMessage, or * for all)");
    world_.InjectFault(request->operation(), request->count(), request->hang());
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeSetPingAnswer(Context*, const zelknet::SimPingRequest* request,
                                                           zelknet::SimReply* reply) {
    world_.SetPingAnswer(request->answer());
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeQuit(Context*, const zelknet::Empty*, zelknet::SimReply* reply) {
    quit_();
    return Ok(reply);
}

ZelkNetAnswer ZelkNetSimControlService::ServeDevices(Context*, const zelknet::Empty*,
                                                     zelknet::SimDevicesReply* reply) {
    for (std::size_t i = 0; i < world_.DeviceCount(); ++i) {
        const ZelkNetSimDevice* device = world_.SimDevice(i);
        ZKBytes bytes;
        device->ListEntry().AppendTo(bytes);
        reply->add_entries(bytes.data(), bytes.size());
        reply->add_reachable(device->Reachable());
    }
    return Status::OK;
}

void ZelkNetSimControlService::Offer(ZelkNetCallQueue& queue) {
    ZK_OFFER(queue, Plug);
    ZK_OFFER(queue, Unplug);
    ZK_OFFER(queue, QueueMessages);
    ZK_OFFER(queue, SetIdentity);
    ZK_OFFER(queue, SetErrors);
    ZK_OFFER(queue, InjectFault);
    ZK_OFFER(queue, SetPingAnswer);
    ZK_OFFER(queue, Quit);
    ZK_OFFER(queue, Devices);
}
