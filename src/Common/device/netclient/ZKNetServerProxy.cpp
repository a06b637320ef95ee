#include "Common/device/netclient/ZKNetServerProxy.h"

#include "Common/ZKText.h"
#include "Common/device/ZKNetCodes.h"

namespace {

zelknet::IdentityRequest IdentityPair(std::uint16_t identity, std::uint16_t subIdentity) {
    zelknet::IdentityRequest request;
    request.set_identity(identity);
    request.set_sub_identity(subIdentity);
    return request;
}

bool FitsU16(std::uint32_t value) {
    return value <= 0xFFFF;
}

}  // namespace

std::unique_ptr<ZKNetServerProxy> ZKNetServerProxy::Create(const zk::NetServerLaunch& launch,
                                                           std::string& error, ZKNetDeadlines deadlines) {
    std::shared_ptr<ZKNetClient> client = ZKNetClient::ConnectOrSpawn(launch, error);
    if (!client) return nullptr;
    return std::make_unique<ZKNetServerProxy>(std::move(client), deadlines);
}

ZKNetServerProxy::ZKNetServerProxy(std::shared_ptr<ZKNetClient> client, ZKNetDeadlines deadlines)
    : client_(std::move(client)), deadlines_(deadlines) {}

template <typename Prepare, typename Request, typename Reply>
std::int32_t ZKNetServerProxy::Invoke(Prepare prepare, const Request& request, Reply& reply) {
    return ZKNetInvoke(client_->Server(), prepare, request, reply, deadlines_.call);
}

std::int32_t ZKNetServerProxy::GetAccessList(std::uint16_t selector1, std::uint16_t selector2,
                                             std::uint16_t selector3, std::uint16_t selector4,
                                             std::uint16_t selector5, std::vector<std::uint16_t>& words) {
    zelknet::AccessListRequest request;
    request.set_selector1(selector1);
    request.set_selector2(selector2);
    request.set_selector3(selector3);
    request.set_selector4(selector4);
    request.set_selector5(selector5);
    zelknet::AccessListReply reply;
    const std::int32_t hresult = Invoke(&zelknet::Server::Stub::PrepareAsyncGetAccessList, request, reply);
    words.clear();
    if (zknet::Failed(hresult)) return hresult;
    for (std::uint32_t word : reply.words()) {
        if (!FitsU16(word)) {
            words.clear();
            return zknet::kE_UNEXPECTED;
        }
        words.push_back(static_cast<std::uint16_t>(word));
    }
    return hresult;
}

std::int32_t ZKNetServerProxy::GetErrorText(std::uint16_t code, std::string& text) {
    zelknet::ErrorTextRequest request;
    request.set_code(code);
    zelknet::TextReply reply;
    const std::int32_t hresult = Invoke(&zelknet::Server::Stub::PrepareAsyncGetErrorText, request, reply);
    text = zknet::Failed(hresult) ? std::string() : ZKTextToUtf8(reply.text());
    return hresult;
}

std::int32_t ZKNetServerProxy::GetIdentityName(std::uint16_t identity, std::uint16_t subIdentity,
                                               std::string& name) {
    zelknet::TextReply reply;
    const std::int32_t hresult = Invoke(&zelknet::Server::Stub::PrepareAsyncGetIdentityName,
                                        IdentityPair(identity, subIdentity), reply);
    name = zknet::Failed(hresult) ? std::string() : ZKTextToUtf8(reply.text());
    return hresult;
}

std::int32_t ZKNetServerProxy::StoreProfile(const std::vector<std::uint8_t>& profile) {
    zelknet::StoreProfileRequest request;
    request.set_profile(profile.data(), profile.size());
    zelknet::Status reply;
    return Invoke(&zelknet::Server::Stub::PrepareAsyncStoreProfile, request, reply);
}

std::int32_t ZKNetServerProxy::GetStoredProfile(const std::string& typeName, std::uint16_t major,
                                                std::uint16_t minor, std::uint16_t build,
                                                std::vector<std::uint8_t>& profile) {
    zelknet::StoredProfileRequest request;
    request.set_type_name(ZKTextToUtf8(typeName));
    request.set_major(major);
    request.set_minor(minor);
    request.set_build(build);
    zelknet::BytesReply reply;
    const std::int32_t hresult = Invoke(&zelknet::Server::Stub::PrepareAsyncGetStoredProfile, request, reply);
    if (zknet::Failed(hresult))
        profile.clear();
    else
        profile.assign(reply.data().begin(), reply.data().end());
    return hresult;
}

std::int32_t ZKNetServerProxy::GetDeviceList(std::vector<std::uint8_t>& list) {
    zelknet::BytesReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Server::Stub::PrepareAsyncGetDeviceList, zelknet::Empty(), reply);
    if (zknet::Failed(hresult))
        list.clear();
    else
        list.assign(reply.data().begin(), reply.data().end());
    return hresult;
}

std::int32_t ZKNetServerProxy::OpenDevice(std::uint32_t address1, std::uint32_t address2,
                                          std::uint16_t address3, std::unique_ptr<IZKDevice>& device) {
    device.reset();
    std::int32_t hresult = zknet::kS_OK;
    std::uint64_t handle = 0;
    {
        std::lock_guard guard(openLock_);
        handle = client_->OpenDevice(address1, address2, address3, hresult);
    }
    if (handle != 0) device = std::make_unique<ZKNetDeviceProxy>(client_, handle, deadlines_);
    return hresult;
}

std::int32_t ZKNetServerProxy::GetVersion(std::uint16_t& major, std::uint16_t& minor) {
    zelknet::VersionReply reply;
    std::int32_t hresult = Invoke(&zelknet::Server::Stub::PrepareAsyncGetVersion, zelknet::Empty(), reply);
    if (!zknet::Failed(hresult) && (!FitsU16(reply.major()) || !FitsU16(reply.minor())))
        hresult = zknet::kE_UNEXPECTED;
    major = zknet::Failed(hresult) ? 0 : static_cast<std::uint16_t>(reply.major());
    minor = zknet::Failed(hresult) ? 0 : static_cast<std::uint16_t>(reply.minor());
    return hresult;
}

std::int32_t ZKNetServerProxy::Ping() {
    zelknet::Status reply;
    return ZKNetInvoke(client_->Server(), &zelknet::Server::Stub::PrepareAsyncPing, zelknet::Empty(), reply,
                       deadlines_.ping);
}

std::int32_t ZKNetServerProxy::SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) {
    zelknet::Status reply;
    return Invoke(&zelknet::Server::Stub::PrepareAsyncSelectIdentity, IdentityPair(identity, subIdentity),
                  reply);
}

std::int32_t ZKNetServerProxy::GetAccessRights(std::uint16_t identity, std::uint16_t subIdentity,
                                               std::uint8_t& rights, std::uint16_t& status) {
    zelknet::AccessRightsReply reply;
    std::int32_t hresult = Invoke(&zelknet::Server::Stub::PrepareAsyncGetAccessRights,
                                  IdentityPair(identity, subIdentity), reply);
    if (!zknet::Failed(hresult) && (reply.rights() > 0xFF || !FitsU16(reply.status())))
        hresult = zknet::kE_UNEXPECTED;
    rights = zknet::Failed(hresult) ? 0 : static_cast<std::uint8_t>(reply.rights());
    status = zknet::Failed(hresult) ? 0 : static_cast<std::uint16_t>(reply.status());
    return hresult;
}

std::int32_t ZKNetServerProxy::GetBuildNumber(std::uint16_t& build) {
    zelknet::BuildReply reply;
    std::int32_t hresult =
        Invoke(&zelknet::Server::Stub::PrepareAsyncGetBuildNumber, zelknet::Empty(), reply);
    if (!zknet::Failed(hresult) && !FitsU16(reply.build())) hresult = zknet::kE_UNEXPECTED;
    build = zknet::Failed(hresult) ? 0 : static_cast<std::uint16_t>(reply.build());
    return hresult;
}
