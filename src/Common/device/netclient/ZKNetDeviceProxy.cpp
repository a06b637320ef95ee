#include "Common/device/netclient/ZKNetDeviceProxy.h"

#include <algorithm>

#include "Common/ZKText.h"
#include "Common/device/ZKNetCodes.h"

namespace {

std::span<const std::uint8_t> Bytes(const std::string& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
}

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// A device call succeeded when both its HRESULT and its result code say so; only then are its outputs read.
bool Succeeded(std::int32_t hresult, std::uint16_t result) {
    return !zknet::Failed(hresult) && result == zknet::kResultOk;
}

}  // namespace

ZKNetDeviceProxy::ZKNetDeviceProxy(std::shared_ptr<ZKNetClient> client, std::uint64_t handle,
                                   ZKNetDeadlines deadlines)
    : client_(std::move(client)), handle_(handle), deadlines_(deadlines) {}

zelknet::DeviceRequest ZKNetDeviceProxy::MakeRequest(std::uint32_t key) const {
    zelknet::DeviceRequest request;
    request.set_handle(handle_);
    request.set_key(key);
    return request;
}

template <typename Prepare, typename Request, typename Reply>
std::int32_t ZKNetDeviceProxy::Invoke(Prepare prepare, const Request& request, Reply& reply,
                                      std::uint16_t& result) {
    const std::int32_t hresult = ZKNetInvoke(client_->Device(), prepare, request, reply, deadlines_.call);
    result = zknet::Failed(hresult) ? 0 : static_cast<std::uint16_t>(reply.code());
    return hresult;
}

std::int32_t ZKNetDeviceProxy::IdentifyAs(bool extended, ZKDeviceIdentity& identity, std::uint16_t& result) {
    zelknet::IdentifyReply reply;
    const std::int32_t hresult = Invoke(extended ? &zelknet::Device::Stub::PrepareAsyncIdentifyEx
                                                 : &zelknet::Device::Stub::PrepareAsyncIdentify,
                                        MakeRequest(), reply, result);
    identity = {};
    if (!Succeeded(hresult, result)) return hresult;
    const std::size_t expected = extended ? ZKDeviceIdentity::kExtendedSize : ZKDeviceIdentity::kBasicSize;
    const auto decoded = ZKDeviceIdentity::Decode(Bytes(reply.identity()));
    if (reply.identity().size() != expected || !decoded) return zknet::kE_UNEXPECTED;
    identity = *decoded;
    return hresult;
}

std::int32_t ZKNetDeviceProxy::Identify(ZKDeviceIdentity& identity, std::uint16_t& result) {
    return IdentifyAs(false, identity, result);
}

std::int32_t ZKNetDeviceProxy::GetNextMessage(std::string& text, std::uint16_t& result) {
    zelknet::MessageReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncGetNextMessage, MakeRequest(), reply, result);
    text = Succeeded(hresult, result) ? ZKTextToUtf8(reply.text()) : std::string();
    return hresult;
}

std::int32_t ZKNetDeviceProxy::ReadStore(std::uint32_t address, std::uint32_t length,
                                         std::vector<std::uint8_t>& data, std::uint16_t& result) {
    zelknet::ReadStoreRequest request;
    request.set_handle(handle_);
    request.set_address(address);
    request.set_length(length);
    zelknet::DeviceBytesReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncReadStore, request, reply, result);
    data.assign(reply.data().begin(), reply.data().end());
    return hresult;
}

std::int32_t ZKNetDeviceProxy::ReadMonitorValues(std::uint32_t key, const std::vector<std::uint16_t>& itemIds,
                                                 std::vector<std::uint32_t>& values, std::uint16_t& result) {
    zelknet::MonitorRequest request;
    request.set_handle(handle_);
    request.set_key(key);
    for (std::uint16_t id : itemIds)
        request.add_item_ids(id);
    zelknet::MonitorReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncReadMonitorValues, request, reply, result);
    values.assign(reply.values().begin(), reply.values().end());
    return hresult;
}

std::int32_t ZKNetDeviceProxy::ReadErrorStates(std::uint32_t key, const std::vector<std::uint16_t>& errorIds,
                                               std::vector<ZKErrorState>& states, std::uint16_t& result) {
    constexpr std::size_t kRecordSize = 12;
    zelknet::ErrorStatesRequest request;
    request.set_handle(handle_);
    request.set_key(key);
    for (std::uint16_t id : errorIds)
        request.add_error_ids(id);
    zelknet::ErrorStatesReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncReadErrorStates, request, reply, result);
    states.clear();
    if (!Succeeded(hresult, result)) return hresult;
    const auto bytes = Bytes(reply.records());
    if (bytes.size() % kRecordSize != 0) return zknet::kE_UNEXPECTED;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kRecordSize)
        states.push_back({U32At(bytes, offset), U32At(bytes, offset + 4), U32At(bytes, offset + 8)});
    return hresult;
}

std::int32_t ZKNetDeviceProxy::ClearErrors(std::uint32_t key, std::uint16_t& result) {
    zelknet::DeviceReply reply;
    return Invoke(&zelknet::Device::Stub::PrepareAsyncClearErrors, MakeRequest(key), reply, result);
}

std::int32_t ZKNetDeviceProxy::GetProfileLocation(std::uint32_t key, ZKProfileLocation& location,
                                                  std::uint16_t& result) {
    zelknet::ProfileLocationReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncGetProfileLocation, MakeRequest(key), reply, result);
    location = {};
    if (!Succeeded(hresult, result)) return hresult;
    const auto decoded = ZKProfileLocation::Decode(Bytes(reply.location()));
    if (!decoded) return zknet::kE_UNEXPECTED;
    location = *decoded;
    return hresult;
}

std::int32_t ZKNetDeviceProxy::GetFeatures(std::uint32_t key, Features& features, std::uint16_t& result) {
    zelknet::FeaturesReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncGetFeatures, MakeRequest(key), reply, result);
    features = {};
    if (!Succeeded(hresult, result)) return hresult;
    if (static_cast<std::size_t>(reply.features_size()) != kFeatureCount) return zknet::kE_UNEXPECTED;
    for (std::size_t i = 0; i < kFeatureCount; ++i) {
        const std::uint32_t id = reply.features(static_cast<int>(i));
        if (id > 0xFFFF) {
            features = {};
            return zknet::kE_UNEXPECTED;
        }
        features[i] = static_cast<std::uint16_t>(id);
    }
    return hresult;
}

std::int32_t ZKNetDeviceProxy::Ping() {
    zelknet::Status reply;
    return ZKNetInvoke(client_->Device(), &zelknet::Device::Stub::PrepareAsyncPing, MakeRequest(), reply,
                       deadlines_.ping);
}

std::int32_t ZKNetDeviceProxy::ReadItemRights(std::uint32_t key, std::uint16_t firstItem, std::uint16_t count,
                                              std::vector<std::uint8_t>& rights, std::uint16_t& result) {
    zelknet::ItemRightsRequest request;
    request.set_handle(handle_);
    request.set_key(key);
    request.set_first_item(firstItem);
    request.set_count(count);
    zelknet::DeviceBytesReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncReadItemRights, request, reply, result);
    rights.assign(reply.data().begin(), reply.data().end());
    return hresult;
}

std::int32_t ZKNetDeviceProxy::ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                               std::uint16_t length, std::vector<std::uint8_t>& data,
                                               std::uint16_t& result) {
    zelknet::CalibrationRequest request;
    request.set_handle(handle_);
    request.set_key(key);
    request.set_section(section);
    request.set_offset(offset);
    request.set_length(length);
    zelknet::DeviceBytesReply reply;
    const std::int32_t hresult =
        Invoke(&zelknet::Device::Stub::PrepareAsyncReadCalibration, request, reply, result);
    data.assign(reply.data().begin(), reply.data().end());
    return hresult;
}

std::int32_t ZKNetDeviceProxy::IdentifyEx(ZKDeviceIdentity& identity, std::uint16_t& result) {
    return IdentifyAs(true, identity, result);
}

namespace {

// A group interface: the device handle and the group's number; its keep-alive has the ping's deadline.
class ZKNetGroupProxy final : public IZKDeviceGroup {
public:
    ZKNetGroupProxy(std::shared_ptr<ZKNetClient> client, zelknet::GroupRequest request,
                    std::chrono::milliseconds deadline)
        : client_(std::move(client)), request_(std::move(request)), deadline_(deadline) {}

    std::int32_t KeepAlive() override {
        zelknet::Status reply;
        return ZKNetInvoke(client_->Device(), &zelknet::Device::Stub::PrepareAsyncGroupKeepAlive, request_,
                           reply, deadline_);
    }

private:
    std::shared_ptr<ZKNetClient> client_;
    const zelknet::GroupRequest request_;
    const std::chrono::milliseconds deadline_;
};

}  // namespace

std::int32_t ZKNetDeviceProxy::GetGroup(ZKDeviceGroup group, std::uint16_t word1, std::uint16_t word2,
                                        std::unique_ptr<IZKDeviceGroup>& out) {
    out.reset();
    zelknet::GroupRequest request;
    request.set_handle(handle_);
    request.set_group(static_cast<std::uint32_t>(group));
    request.set_word1(word1);
    request.set_word2(word2);
    zelknet::DeviceReply reply;
    std::uint16_t result = 0;
    const std::int32_t hresult = Invoke(&zelknet::Device::Stub::PrepareAsyncGetGroup, request, reply, result);
    // The interface has no result code of its own: a refusal by the device is a failed fetch.
    if (!Succeeded(hresult, result)) return zknet::Failed(hresult) ? hresult : zknet::kE_FAIL;
    request.set_word1(0);
    request.set_word2(0);
    out = std::make_unique<ZKNetGroupProxy>(client_, std::move(request), deadlines_.ping);
    return hresult;
}
