// The served operations, end to end over the socket: an in-process server on a scenario of its own in a
// temporary runtime folder, and real gRPC clients.
#include "ZelkNetServer/ZelkNetServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>
#include <span>

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

std::span<const std::uint8_t> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// One call on a fresh context with the default deadline; whether the transport carried it.
template <typename Stub, typename Request, typename Reply>
bool Ok(Stub& stub, grpc::Status (Stub::*method)(grpc::ClientContext*, const Request&, Reply*),
        const Request& request, Reply& reply) {
    auto context = ZKNetClient::Context();
    return (stub.*method)(context.get(), request, &reply).ok();
}

zelknet::StoredProfileRequest StoredProfile(const std::string& type, std::uint32_t build) {
    zelknet::StoredProfileRequest request;
    request.set_type_name(type);
    request.set_major(3);
    request.set_minor(1);
    request.set_build(build);
    return request;
}

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

    // Whether SimControl carried out `method`.
    template <typename Request>
    bool Sim(grpc::Status (zelknet::SimControl::Stub::*method)(grpc::ClientContext*, const Request&,
                                                               zelknet::SimReply*),
             const Request& request) {
        zelknet::SimReply reply;
        EXPECT_TRUE(Ok(client_->Sim(), method, request, reply));
        return reply.ok();
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

TEST_F(ZelkNetServerTest, MessagesComeBackInOrderAndSurviveADisconnect) {
    std::vector<std::string> texts;
    zelknet::SimMessagesRequest queue;
    for (int i = 0; i < 250; ++i)
        queue.add_texts(texts.emplace_back("message " + std::to_string(i)));
    EXPECT_TRUE(Sim(&zelknet::SimControl::Stub::QueueMessages, queue));

    // A client reads the first ten and goes away; the rest wait for the next reader.
    {
        auto early = Connect();
        const std::uint64_t handle = Open(*early, 1);
        ASSERT_NE(0u, handle);
        for (int i = 0; i < 10; ++i) {
            zelknet::MessageReply reply;
            ASSERT_TRUE(Ok(early->Device(), &zelknet::Device::Stub::GetNextMessage, Request(handle), reply));
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
    ASSERT_TRUE(Sim(&zelknet::SimControl::Stub::Unplug, device));

    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));  // the interface still answers
    EXPECT_EQ(kE_NOT_CONNECTED, NextMessage(handle).hresult());
    zelknet::IdentifyReply identity;
    ASSERT_TRUE(Ok(client_->Device(), &zelknet::Device::Stub::Identify, Request(handle), identity));
    EXPECT_EQ(kE_NOT_CONNECTED, identity.hresult());
    std::int32_t hr = 0;
    EXPECT_EQ(0u, client_->OpenDevice(1, 0, 1, hr));  // not reachable, not listed, cannot be opened
    EXPECT_EQ(kE_NOT_FOUND, hr);

    ASSERT_TRUE(Sim(&zelknet::SimControl::Stub::Plug, device));
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));
}

// Reads across the end of the store and of a calibration piece (what they give is checked through the
// proxies).
TEST_F(ZelkNetServerTest, StoreReadsEndAtTheStoreAndCalibrationPiecesAt512Bytes) {
    using Device = zelknet::Device::Stub;
    const std::uint64_t handle = Open(*client_, 1);
    zelknet::ReadStoreRequest store;
    store.set_handle(handle);
    store.set_address(6);
    store.set_length(4);
    zelknet::DeviceBytesReply bytes;
    ASSERT_TRUE(Ok(client_->Device(), &Device::ReadStore, store, bytes));
    EXPECT_EQ(std::string("\x06\x07\xaa\xbb", 4), bytes.data());
    store.set_address(10);
    store.set_length(3);  // one byte past the end
    ASSERT_TRUE(Ok(client_->Device(), &Device::ReadStore, store, bytes));
    EXPECT_EQ(kS_OK, bytes.hresult());
    EXPECT_EQ(kResultNoData, bytes.code());

    // A 1300-byte calibration is read in pieces of at most 512 bytes.
    std::vector<std::size_t> pieces;
    for (std::uint32_t offset = 0; offset < 1300; offset += 512) {
        zelknet::CalibrationRequest calibration;
        calibration.set_handle(handle);
        calibration.set_key(4242);
        calibration.set_section(1);
        calibration.set_offset(offset);
        calibration.set_length(offset == 0 ? 2000 : 512);
        ASSERT_TRUE(Ok(client_->Device(), &Device::ReadCalibration, calibration, bytes));
        pieces.push_back(bytes.data().size());
    }
    EXPECT_EQ((std::vector<std::size_t>{512, 512, 276}), pieces);
}

TEST_F(ZelkNetServerTest, ErrorStatesLimitAndClear) {
    using Device = zelknet::Device::Stub;
    const std::uint64_t handle = Open(*client_, 1);
    zelknet::ErrorStatesRequest request;
    request.set_handle(handle);
    request.set_key(4242);
    for (int i = 0; i < 25; ++i)
        request.add_error_ids(static_cast<std::uint32_t>(i));
    zelknet::ErrorStatesReply reply;
    ASSERT_TRUE(Ok(client_->Device(), &Device::ReadErrorStates, request, reply));
    ASSERT_EQ(25u * 12, reply.records().size());
    EXPECT_EQ(std::string("\x01\0\0\0\x03\0\0\0\x02\0\0\0", 12), reply.records().substr(12 * 12, 12));

    request.add_error_ids(25);
    ASSERT_TRUE(Ok(client_->Device(), &Device::ReadErrorStates, request, reply));
    EXPECT_EQ(kE_INVALIDARG, reply.hresult());

    zelknet::DeviceReply cleared;
    ASSERT_TRUE(Ok(client_->Device(), &Device::ClearErrors, Request(handle), cleared));
    EXPECT_EQ(kS_OK, cleared.hresult());
    request.clear_error_ids();
    request.add_error_ids(12);
    ASSERT_TRUE(Ok(client_->Device(), &Device::ReadErrorStates, request, reply));
    EXPECT_EQ(std::string("\x01\0\0\0\0\0\0\0\0\0\0\0", 12), reply.records());  // active stays, stored gone

    ASSERT_TRUE(Ok(client_->Device(), &Device::ClearErrors, Request(handle, 1), cleared));
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
    ASSERT_TRUE(Ok(client_->Device(), &zelknet::Device::Stub::ReadStore, store, bytes));
    EXPECT_EQ(kE_INVALIDARG, bytes.hresult());
    store.set_length(16);
    ASSERT_TRUE(Ok(client_->Device(), &zelknet::Device::Stub::ReadStore, store, bytes));
    EXPECT_EQ(kResultNoData, bytes.code());  // address + length overflow 32 bits: outside the store

    zelknet::MonitorRequest monitor;
    monitor.set_handle(handle);
    monitor.add_item_ids(70000);
    zelknet::MonitorReply values;
    ASSERT_TRUE(Ok(client_->Device(), &zelknet::Device::Stub::ReadMonitorValues, monitor, values));
    EXPECT_EQ(kE_INVALIDARG, values.hresult());

    zelknet::OpenDeviceRequest open;  // no session
    open.set_address1(1);
    open.set_address3(1);
    zelknet::OpenDeviceReply opened;
    ASSERT_TRUE(Ok(client_->Server(), &zelknet::Server::Stub::OpenDevice, open, opened));
    EXPECT_EQ(0u, opened.handle());

    // A message beyond the size limit is refused by the transport, and the server keeps serving.
    zelknet::StoreProfileRequest huge;
    huge.set_profile(std::string(kMaxMessageBytes + 1, 'x'));
    zelknet::Status status;
    EXPECT_FALSE(Ok(client_->Server(), &zelknet::Server::Stub::StoreProfile, huge, status));
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));
}

TEST_F(ZelkNetServerTest, InjectedFaultsFailOrHangPastTheDeadline) {
    zelknet::SimFaultRequest fault;
    fault.set_operation("Device.GetNextMessage");
    fault.set_count(2);
    ASSERT_TRUE(Sim(&zelknet::SimControl::Stub::InjectFault, fault));
    const std::uint64_t handle = Open(*client_, 1);
    EXPECT_EQ(kE_FAIL, NextMessage(handle).hresult());
    EXPECT_EQ(kE_FAIL, NextMessage(handle).hresult());
    EXPECT_EQ(kS_OK, NextMessage(handle).hresult());

    fault.set_operation("Device.Ping");
    fault.set_count(1);
    fault.set_hang(true);
    ASSERT_TRUE(Sim(&zelknet::SimControl::Stub::InjectFault, fault));
    zelknet::Status reply;
    auto context = ZKNetClient::Context(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kE_TIMEOUT,
              ZKNetClient::HResult(client_->Device().Ping(context.get(), Request(handle), &reply), reply));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
    EXPECT_EQ(kS_OK, DevicePing(*client_, handle));

    fault.set_operation("Device.NoSuchCall");
    EXPECT_FALSE(Sim(&zelknet::SimControl::Stub::InjectFault, fault));
}

// A server that stops answering its ping leaves the caller's ping to its deadline. Hung calls hold no serving
// thread: more of them than the server has threads leave other calls answered at once, each ends with its own
// deadline, and a stopping server lets go of one that has none.
TEST_F(ZelkNetServerTest, HungCallsDoNotHoldUpOtherCalls) {
    zelknet::SimPingRequest ping;
    ping.set_answer(false);
    ASSERT_TRUE(Sim(&zelknet::SimControl::Stub::SetPingAnswer, ping));
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
    ASSERT_TRUE(Sim(&zelknet::SimControl::Stub::SetIdentity, change));
    const std::uint64_t handle = Open(*client_, 2);
    zelknet::IdentifyReply identity;
    ASSERT_TRUE(Ok(client_->Device(), &zelknet::Device::Stub::Identify, Request(handle), identity));
    const auto decoded = ZKDeviceIdentity::Decode(BytesOf(identity.identity()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(1000, decoded->boxState);
    EXPECT_EQ("PDU-32", decoded->typeName);

    change.set_device(9);
    EXPECT_FALSE(Sim(&zelknet::SimControl::Stub::SetIdentity, change));

    EXPECT_FALSE(server_->WaitForStopRequest(std::chrono::milliseconds(0)));
    EXPECT_TRUE(Sim(&zelknet::SimControl::Stub::Quit, {}));
    EXPECT_TRUE(server_->WaitForStopRequest(std::chrono::seconds(2)));
}

TEST_F(ZelkNetServerTest, StoredProfileImagesComeBackByTypeAndCodeVersion) {
    using Server = zelknet::Server::Stub;
    ZPImageIdentity id;
    id.typeName = "ECU-M4";
    id.codeBranch = 3;
    id.codeVersion = 1;
    id.codeRevision = 7;
    const ZKBytes image = id.BuildImage(ZKBytes{1, 2, 3, 4, 5, 6, 7, 8});
    zelknet::StoreProfileRequest store;
    store.set_profile(image.data(), image.size());
    zelknet::Status stored;
    ASSERT_TRUE(Ok(client_->Server(), &Server::StoreProfile, store, stored));
    EXPECT_EQ(kS_OK, stored.hresult());

    zelknet::BytesReply found;
    ASSERT_TRUE(Ok(client_->Server(), &Server::GetStoredProfile, StoredProfile("ECU-M4", 7), found));
    EXPECT_EQ(kS_OK, found.hresult());
    EXPECT_EQ(image, ZKBytes(found.data().begin(), found.data().end()));
    ASSERT_TRUE(Ok(client_->Server(), &Server::GetStoredProfile, StoredProfile("ECU-M4", 8), found));
    EXPECT_EQ(kE_NOT_FOUND, found.hresult());

    store.set_profile(std::string(256, 'x'));  // no image header
    ASSERT_TRUE(Ok(client_->Server(), &Server::StoreProfile, store, stored));
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
    ASSERT_TRUE(Ok(client->Server(), &zelknet::Server::Stub::GetDeviceList, {}, list));
    const auto entries = ZKDeviceListEntry::DecodeList(BytesOf(list.data()));
    ASSERT_TRUE(entries && entries->size() == 1);
    EXPECT_EQ("ECU-M4", entries->front().identity.typeName);
    EXPECT_EQ(1201u, entries->front().identity.serialNumber);

    zelknet::BytesReply profile;
    ASSERT_TRUE(
        Ok(client->Server(), &zelknet::Server::Stub::GetStoredProfile, StoredProfile("ECU-M4", 7), profile));
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
