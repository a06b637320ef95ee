// ZKDevice end to end: an in-process zelknetserver reached through the gRPC proxies.
#include <gtest/gtest.h>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKServer.h"
#include "Common/device/netclient/ZKNetServerProxy.h"
#include "ZelkNetServer/ZelkNetServer.h"
#include "support/ServedScenario.h"
#include "support/TestSupport.h"

namespace {

const char* const kScenario = R"(
[server]
version = [2, 11, 5]

[[device]]
address = [1, 0, 1]
description = "first"
[device.identity]
type = "ECU-M4"
serial = 11
[device.identity.times]
last_program = 4242
[device.identity.extended]
preboot_program = 77
[device.store]
hex = "00 01 02 03 04 05 06 07"
[device.store.profile]
hex = "aabbccdd"
address = 8
header_word = 0x0102
)";

}  // namespace

TEST(ZKDeviceNetTest, OpensIdentifiesAndReadsThroughTheServer) {
    zktest::TempDir temp;
    const std::string folder = temp.Path() + "/zelkor";
    std::string error;
    const auto served = zktest::StartServedScenario(kScenario, folder, error);
    ASSERT_TRUE(served) << error;
    ZelkNetServer& netServer = *served;
    std::shared_ptr<ZKNetClient> client = ZKNetClient::ConnectExisting(folder, error);
    ASSERT_TRUE(client) << error;

    ZKTimerServer timers;
    int lost = 0;
    ZKServer server([&] { return std::make_unique<ZKNetServerProxy>(client); }, [&] { ++lost; });
    std::vector<ZKDeviceListEntry> list;
    ASSERT_TRUE(server.GetDeviceList(list));
    ASSERT_EQ(1u, list.size());

    ZKDevice::Hooks hooks;
    auto device = ZKDevice::Open(server, list[0], nullptr, 1, ZKDeviceAccess{}, hooks);
    EXPECT_TRUE(device->IsConnected());
    EXPECT_EQ(8u, device->ProfileLocation().address);
    EXPECT_EQ(4u, device->ProfileLocation().size);
    EXPECT_EQ(0x0102, device->ProfileLocation().headerWord);

    ZKDeviceIdentity identity;
    ASSERT_TRUE(device->IdentifyBest(identity));
    EXPECT_EQ(77u, identity.preBootProgramTime);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(device->ReadStore(8, 4, bytes, ZKStoreRead::WhenConnected));
    EXPECT_EQ((std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC, 0xDD}), bytes);
    EXPECT_FALSE(device->ReadStore(1000, 4, bytes, ZKStoreRead::WhenConnected));
    EXPECT_TRUE(device->IsConnected());  // no data is not a link failure
    // Group interfaces come over the wire: purpose 5 needs the logging data group; the gated calibration
    // groups of purpose 0 need their access areas.
    auto logging = ZKDevice::Open(server, list[0], nullptr, 5, ZKDeviceAccess{}, hooks);
    EXPECT_TRUE(logging->HasGroup(ZKDeviceGroup::LoggingData));
    EXPECT_TRUE(logging->CheckLink());
    EXPECT_THROW(ZKDevice::Open(server, list[0], nullptr, 0, ZKDeviceAccess{}, hooks), std::runtime_error);
    logging.reset();

    const auto tick = [&] {
        device->Tick(0, 0);
        device->WaitForLinkCheck();
    };
    tick();
    tick();
    EXPECT_EQ(0, lost);
    netServer.Shutdown();
    tick();
    tick();
    EXPECT_EQ(1, lost);
    std::string text;
    EXPECT_FALSE(device->NextMessage(text, ZKOnFailure::DropLink));
    EXPECT_FALSE(device->IsConnected());
}
