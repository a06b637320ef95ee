#pragma once
// IZKDevice over the wire: one device handle of zelknetserver, reached through a shared client connection.
// The handle stays valid while the connection lives, so the proxy keeps the connection alive. Every call
// carries a deadline; a call that misses it fails with a negative HRESULT like any failed call. A reply
// that cannot be decoded (an identity of the wrong size, error records that are not whole) fails with
// zknet::kE_UNEXPECTED; blocks and lists of another count than asked are handed out as they came, as the
// in-process implementations do, and their callers judge the count. Safe for calls from several threads at
// once.

#include <chrono>
#include <cstdint>
#include <memory>

#include "Common/device/IZKDevice.h"
#include "Common/device/netclient/ZKNetClient.h"

// How long the proxies wait for an answer.
struct ZKNetDeadlines {
    // Every call but the two pings.
    std::chrono::milliseconds call = ZKNetClient::kDefaultDeadline;
    // Server and device pings: the heartbeats run on the GUI thread once a second, so a server that no
    // longer answers must not hold that thread for longer than a beat.
    std::chrono::milliseconds ping{900};
};

// One unary call through `stub` that polls briefly for its answer (ZKNetClient::Call), with a deadline;
// the call's HRESULT.
template <typename Stub, typename Prepare, typename Request, typename Reply>
std::int32_t ZKNetInvoke(Stub& stub, Prepare prepare, const Request& request, Reply& reply,
                         std::chrono::milliseconds deadline) {
    const auto context = ZKNetClient::Context(deadline);
    return ZKNetClient::HResult(ZKNetClient::Call(stub, prepare, context.get(), request, &reply), reply);
}

class ZKNetDeviceProxy final : public IZKDevice {
public:
    ZKNetDeviceProxy(std::shared_ptr<ZKNetClient> client, std::uint64_t handle,
                     ZKNetDeadlines deadlines = {});

    std::int32_t Identify(ZKDeviceIdentity& identity, std::uint16_t& result) override;
    std::int32_t GetNextMessage(std::string& text, std::uint16_t& result) override;
    std::int32_t ReadStore(std::uint32_t address, std::uint32_t length, std::vector<std::uint8_t>& data,
                           std::uint16_t& result) override;
    std::int32_t ReadMonitorValues(std::uint32_t key, const std::vector<std::uint16_t>& itemIds,
                                   std::vector<std::uint32_t>& values, std::uint16_t& result) override;
    std::int32_t ReadErrorStates(std::uint32_t key, const std::vector<std::uint16_t>& errorIds,
                                 std::vector<ZKErrorState>& states, std::uint16_t& result) override;
    std::int32_t ClearErrors(std::uint32_t key, std::uint16_t& result) override;
    std::int32_t GetProfileLocation(std::uint32_t key, ZKProfileLocation& location,
                                    std::uint16_t& result) override;
    std::int32_t GetFeatures(std::uint32_t key, Features& features, std::uint16_t& result) override;
    std::int32_t Ping() override;
    std::int32_t ReadItemRights(std::uint32_t key, std::uint16_t firstItem, std::uint16_t count,
                                std::vector<std::uint8_t>& rights, std::uint16_t& result) override;
    std::int32_t ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                 std::uint16_t length, std::vector<std::uint8_t>& data,
                                 std::uint16_t& result) override;
    std::int32_t IdentifyEx(ZKDeviceIdentity& identity, std::uint16_t& result) override;
    std::int32_t GetGroup(ZKDeviceGroup group, std::uint16_t word1, std::uint16_t word2,
                          std::unique_ptr<IZKDeviceGroup>& out) override;

    std::uint64_t Handle() const { return handle_; }

private:
    zelknet::DeviceRequest MakeRequest(std::uint32_t key = 0) const;
    std::int32_t IdentifyAs(bool extended, ZKDeviceIdentity& identity, std::uint16_t& result);
    template <typename Prepare, typename Request, typename Reply>
    std::int32_t Invoke(Prepare prepare, const Request& request, Reply& reply, std::uint16_t& result);

    std::shared_ptr<ZKNetClient> client_;
    const std::uint64_t handle_;
    const ZKNetDeadlines deadlines_;
};
