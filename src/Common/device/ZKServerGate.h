#pragma once
// The device server behind a gate that closes for good once the server is reported lost: from then on every
// call fails at once with zknet::kE_UNAVAILABLE instead of reaching a server that may hang each call until
// its deadline. Devices and group interfaces opened through the gate stand behind the same gate.
//
// ZKServer puts its interface behind one; ZKServer::ReportLost closes it. Calls may come from any thread.

#include <atomic>
#include <memory>

#include "Common/device/IZKServer.h"

// Shared by a gate and everything opened through it.
using ZKGateState = std::shared_ptr<std::atomic<bool>>;  // true = closed

class ZKServerGate final : public IZKServer {
public:
    ZKServerGate(std::unique_ptr<IZKServer> server, ZKGateState closed);

    std::int32_t GetAccessList(std::uint16_t selector1, std::uint16_t selector2, std::uint16_t selector3,
                               std::uint16_t selector4, std::uint16_t selector5,
                               std::vector<std::uint16_t>& words) override;
    std::int32_t GetErrorText(std::uint16_t code, std::string& text) override;
    std::int32_t GetIdentityName(std::uint16_t identity, std::uint16_t subIdentity,
                                 std::string& name) override;
    std::int32_t StoreProfile(const std::vector<std::uint8_t>& profile) override;
    std::int32_t GetStoredProfile(const std::string& typeName, std::uint16_t major, std::uint16_t minor,
                                  std::uint16_t build, std::vector<std::uint8_t>& profile) override;
    std::int32_t GetDeviceList(std::vector<std::uint8_t>& list) override;
    std::int32_t OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                            std::unique_ptr<IZKDevice>& device) override;
    std::int32_t GetVersion(std::uint16_t& major, std::uint16_t& minor) override;
    std::int32_t Ping() override;
    std::int32_t SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) override;
    std::int32_t GetAccessRights(std::uint16_t identity, std::uint16_t subIdentity, std::uint8_t& rights,
                                 std::uint16_t& status) override;
    std::int32_t GetBuildNumber(std::uint16_t& build) override;

private:
    bool Closed() const { return closed_->load(); }

    std::unique_ptr<IZKServer> server_;
    ZKGateState closed_;
};
