// The gRPC proxies end to end: an in-process zelknetserver on a scenario of its own in a temporary runtime
// folder, reached through ZKNetServerProxy / ZKNetDeviceProxy and the program's ZKServer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Common/device/netclient/ZKNetServerProxy.h"
#include "ZelkNetServer/ZelkNetServer.h"
#include "support/ServedScenario.h"
#include "support/TestSupport.h"

using namespace zknet;

namespace {

const char* const kScenario = R"(
[server]
version = [2, 11, 5]
[[server.identity]]
root = 100
name = "Team"
rights = 5
[[server.identity]]
root = 100
user = 7
name = "Alice"
[[server.access]]
root = 100
area = 4
triples = [[100, 0, 0], [100, 7, 1002]]

[[device]]
address = [1, 0, 1]
description = "first"
features = [3, 9]
[device.identity]
type = "ECU-M4"
serial = 11
root_id = 100
[device.identity.times]
last_program = 4242
[device.identity.extended]
preboot_program = 77
[[device.error]]
id = 12
active = 1
stored = 3
count = 2
[device.store]
hex = "00 01 02 03 04 05 06 07"
[device.store.profile]
hex = "aabbccdd"
address = 8
header_word = 0x0102
[device.calibration]
renaming = { hex = "__CAL__" }
[device.item_rights]
"1" = 0x03
[device.monitor]
"5" = 123456

[[device]]
address = [2, 0, 1]
description = "second"
[device.identity]
type = "PDU-16"
serial = 22
)";

constexpr std::uint32_t kKey = 4242;

class ZKNetProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string text = kScenario;
        text.replace(text.find("__CAL__"), 7, std::string(1300 * 2, '5'));
        std::string error;
        netServer_ = zktest::StartServedScenario(text, folder_, error);
        ASSERT_TRUE(netServer_) << error;
        client_ = ZKNetClient::ConnectExisting(folder_, error);
        ASSERT_TRUE(client_) << error;
    }
    void TearDown() override {
        client_.reset();
        if (netServer_) netServer_->Shutdown();
    }

    std::uint16_t major_ = 0;
    std::uint16_t minor_ = 0;

    ZKServer::Factory Proxy(ZKNetDeadlines deadlines = {}) {
        return [this, deadlines] { return std::make_unique<ZKNetServerProxy>(client_, deadlines); };
    }

    // SimControl: `method` with `request`, which must be carried out.
    template <typename Request>
    void Sim(grpc::Status (zelknet::SimControl::Stub::*method)(grpc::ClientContext*, const Request&,
                                                               zelknet::SimReply*),
             const Request& request) {
        zelknet::SimReply reply;
        auto context = ZKNetClient::Context();
        ASSERT_TRUE((client_->Sim().*method)(context.get(), request, &reply).ok());
        ASSERT_TRUE(reply.ok()) << reply.error();
    }
    void InjectFault(const std::string& operation, bool hang) {
        zelknet::SimFaultRequest request;
        request.set_operation(operation);
        request.set_count(1);
        request.set_hang(hang);
        Sim(&zelknet::SimControl::Stub::InjectFault, request);
    }
    void QueueMessages(const std::vector<std::string>& texts) {
        zelknet::SimMessagesRequest request;
        request.set_device(0);
        for (const auto& text : texts)
            request.add_texts(text);
        Sim(&zelknet::SimControl::Stub::QueueMessages, request);
    }

    ZKTimerServer timers_;  // for the heartbeat registrations
    zktest::TempDir temp_;
    std::string folder_ = temp_.Path() + "/zelkor";
    std::unique_ptr<ZelkNetServer> netServer_;
    std::shared_ptr<ZKNetClient> client_;
};

}  // namespace

TEST_F(ZKNetProxyTest, ServerOperations) {
    ZKServer server(Proxy());
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    ASSERT_TRUE(server.GetVersion(major, minor));
    EXPECT_EQ(2, major);
    EXPECT_EQ(11, minor);
    EXPECT_TRUE(server.VersionAtLeast(2, 11, 5));
    EXPECT_FALSE(server.VersionAtLeast(2, 11, 6));

    std::vector<ZKDeviceListEntry> devices;
    ASSERT_TRUE(server.GetDeviceList(devices));
    ASSERT_EQ(2u, devices.size());
    EXPECT_EQ("ECU-M4", devices[0].identity.typeName);
    EXPECT_EQ("second", devices[1].description);

    std::vector<ZKAccessEntry> access;
    ASSERT_TRUE(server.GetAccessList(100, 0, 0, 0, 4, ZKAccessFilter::All, access));
    EXPECT_EQ((std::vector<ZKAccessEntry>{{100, 7, 1002}, {100, 0, 0}}), access);  // "Alice" before "Team"

    std::string text;
    EXPECT_TRUE(server.IdentityName(100, 7, text));
    EXPECT_EQ("Alice", text);
    EXPECT_FALSE(server.IdentityName(101, 0, text));
    EXPECT_TRUE(server.ErrorText(1002, nullptr, text));
    EXPECT_EQ("No identity file", text);
    std::uint8_t rights = 0;
    EXPECT_TRUE(server.AccessRights(100, 0, rights));
    EXPECT_EQ(5, rights);
    EXPECT_TRUE(server.SelectIdentity(100, 7));
    std::vector<std::uint8_t> profile;
    EXPECT_FALSE(server.GetStoredProfile("ECU-M4", 9, 9, 9, profile));
    EXPECT_FALSE(server.StoreProfile(std::vector<std::uint8_t>{1, 2, 3}));  // no readable header
}

TEST_F(ZKNetProxyTest, DeviceOperations) {
    auto server = std::make_unique<ZKServer>(Proxy());
    std::unique_ptr<IZKDevice> device;
    ASSERT_TRUE(server->OpenDevice(1, 0, 1, device));
    EXPECT_FALSE(server->OpenDevice(9, 0, 1, device));
    ASSERT_TRUE(server->OpenDevice(1, 0, 1, device));
    std::uint16_t result = 99;

    ZKDeviceIdentity identity;
    ASSERT_EQ(kS_OK, device->Identify(identity, result));
    EXPECT_EQ(0, result);
    EXPECT_EQ("ECU-M4", identity.typeName);
    EXPECT_EQ(kKey, identity.Key());
    EXPECT_EQ(0u, identity.preBootProgramTime);
    ASSERT_EQ(kS_OK, device->IdentifyEx(identity, result));
    EXPECT_EQ(77u, identity.preBootProgramTime);

    QueueMessages({"one", "two!!"});
    std::string text;
    std::vector<std::string> read;
    while (device->GetNextMessage(text, result) == kS_OK && result == 0 && !text.empty())
        read.push_back(text);
    EXPECT_EQ((std::vector<std::string>{"one", "two!!"}), read);

    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(kS_OK, device->ReadStore(2, 3, bytes, result));
    EXPECT_EQ((std::vector<std::uint8_t>{2, 3, 4}), bytes);
    EXPECT_EQ(kS_OK, device->ReadStore(1000, 4, bytes, result));
    EXPECT_EQ(kResultNoData, result);  // not a link failure

    std::vector<ZKErrorState> states;
    ASSERT_EQ(kS_OK, device->ReadErrorStates(kKey, {12, 13}, states, result));
    EXPECT_EQ((std::vector<ZKErrorState>{{1, 3, 2}, {0, 0, 0}}), states);
    EXPECT_EQ(kS_OK, device->ReadErrorStates(kKey + 1, {12}, states, result));
    EXPECT_EQ(kResultWrongKey, result);
    EXPECT_TRUE(states.empty());
    ASSERT_EQ(kS_OK, device->ClearErrors(kKey, result));
    ASSERT_EQ(kS_OK, device->ReadErrorStates(kKey, {12}, states, result));
    EXPECT_EQ(0u, states.at(0).stored);

    ZKProfileLocation location;
    ASSERT_EQ(kS_OK, device->GetProfileLocation(kKey, location, result));
    EXPECT_EQ(8u, location.address);
    EXPECT_EQ(4u, location.size);
    EXPECT_EQ(0x0102, location.headerWord);

    IZKDevice::Features features{};
    ASSERT_EQ(kS_OK, device->GetFeatures(kKey, features, result));
    EXPECT_EQ(3, features[0]);
    EXPECT_EQ(9, features[1]);
    EXPECT_EQ(0, features[2]);

    ASSERT_EQ(kS_OK, device->ReadItemRights(kKey, 0, 2, bytes, result));
    EXPECT_EQ((std::vector<std::uint8_t>{0x0F, 0x03}), bytes);
    ASSERT_EQ(kS_OK, device->ReadCalibration(kKey, 1, 1024, 512, bytes, result));
    EXPECT_EQ(std::vector<std::uint8_t>(276, 0x55), bytes);  // the last piece of 1300 bytes
    std::vector<std::uint32_t> values;
    ASSERT_EQ(kS_OK, device->ReadMonitorValues(kKey, {5, 6}, values, result));
    EXPECT_EQ((std::vector<std::uint32_t>{123456, 0}), values);

    // The device keeps its connection when the server object goes.
    server.reset();
    EXPECT_EQ(kS_OK, device->Ping());
}

TEST_F(ZKNetProxyTest, FailedAndHungCallsFail) {
    ZKNetDeadlines deadlines;
    deadlines.call = std::chrono::milliseconds(300);
    deadlines.ping = std::chrono::milliseconds(200);
    int lost = 0;
    ZKServer server(Proxy(deadlines), [&] { ++lost; });
    const auto tick = [&] {
        server.Tick(0, 0);
        server.WaitForHeartbeat();  // returns when the ping's deadline has passed
    };
    tick();
    tick();
    EXPECT_EQ(0, lost);
    InjectFault("Server.Ping", true);
    tick();
    tick();
    EXPECT_EQ(1, lost);
    // From then on the server is left alone.
    EXPECT_FALSE(server.GetVersion(major_, minor_));

    auto raw = Proxy(deadlines)();
    std::unique_ptr<IZKDevice> device;
    ASSERT_EQ(kS_OK, raw->OpenDevice(1, 0, 1, device));
    zelknet::SimPingRequest noAnswer;
    noAnswer.set_answer(false);
    Sim(&zelknet::SimControl::Stub::SetPingAnswer, noAnswer);
    EXPECT_EQ(kE_TIMEOUT, raw->Ping());

    InjectFault("Server.GetDeviceList", true);
    std::vector<std::uint8_t> list;
    EXPECT_EQ(kE_TIMEOUT, raw->GetDeviceList(list));
    InjectFault("Device.GetNextMessage", false);
    std::string text;
    std::uint16_t result = 0;
    EXPECT_EQ(kE_FAIL, device->GetNextMessage(text, result));
    EXPECT_EQ(kS_OK, device->GetNextMessage(text, result));

    // Without the server every call fails.
    netServer_->Shutdown();
    EXPECT_TRUE(Failed(device->Ping()));
    EXPECT_TRUE(Failed(raw->GetVersion(major_, minor_)));
}

TEST_F(ZKNetProxyTest, CreateConnectsToTheRunningServerOrReportsWhyNot) {
    zk::NetServerLaunch launch;
    launch.runtimeFolder = folder_;
    std::string error;
    auto proxy = ZKNetServerProxy::Create(launch, error);
    ASSERT_TRUE(proxy) << error;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    EXPECT_EQ(kS_OK, proxy->GetVersion(major, minor));
    EXPECT_EQ(11, minor);

    zktest::TempDir empty;
    launch.runtimeFolder = empty.Path() + "/zelkor";
    launch.program = "no-such-zelknetserver";
    launch.timeout = std::chrono::milliseconds(500);
    EXPECT_FALSE(ZKNetServerProxy::Create(launch, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(ZKNetProxyTest, CallsFromSeveralThreadsAtOnce) {
    ZKServer server(Proxy());
    std::unique_ptr<IZKDevice> device;
    ASSERT_TRUE(server.OpenDevice(1, 0, 1, device));
    constexpr int kMessages = 200;
    std::vector<std::string> texts;
    for (int i = 0; i < kMessages; ++i)
        texts.push_back("m" + std::to_string(i));
    QueueMessages(texts);

    std::atomic<int> listed{0};
    std::thread search([&] {
        for (int i = 0; i < 50; ++i) {
            std::vector<ZKDeviceListEntry> devices;
            if (server.GetDeviceList(devices) && devices.size() == 2) ++listed;
        }
    });
    std::vector<std::string> read;
    std::thread worker([&] {
        std::string text;
        std::uint16_t result = 0;
        while (device->GetNextMessage(text, result) == kS_OK && !text.empty())
            read.push_back(text);
    });
    search.join();
    worker.join();
    EXPECT_EQ(50, listed.load());
    EXPECT_EQ(texts, read);
}

// The program's ZKDevice over the proxies: opening reads the profile location, reads go over the wire, group
// interfaces come from the server, and a lost server is reported once by the link check.
TEST_F(ZKNetProxyTest, ZKDeviceOpensIdentifiesAndReadsThroughTheServer) {
    int lost = 0;
    ZKServer server(Proxy(), [&] { ++lost; });
    std::vector<ZKDeviceListEntry> list;
    ASSERT_TRUE(server.GetDeviceList(list));
    ASSERT_EQ(2u, list.size());

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
    netServer_->Shutdown();
    tick();
    tick();
    EXPECT_EQ(1, lost);
    std::string text;
    EXPECT_FALSE(device->NextMessage(text, ZKOnFailure::DropLink));
    EXPECT_FALSE(device->IsConnected());
}
