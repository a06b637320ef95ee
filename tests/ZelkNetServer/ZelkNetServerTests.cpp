// The served operations, end to end over the socket: an in-process server on a scenario of its own in a
// temporary runtime folder, and real gRPC clients.
#include "ZelkNetServer/ZelkNetServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>

#include "Common/device/ZKNetCodes.h"
#include "Common/device/netclient/ZKNetClient.h"
#include "Common/profile/ZPImageIdentity.h"
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
[[server.access]]
root = 100
area = 4
triples = [[100, 0, 0], [100, 7, 1002]]

[[device]]
address = [1, 0, 1]
description = "first"
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

[[device]]
address = [2, 0, 1]
description = "second"
[device.identity]
type = "PDU-16"
serial = 22
)";

class ZelkNetServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string text = kScenario;
        text.replace(text.find("__CAL__"), 7, std::string(1300 * 2, '5'));
        std::string error;
        server_ = zktest::StartServedScenario(text, folder_, error);
        ASSERT_TRUE(server_) << error;
        client_ = Connect();
        ASSERT_TRUE(client_);
    }
    void TearDown() override {
        client_.reset();
        if (server_) server_->Shutdown();
    }

    std::unique_ptr<ZKNetClient> Connect() {
        std::string error;
        auto client = ZKNetClient::ConnectExisting(folder_, error);
        EXPECT_TRUE(client) << error;
        return client;
    }

    std::uint64_t Open(ZKNetClient& client, std::uint32_t address1) {
        std::int32_t hr = 0;
        return client.OpenDevice(address1, 0, 1, hr);
    }

    zelknet::DeviceRequest Request(std::uint64_t handle, std::uint32_t key = 4242) {
        zelknet::DeviceRequest request;
        request.set_handle(handle);
        request.set_key(key);
        return request;
    }

    std::int32_t DevicePing(ZKNetClient& client, std::uint64_t handle) {
        zelknet::Status reply;
        auto context = ZKNetClient::Context();
        return ZKNetClient::HResult(client.Device().Ping(context.get(), Request(handle), &reply), reply);
    }

    // Read as the program reads them: the call that polls for its answer before it sleeps.
    zelknet::MessageReply NextMessage(std::uint64_t handle) {
        zelknet::MessageReply reply;
        auto context = ZKNetClient::Context();
        EXPECT_TRUE(ZKNetClient::Call(client_->Device(), &zelknet::Device::Stub::PrepareAsyncGetNextMessage,
                                      context.get(), Request(handle), &reply)
                        .ok());
        return reply;
    }

    zelknet::SimReply Sim(const std::function<grpc::Status(grpc::ClientContext*, zelknet::SimReply*)>& call) {
        zelknet::SimReply reply;
        auto context = ZKNetClient::Context();
        EXPECT_TRUE(call(context.get(), &reply).ok());
        return reply;
    }

    zktest::TempDir temp_;
    std::string folder_ = temp_.Path() + "/zelkor";
    std::unique_ptr<ZelkNetServer> server_;
    std::unique_ptr<ZKNetClient> client_;
};

}  // namespace

TEST_F(ZelkNetServerTest, RuntimeFolderAndSocketArePrivate) {
    struct stat st {};
    ASSERT_EQ(0, ::stat(folder_.c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    ASSERT_EQ(0, ::stat(server_->SocketPath().c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);

    // A second server of the same user is refused by the lock, and leaves the first one's socket alone.
    ZelkNetServer second(ZelkNetScenario{}, ZelkNetServerOptions{folder_, false});
    std::string error;
    bool running = false;
    EXPECT_FALSE(second.Start(error, running));
    EXPECT_TRUE(running);
    EXPECT_TRUE(Connect());
}

TEST(ZelkNetRuntimeFolder, OpenFolderOrForeignOwnerIsRefused) {
    zktest::TempDir temp;
    const std::string folder = temp.Path() + "/zelkor";
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    ZelkNetServer server(ZelkNetScenario{}, ZelkNetServerOptions{folder, false});
    std::string error;
    bool running = false;
    EXPECT_FALSE(server.Start(error, running));
    EXPECT_NE(std::string::npos, error.find("0700")) << error;
}

TEST_F(ZelkNetServerTest, VersionDeviceListAndServerData) {
    zelknet::VersionReply version;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetVersion(context.get(), {}, &version).ok());
    EXPECT_EQ(2u, version.major());
    EXPECT_EQ(11u, version.minor());
    zelknet::BuildReply build;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetBuildNumber(context.get(), {}, &build).ok());
    EXPECT_EQ(5u, build.build());

    zelknet::BytesReply list;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetDeviceList(context.get(), {}, &list).ok());
    ASSERT_EQ(2 * ZKDeviceListEntry::kSize, list.data().size());
    const auto entries = ZKDeviceListEntry::DecodeList(
        {reinterpret_cast<const std::uint8_t*>(list.data().data()), list.data().size()});
    EXPECT_EQ("ECU-M4", entries->at(0).identity.typeName);
    EXPECT_EQ("second", entries->at(1).description);

    zelknet::AccessListRequest access;
    access.set_selector1(100);
    access.set_selector5(4);
    zelknet::AccessListReply words;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetAccessList(context.get(), access, &words).ok());
    EXPECT_EQ((std::vector<std::uint32_t>{100, 0, 0, 100, 7, 1002}),
              std::vector<std::uint32_t>(words.words().begin(), words.words().end()));

    zelknet::IdentityRequest identity;
    identity.set_identity(100);
    zelknet::TextReply name;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetIdentityName(context.get(), identity, &name).ok());
    EXPECT_EQ("Team", name.text());
    zelknet::AccessRightsReply rights;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetAccessRights(context.get(), identity, &rights).ok());
    EXPECT_EQ(5u, rights.rights());
    EXPECT_EQ(0u, rights.status());
    identity.set_identity(101);
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().GetIdentityName(context.get(), identity, &name).ok());
    EXPECT_EQ("", name.text());
}

TEST_F(ZelkNetServerTest, MessagesComeBackInOrderAndSurviveADisconnect) {
    std::vector<std::string> texts;
    for (int i = 0; i < 250; ++i)
        texts.push_back("message " + std::to_string(i));
    zelknet::SimMessagesRequest queue;
    for (const auto& text : texts)
        queue.add_texts(text);
    EXPECT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().QueueMessages(c, queue, r); }).ok());

    // A client reads the first ten and goes away; the rest wait for the next reader.
    {
        auto early = Connect();
        const std::uint64_t handle = Open(*early, 1);
        ASSERT_NE(0u, handle);
        for (int i = 0; i < 10; ++i) {
            zelknet::MessageReply reply;
            auto context = ZKNetClient::Context();
            ASSERT_TRUE(early->Device().GetNextMessage(context.get(), Request(handle), &reply).ok());
            EXPECT_EQ(texts[static_cast<std::size_t>(i)], reply.text());
        }
    }
    const std::uint64_t handle = Open(*client_, 1);
    for (std::size_t i = 10; i < texts.size(); ++i)
        EXPECT_EQ(texts[i], NextMessage(handle).text());
    const zelknet::MessageReply none = NextMessage(handle);
    EXPECT_EQ(kS_OK, none.hresult());
    EXPECT_EQ("", none.text());
}

TEST_F(ZelkNetServerTest, UnpluggedDeviceFailsEveryCallButTheKeepAliveAndRecoversWhenReplugged) {
    const std::uint64_t handle = Open(*client_, 1);
    ASSERT_NE(0u, handle);
    zelknet::SimDeviceRequest device;
    device.set_device(0);
    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().Unplug(c, device, r); }).ok());

    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));  // the interface still answers
    EXPECT_EQ(kE_NOT_CONNECTED, NextMessage(handle).hresult());
    zelknet::IdentifyReply identity;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().Identify(context.get(), Request(handle), &identity).ok());
    EXPECT_EQ(kE_NOT_CONNECTED, identity.hresult());
    std::int32_t hr = 0;
    EXPECT_EQ(0u, client_->OpenDevice(1, 0, 1, hr));  // not reachable, not listed, cannot be opened
    EXPECT_EQ(kE_NOT_FOUND, hr);

    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().Plug(c, device, r); }).ok());
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));
}

TEST_F(ZelkNetServerTest, IdentityStoreAndCalibrationReads) {
    const std::uint64_t handle = Open(*client_, 1);
    zelknet::IdentifyReply identity;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().IdentifyEx(context.get(), Request(handle), &identity).ok());
    ASSERT_EQ(168u, identity.identity().size());
    const auto decoded = ZKDeviceIdentity::Decode(
        {reinterpret_cast<const std::uint8_t*>(identity.identity().data()), identity.identity().size()});
    EXPECT_EQ(77u, decoded->preBootProgramTime);
    EXPECT_EQ(11u, decoded->serialNumber);

    zelknet::ReadStoreRequest store;
    store.set_handle(handle);
    store.set_address(6);
    store.set_length(4);
    zelknet::DeviceBytesReply bytes;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadStore(context.get(), store, &bytes).ok());
    EXPECT_EQ(std::string("\x06\x07\xaa\xbb", 4), bytes.data());
    store.set_address(10);
    store.set_length(3);  // one byte past the end
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadStore(context.get(), store, &bytes).ok());
    EXPECT_EQ(kS_OK, bytes.hresult());
    EXPECT_EQ(kResultNoData, bytes.code());

    zelknet::ProfileLocationReply location;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().GetProfileLocation(context.get(), Request(handle), &location).ok());
    EXPECT_EQ((ZKProfileLocation{0, 0, 4, 8, 0x0102, 0, 0}).Encode(),
              ZKBytes(location.location().begin(), location.location().end()));

    // A 1300-byte calibration is read in pieces of at most 512 bytes.
    std::vector<std::size_t> pieces;
    for (std::uint32_t offset = 0; offset < 1300; offset += 512) {
        zelknet::CalibrationRequest calibration;
        calibration.set_handle(handle);
        calibration.set_key(4242);
        calibration.set_section(1);
        calibration.set_offset(offset);
        calibration.set_length(offset == 0 ? 2000 : 512);
        context = ZKNetClient::Context();
        ASSERT_TRUE(client_->Device().ReadCalibration(context.get(), calibration, &bytes).ok());
        pieces.push_back(bytes.data().size());
    }
    EXPECT_EQ((std::vector<std::size_t>{512, 512, 276}), pieces);
}

TEST_F(ZelkNetServerTest, ErrorStatesLimitAndClear) {
    const std::uint64_t handle = Open(*client_, 1);
    zelknet::ErrorStatesRequest request;
    request.set_handle(handle);
    request.set_key(4242);
    for (int i = 0; i < 25; ++i)
        request.add_error_ids(static_cast<std::uint32_t>(i));
    zelknet::ErrorStatesReply reply;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadErrorStates(context.get(), request, &reply).ok());
    ASSERT_EQ(25u * 12, reply.records().size());
    EXPECT_EQ(std::string("\x01\0\0\0\x03\0\0\0\x02\0\0\0", 12), reply.records().substr(12 * 12, 12));

    request.add_error_ids(25);
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadErrorStates(context.get(), request, &reply).ok());
    EXPECT_EQ(kE_INVALIDARG, reply.hresult());

    zelknet::DeviceReply cleared;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ClearErrors(context.get(), Request(handle), &cleared).ok());
    EXPECT_EQ(kS_OK, cleared.hresult());
    request.clear_error_ids();
    request.add_error_ids(12);
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadErrorStates(context.get(), request, &reply).ok());
    EXPECT_EQ(std::string("\x01\0\0\0\0\0\0\0\0\0\0\0", 12), reply.records());  // active stays, stored gone

    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ClearErrors(context.get(), Request(handle, 1), &cleared).ok());
    EXPECT_EQ(kResultWrongKey, cleared.code());
}

TEST_F(ZelkNetServerTest, HandlesDieWithTheirConnection) {
    auto other = Connect();
    const std::uint64_t handle = Open(*other, 2);
    ASSERT_NE(0u, handle);
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));  // a handle is valid for anyone while it lives
    EXPECT_EQ(1u, server_->World().OpenHandleCount());
    other.reset();
    EXPECT_TRUE(
        zktest::WaitUntil([&] { return server_->World().OpenHandleCount() == 0; }, std::chrono::seconds(5)));
    EXPECT_EQ(kE_HANDLE, DevicePing(*client_, handle));
}

TEST_F(ZelkNetServerTest, MalformedRequestsAreAnsweredWithErrors) {
    EXPECT_EQ(kE_HANDLE, DevicePing(*client_, 12345));
    EXPECT_EQ(kE_HANDLE, NextMessage(0).hresult());
    const std::uint64_t handle = Open(*client_, 1);

    zelknet::ReadStoreRequest store;
    store.set_handle(handle);
    store.set_address(0xFFFFFFFF);
    store.set_length(0xFFFFFFFF);
    zelknet::DeviceBytesReply bytes;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadStore(context.get(), store, &bytes).ok());
    EXPECT_EQ(kE_INVALIDARG, bytes.hresult());
    store.set_length(16);
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadStore(context.get(), store, &bytes).ok());
    EXPECT_EQ(kResultNoData, bytes.code());  // address + length overflow 32 bits: outside the store

    zelknet::MonitorRequest monitor;
    monitor.set_handle(handle);
    monitor.add_item_ids(70000);
    zelknet::MonitorReply values;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().ReadMonitorValues(context.get(), monitor, &values).ok());
    EXPECT_EQ(kE_INVALIDARG, values.hresult());

    zelknet::OpenDeviceRequest open;  // no session
    open.set_address1(1);
    open.set_address3(1);
    zelknet::OpenDeviceReply opened;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().OpenDevice(context.get(), open, &opened).ok());
    EXPECT_EQ(0u, opened.handle());

    // A message beyond the size limit is refused by the transport, and the server keeps serving.
    zelknet::StoreProfileRequest huge;
    huge.set_profile(std::string(kMaxMessageBytes + 1, 'x'));
    zelknet::Status status;
    context = ZKNetClient::Context();
    EXPECT_FALSE(client_->Server().StoreProfile(context.get(), huge, &status).ok());
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));
}

TEST_F(ZelkNetServerTest, InjectedFaultsFailOrHangPastTheDeadline) {
    zelknet::SimFaultRequest fault;
    fault.set_operation("Device.GetNextMessage");
    fault.set_count(2);
    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().InjectFault(c, fault, r); }).ok());
    const std::uint64_t handle = Open(*client_, 1);
    EXPECT_EQ(kE_FAIL, NextMessage(handle).hresult());
    EXPECT_EQ(kE_FAIL, NextMessage(handle).hresult());
    EXPECT_EQ(kS_OK, NextMessage(handle).hresult());

    fault.set_operation("Device.Ping");
    fault.set_count(1);
    fault.set_hang(true);
    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().InjectFault(c, fault, r); }).ok());
    zelknet::Status reply;
    auto context = ZKNetClient::Context(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kE_TIMEOUT,
              ZKNetClient::HResult(client_->Device().Ping(context.get(), Request(handle), &reply), reply));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));

    fault.set_operation("Device.NoSuchCall");
    EXPECT_FALSE(Sim([&](auto* c, auto* r) { return client_->Sim().InjectFault(c, fault, r); }).ok());
}

TEST_F(ZelkNetServerTest, LostServerStopsAnsweringPing) {
    zelknet::SimPingRequest ping;
    ping.set_answer(false);
    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().SetPingAnswer(c, ping, r); }).ok());
    zelknet::Status reply;
    auto context = ZKNetClient::Context(std::chrono::milliseconds(100));
    EXPECT_TRUE(
        zknet::Failed(ZKNetClient::HResult(client_->Server().Ping(context.get(), {}, &reply), reply)));
}

// Hung calls hold no serving thread: more of them than the server has threads leave other calls answered
// at once, each ends with its own deadline, and a stopping server lets go of one that has none.
TEST_F(ZelkNetServerTest, HungCallsDoNotHoldUpOtherCalls) {
    zelknet::SimPingRequest ping;
    ping.set_answer(false);
    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().SetPingAnswer(c, ping, r); }).ok());
    constexpr int kHung = 6;
    std::vector<std::future<std::int32_t>> pings;
    for (int i = 0; i < kHung; ++i) {
        // Half of them poll for the answer first, then sleep: both ways end at the deadline.
        pings.push_back(std::async(std::launch::async, [this, polling = i % 2 == 1] {
            zelknet::Status reply;
            auto context = ZKNetClient::Context(std::chrono::milliseconds(1500));
            const grpc::Status status =
                polling ? ZKNetClient::Call(client_->Server(), &zelknet::Server::Stub::PrepareAsyncPing,
                                            context.get(), zelknet::Empty{}, &reply)
                        : client_->Server().Ping(context.get(), {}, &reply);
            return ZKNetClient::HResult(status, reply);
        }));
    }
    ASSERT_TRUE(zktest::WaitUntil([&] { return server_->World().HungCalls().Count() == kHung; },
                                  std::chrono::seconds(5)));
    const std::uint64_t handle = Open(*client_, 1);
    zelknet::MessageReply reply;
    // Due well before the hung calls' deadlines: it cannot succeed by waiting for them.
    auto context = ZKNetClient::Context(std::chrono::milliseconds(1000));
    EXPECT_TRUE(client_->Device().GetNextMessage(context.get(), Request(handle), &reply).ok());
    for (auto& hung : pings)
        EXPECT_EQ(kE_TIMEOUT, hung.get());
    EXPECT_TRUE(zktest::WaitUntil([&] { return server_->World().HungCalls().Count() == 0; },
                                  std::chrono::seconds(2)));

    // Without a deadline only the server's stop ends the call.
    auto endless = std::async(std::launch::async, [this] {
        zelknet::Status pingReply;
        grpc::ClientContext forever;
        return client_->Server().Ping(&forever, {}, &pingReply).ok();
    });
    ASSERT_TRUE(zktest::WaitUntil([&] { return server_->World().HungCalls().Count() == 1; },
                                  std::chrono::seconds(5)));
    server_->Shutdown();
    ASSERT_EQ(std::future_status::ready, endless.wait_for(std::chrono::seconds(5)));
    EXPECT_FALSE(endless.get());
}

TEST_F(ZelkNetServerTest, SimControlChangesIdentityAndQuitRequestsStop) {
    zelknet::SimIdentityRequest change;
    change.set_device(1);
    change.set_box_state(1000);
    change.set_type_name("PDU-32");
    ASSERT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().SetIdentity(c, change, r); }).ok());
    const std::uint64_t handle = Open(*client_, 2);
    zelknet::IdentifyReply identity;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Device().Identify(context.get(), Request(handle), &identity).ok());
    const auto decoded = ZKDeviceIdentity::Decode(
        {reinterpret_cast<const std::uint8_t*>(identity.identity().data()), identity.identity().size()});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(1000, decoded->boxState);
    EXPECT_EQ("PDU-32", decoded->typeName);

    change.set_device(9);
    EXPECT_FALSE(Sim([&](auto* c, auto* r) { return client_->Sim().SetIdentity(c, change, r); }).ok());

    EXPECT_FALSE(server_->WaitForStopRequest(std::chrono::milliseconds(0)));
    EXPECT_TRUE(Sim([&](auto* c, auto* r) { return client_->Sim().Quit(c, {}, r); }).ok());
    EXPECT_TRUE(server_->WaitForStopRequest(std::chrono::seconds(2)));
}

TEST_F(ZelkNetServerTest, StoredProfileImagesComeBackByTypeAndCodeVersion) {
    ZPImageIdentity id;
    id.typeName = "ECU-M4";
    id.codeBranch = 3;
    id.codeVersion = 1;
    id.codeRevision = 7;
    const ZKBytes image = id.BuildImage(ZKBytes{1, 2, 3, 4, 5, 6, 7, 8});
    zelknet::StoreProfileRequest store;
    store.set_profile(image.data(), image.size());
    zelknet::Status stored;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().StoreProfile(context.get(), store, &stored).ok());
    EXPECT_EQ(kS_OK, stored.hresult());

    const auto get = [this](std::uint32_t build) {
        zelknet::StoredProfileRequest request;
        request.set_type_name("ECU-M4");
        request.set_major(3);
        request.set_minor(1);
        request.set_build(build);
        zelknet::BytesReply reply;
        auto getContext = ZKNetClient::Context();
        EXPECT_TRUE(client_->Server().GetStoredProfile(getContext.get(), request, &reply).ok());
        return reply;
    };
    const zelknet::BytesReply found = get(7);
    EXPECT_EQ(kS_OK, found.hresult());
    EXPECT_EQ(image, ZKBytes(found.data().begin(), found.data().end()));
    EXPECT_EQ(kE_NOT_FOUND, get(8).hresult());

    store.set_profile(std::string(256, 'x'));  // no image header
    context = ZKNetClient::Context();
    ASSERT_TRUE(client_->Server().StoreProfile(context.get(), store, &stored).ok());
    EXPECT_EQ(kE_INVALIDARG, stored.hresult());
}

// The complete example of docs/scenario.md is data/scenarios/complete.toml, word for word, and serves
// with the profile image it names.
TEST(ZelkNetCompleteExample, IsTheDocumentedExampleAndServes) {
    const std::string doc = zktest::ReadWholeFile(ZK_SOURCE_DIR "/docs/scenario.md");
    const auto start = doc.find("```toml\n", doc.find("## Complete example"));
    ASSERT_NE(std::string::npos, start);
    const auto end = doc.find("```\n", start + 8);
    const std::string path = ZK_SOURCE_DIR "/data/scenarios/complete.toml";
    EXPECT_EQ(doc.substr(start + 8, end - start - 8), zktest::ReadWholeFile(path));

    std::string error;
    const auto scenario = ZelkNetScenario::Load(path, error);
    ASSERT_TRUE(scenario) << error;
    zktest::TempDir temp;
    ZelkNetServerOptions options;
    options.runtimeFolder = temp.Path() + "/zelkor";
    ZelkNetServer server(*scenario, options);
    bool running = false;
    ASSERT_TRUE(server.Start(error, running)) << error;
    auto client = ZKNetClient::ConnectExisting(options.runtimeFolder, error);
    ASSERT_TRUE(client) << error;

    zelknet::BytesReply list;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client->Server().GetDeviceList(context.get(), {}, &list).ok());
    const auto entries = ZKDeviceListEntry::DecodeList(
        {reinterpret_cast<const std::uint8_t*>(list.data().data()), list.data().size()});
    ASSERT_TRUE(entries && entries->size() == 1);
    EXPECT_EQ("ECU-M4", entries->front().identity.typeName);
    EXPECT_EQ(1201u, entries->front().identity.serialNumber);

    zelknet::StoredProfileRequest request;
    request.set_type_name("ECU-M4");
    request.set_major(3);
    request.set_minor(1);
    request.set_build(7);
    zelknet::BytesReply profile;
    context = ZKNetClient::Context();
    ASSERT_TRUE(client->Server().GetStoredProfile(context.get(), request, &profile).ok());
    const std::string image = zktest::ReadWholeFile(ZK_SOURCE_DIR "/data/scenarios/ECU-M4.3.1.7.ZKP");
    EXPECT_EQ(image, profile.data());
    EXPECT_TRUE(ZPImageIdentity::Check(ZKBytes(image.begin(), image.end())));
    client.reset();
    server.Shutdown();
}

// A scenario's queue limit holds over the wire: the reader is told how many messages went, before the
// newest that were kept.
TEST(ZelkNetServerQueue, AFullQueueTellsTheNextReaderHowManyMessagesWentBeforeTheRest) {
    zktest::TempDir temp;
    const std::string folder = temp.Path() + "/zelkor";
    std::string error;
    const auto server = zktest::StartServedScenario(R"(
[server]
queue_messages = 4
[[device]]
address = [1, 0, 1]
[device.identity]
type = "SEQ"
serial = 1
)",
                                                    folder, error);
    ASSERT_TRUE(server) << error;
    auto client = ZKNetClient::ConnectExisting(folder, error);
    ASSERT_TRUE(client) << error;

    zelknet::SimMessagesRequest queue;
    for (int i = 1; i <= 11; ++i)
        queue.add_texts("seq " + std::to_string(i));
    zelknet::SimReply queued;
    auto context = ZKNetClient::Context();
    ASSERT_TRUE(client->Sim().QueueMessages(context.get(), queue, &queued).ok());

    std::int32_t hr = 0;
    zelknet::DeviceRequest request;
    request.set_handle(client->OpenDevice(1, 0, 1, hr));
    ASSERT_NE(0u, request.handle());
    std::vector<std::string> texts;
    for (;;) {
        zelknet::MessageReply reply;
        context = ZKNetClient::Context();
        ASSERT_TRUE(client->Device().GetNextMessage(context.get(), request, &reply).ok());
        ASSERT_EQ(kS_OK, reply.hresult());
        if (reply.text().empty()) break;
        texts.push_back(reply.text());
    }
    EXPECT_EQ((std::vector<std::string>{"7 messages were dropped by the device server!!", "seq 8", "seq 9",
                                        "seq 10", "seq 11"}),
              texts);
    client.reset();
    server->Shutdown();
}
