#pragma once
// IZKServer over the wire: zelknetserver reached through one client connection, which the devices opened
// through it share (their handles live as long as the connection). Every call carries a deadline; a call
// that misses it fails with a negative HRESULT like any failed call. Text from the wire that is not valid
// UTF-8 is read as Windows-1252. Safe for calls from several threads at once.

#include <memory>
#include <mutex>
#include <string>

#include "Common/device/IZKServer.h"
#include "Common/device/ZKServerLauncher.h"
#include "Common/device/netclient/ZKNetDeviceProxy.h"

class ZKNetServerProxy final : public IZKServer {
public:
    // Connects to the user's running server, or starts one and connects (zk::ConnectOrSpawnNetServer).
    // Null with a message when neither works.
    static std::unique_ptr<ZKNetServerProxy> Create(const zk::NetServerLaunch& launch, std::string& error,
                                                    ZKNetDeadlines deadlines = {});

    explicit ZKNetServerProxy(std::shared_ptr<ZKNetClient> client, ZKNetDeadlines deadlines = {});

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
    template <typename Prepare, typename Request, typename Reply>
    std::int32_t Invoke(Prepare prepare, const Request& request, Reply& reply);

    std::shared_ptr<ZKNetClient> client_;
    const ZKNetDeadlines deadlines_;
    // The client attaches its session on the first open; one opening thread at a time.
    std::mutex openLock_;
};
