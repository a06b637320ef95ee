#include "ZelkNetServer/ZelkNetServerService.h"

#include <algorithm>

#include "ZelkNetServer/ZelkNetFaultGate.h"

using grpc::Status;
using namespace zknet;

namespace {

// Texts of the codes that the server and the simulated devices give; a scenario may add or replace any.
const std::map<std::uint16_t, std::string>& BuiltInErrorTexts() {
    static const std::map<std::uint16_t, std::string> texts{
        {0, "No error"},
        {kResultWrongKey, "The identity key does not match the device"},
        {kResultNoData, "Data not available"},
        {1002, "No identity file"},
        {3000, "No access statement"},
    };
    return texts;
}

bool FitsU16(std::uint32_t value) {
    return value <= 0xFFFF;
}

}  // namespace

std::string ZelkNetServerService::ErrorText(std::uint16_t code) const {
    if (const auto found = world_.Scenario().errorTexts.find(code);
        found != world_.Scenario().errorTexts.end())
        return found->second;
    if (const auto found = BuiltInErrorTexts().find(code); found != BuiltInErrorTexts().end())
        return found->second;
    return "Error " + std::to_string(code);
}

ZelkNetAnswer ZelkNetServerService::ServeGetAccessList(Context*, const zelknet::AccessListRequest* request,
                                                       zelknet::AccessListReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetAccessList", reply)) return *fault;
    if (!FitsU16(request->selector1()) || !FitsU16(request->selector2()) || !FitsU16(request->selector5())) {
        reply->set_hresult(kE_INVALIDARG);
        return Status::OK;
    }
    for (const ZelkNetAccessEntry& entry : world_.Scenario().access) {
        if (entry.root != request->selector1() || entry.user != request->selector2() ||
            entry.area != request->selector5())
            continue;
        for (const auto& triple : entry.triples) {
            for (std::uint16_t word : triple)
                reply->add_words(word);
        }
    }
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetErrorText(Context*, const zelknet::ErrorTextRequest* request,
                                                      zelknet::TextReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetErrorText", reply)) return *fault;
    if (!FitsU16(request->code())) {
        reply->set_hresult(kE_INVALIDARG);
        return Status::OK;
    }
    reply->set_text(ErrorText(static_cast<std::uint16_t>(request->code())));
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetIdentityName(Context*, const zelknet::IdentityRequest* request,
                                                         zelknet::TextReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetIdentityName", reply)) return *fault;
    for (const ZelkNetIdentityName& name : world_.Scenario().identityNames) {
        if (name.root == request->identity() && name.user == request->sub_identity()) {
            reply->set_text(name.name);
            break;
        }
    }
    reply->set_hresult(kS_OK);  // an unknown identity has an empty name
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeStoreProfile(Context*, const zelknet::StoreProfileRequest* request,
                                                      zelknet::Status* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.StoreProfile", reply)) return *fault;
    if (request->profile().empty() || request->profile().size() > kMaxStoreRead) {
        reply->set_hresult(kE_INVALIDARG);
        return Status::OK;
    }
    // Only an image whose header can be read can be found again.
    const bool kept = world_.StoreProfile(ZKBytes(request->profile().begin(), request->profile().end()));
    reply->set_hresult(kept ? kS_OK : kE_INVALIDARG);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetStoredProfile(Context*,
                                                          const zelknet::StoredProfileRequest* request,
                                                          zelknet::BytesReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetStoredProfile", reply)) return *fault;
    if (!FitsU16(request->major()) || !FitsU16(request->minor()) || !FitsU16(request->build())) {
        reply->set_hresult(kE_INVALIDARG);
        return Status::OK;
    }
    const std::optional<ZKBytes> image = world_.StoredProfile(
        request->type_name(), static_cast<std::uint16_t>(request->major()),
        static_cast<std::uint16_t>(request->minor()), static_cast<std::uint16_t>(request->build()));
    if (!image) {
        reply->set_hresult(kE_NOT_FOUND);
        return Status::OK;
    }
    reply->set_data(image->data(), image->size());
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetDeviceList(Context*, const zelknet::Empty*,
                                                       zelknet::BytesReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetDeviceList", reply)) return *fault;
    ZKBytes bytes;
    for (const ZKDeviceListEntry& entry : world_.ReachableDevices())
        entry.AppendTo(bytes);
    reply->set_data(bytes.data(), bytes.size());
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeOpenDevice(Context*, const zelknet::OpenDeviceRequest* request,
                                                    zelknet::OpenDeviceReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.OpenDevice", reply)) return *fault;
    if (!FitsU16(request->address3())) {
        reply->set_hresult(kE_INVALIDARG);
        return Status::OK;
    }
    const std::uint64_t handle =
        world_.OpenDevice(request->session(), request->address1(), request->address2(),
                          static_cast<std::uint16_t>(request->address3()));
    reply->set_handle(handle);
    reply->set_hresult(handle ? kS_OK : kE_NOT_FOUND);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetVersion(Context*, const zelknet::Empty*,
                                                    zelknet::VersionReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetVersion", reply)) return *fault;
    reply->set_major(world_.Version().major);
    reply->set_minor(world_.Version().minor);
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServePing(Context*, const zelknet::Empty*, zelknet::Status* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.Ping", reply)) return *fault;
    // A lost server: the call never returns before the client gives up.
    if (!world_.PingAnswer())
        return ZelkNetAnswer::Hang(Status(grpc::StatusCode::UNAVAILABLE, "not answering"));
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeSelectIdentity(Context*, const zelknet::IdentityRequest* request,
                                                        zelknet::Status* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.SelectIdentity", reply)) return *fault;
    if (!world_.VersionAtLeast(1, 7)) {
        reply->set_hresult(kE_NOTIMPL);
        return Status::OK;
    }
    if (!FitsU16(request->identity()) || !FitsU16(request->sub_identity())) {
        reply->set_hresult(kE_INVALIDARG);
        return Status::OK;
    }
    world_.SelectIdentity(static_cast<std::uint16_t>(request->identity()),
                          static_cast<std::uint16_t>(request->sub_identity()));
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetAccessRights(Context*, const zelknet::IdentityRequest* request,
                                                         zelknet::AccessRightsReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetAccessRights", reply)) return *fault;
    if (!world_.VersionAtLeast(2, 4)) {
        reply->set_hresult(kE_NOTIMPL);
        return Status::OK;
    }
    const auto& names = world_.Scenario().identityNames;
    const auto found = std::find_if(names.begin(), names.end(), [request](const ZelkNetIdentityName& name) {
        return name.root == request->identity() && name.user == request->sub_identity();
    });
    reply->set_rights(found == names.end() ? 0 : found->rights);
    reply->set_status(found == names.end() ? 1 : 0);
    reply->set_hresult(kS_OK);
    return Status::OK;
}

ZelkNetAnswer ZelkNetServerService::ServeGetBuildNumber(Context*, const zelknet::Empty*,
                                                        zelknet::BuildReply* reply) {
    if (auto fault = ZelkNetFaultGate(world_, "Server.GetBuildNumber", reply)) return *fault;
    // Servers before 2.7 had no build number.
    if (!world_.VersionAtLeast(2, 7)) {
        reply->set_hresult(kE_NOTIMPL);
        return Status::OK;
    }
    reply->set_build(world_.Version().build);
    reply->set_hresult(kS_OK);
    return Status::OK;
}

void ZelkNetServerService::Offer(ZelkNetCallQueue& queue) {
    ZK_OFFER(queue, GetAccessList);
    ZK_OFFER(queue, GetErrorText);
    ZK_OFFER(queue, GetIdentityName);
    ZK_OFFER(queue, StoreProfile);
    ZK_OFFER(queue, GetStoredProfile);
    ZK_OFFER(queue, GetDeviceList);
    ZK_OFFER(queue, OpenDevice);
    ZK_OFFER(queue, GetVersion);
    ZK_OFFER(queue, Ping);
    ZK_OFFER(queue, SelectIdentity);
    ZK_OFFER(queue, GetAccessRights);
    ZK_OFFER(queue, GetBuildNumber);
}
