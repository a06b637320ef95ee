#include "Common/device/ZKServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKNetCodes.h"
#include "Platform/Window.h"
#include "Platform/ZKAssert.h"
#include "support/FakeZKServer.h"
#include "support/Watchdog.h"

namespace {

using Op = FakeZKServer::Op;
using namespace std::chrono_literals;

ZKServer::Factory Serve(const FakeZKServer& fake) {
    return [fake] { return std::make_unique<FakeZKServer>(fake); };
}

class ZKServerTest : public ::testing::Test {
protected:
    // The heartbeat registers with the timer service, so one runs for every test.
    ZKTimerServer timers_;
    FakeZKServer fake_;

    std::unique_ptr<ZKServer> Make(std::uint16_t major, std::uint16_t minor, std::uint16_t build = 0) {
        fake_.SetVersion(major, minor, build);
        return std::make_unique<ZKServer>(Serve(fake_));
    }
};

std::vector<std::uint8_t> DeviceListBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        ZKDeviceListEntry entry;
        entry.address1 = static_cast<std::uint32_t>(i + 1);
        entry.identity.typeName = "ECU-" + std::to_string(i);
        entry.description = "device " + std::to_string(i);
        entry.AppendTo(bytes);
    }
    return bytes;
}

}  // namespace

TEST_F(ZKServerTest, CreationFailureThrowsBuggerAndStartupNamesIt) {
    for (const ZKServer::Factory& failing :
         {ZKServer::Factory([] { return std::unique_ptr<IZKServer>(); }),
          ZKServer::Factory([]() -> std::unique_ptr<IZKServer> { throw std::bad_alloc(); })}) {
        try {
            ZKServer server(failing);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ("BUGGER", e.what());
        }
        std::unique_ptr<ZKServer> server;
        EXPECT_EQ(ZKServerStartup::CantStart, ZKServer::Start(failing, {}, server));
        EXPECT_FALSE(server);
    }
    EXPECT_EQ("Cant start ZelkNetServer", ZKServer::StartupText(ZKServerStartup::CantStart));
}

TEST_F(ZKServerTest, StartupAcceptsOnlyMajorVersionTwo) {
    std::unique_ptr<ZKServer> server;
    fake_.SetVersion(2, 0);
    EXPECT_EQ(ZKServerStartup::Ok, ZKServer::Start(Serve(fake_), {}, server));
    EXPECT_TRUE(server);

    // A 3.0 server passes every version test but is refused at start.
    fake_.SetVersion(3, 0);
    EXPECT_TRUE(ZKServer(Serve(fake_)).VersionAtLeast(2, 12, 0));
    EXPECT_EQ(ZKServerStartup::WrongVersion, ZKServer::Start(Serve(fake_), {}, server));
    EXPECT_FALSE(server);
    EXPECT_EQ("Wrong ZelkNetServer version", ZKServer::StartupText(ZKServerStartup::WrongVersion));

    fake_.SetHResult(Op::GetVersion, zknet::kE_FAIL);
    EXPECT_EQ(ZKServerStartup::CantUse, ZKServer::Start(Serve(fake_), {}, server));
    EXPECT_EQ("Cant use ZelkNetServer", ZKServer::StartupText(ZKServerStartup::CantUse));
}

TEST_F(ZKServerTest, HeartbeatIsRegisteredFromVersionOnePointFiveUntilDestruction) {
    auto old = Make(1, 4);
    EXPECT_FALSE(ZKTimerServer::IsRegistered(0, old.get()));
    auto server = Make(1, 5);
    EXPECT_TRUE(ZKTimerServer::IsRegistered(0, server.get()));
    ZKTimerClient* gone = server.get();
    server.reset();
    EXPECT_FALSE(ZKTimerServer::IsRegistered(0, gone));

    fake_.SetHResult(Op::GetVersion, zknet::kE_FAIL);
    auto silent = std::make_unique<ZKServer>(Serve(fake_));
    EXPECT_FALSE(ZKTimerServer::IsRegistered(0, silent.get()));
}

TEST_F(ZKServerTest, VersionTestUsesTheBuildNumberFromTwoPointSeven) {
    auto v24 = Make(2, 4);
    EXPECT_TRUE(v24->VersionAtLeast(2, 4, 0));
    EXPECT_FALSE(v24->VersionAtLeast(2, 4, 1));  // no build number before 2.7
    EXPECT_TRUE(v24->VersionAtLeast(2, 3, 99));
    EXPECT_TRUE(v24->VersionAtLeast(1, 99, 99));
    EXPECT_FALSE(v24->VersionAtLeast(2, 5, 0));
    EXPECT_FALSE(v24->VersionAtLeast(3, 0, 0));
    EXPECT_EQ(0, fake_.Calls(Op::GetBuildNumber));

    auto v25 = Make(2, 5);
    EXPECT_TRUE(v25->VersionAtLeast(2, 4, 0));
    EXPECT_TRUE(v25->VersionAtLeast(2, 4, 1));

    auto v27 = Make(2, 7, 3);
    EXPECT_TRUE(v27->VersionAtLeast(2, 7, 3));
    EXPECT_FALSE(v27->VersionAtLeast(2, 7, 4));
    auto v30 = Make(3, 0, 0);
    EXPECT_TRUE(v30->VersionAtLeast(3, 0, 0));

    // Asked once per connection, when it is made: version tests cost no further call, so a server that
    // later fails or hangs does not change their answers.
    const int versionCalls = fake_.Calls(Op::GetVersion);
    const int buildCalls = fake_.Calls(Op::GetBuildNumber);
    fake_.SetHResult(Op::GetVersion, zknet::kE_FAIL);
    fake_.SetHResult(Op::GetBuildNumber, zknet::kE_FAIL);
    EXPECT_TRUE(v30->VersionAtLeast(3, 0, 0));
    EXPECT_FALSE(v27->VersionAtLeast(2, 7, 4));
    EXPECT_TRUE(v24->VersionAtLeast(2, 4, 0));
    EXPECT_EQ(versionCalls, fake_.Calls(Op::GetVersion));
    EXPECT_EQ(buildCalls, fake_.Calls(Op::GetBuildNumber));

    // A connection whose answers failed fails its version tests and asks again next time.
    auto silent = Make(3, 0, 2);
    EXPECT_FALSE(silent->VersionAtLeast(0, 0, 0));
    fake_.SetHResult(Op::GetVersion, zknet::kS_OK);
    EXPECT_TRUE(silent->VersionAtLeast(2, 99, 99));
    EXPECT_FALSE(silent->VersionAtLeast(3, 0, 1));  // the build number still fails
    fake_.SetHResult(Op::GetBuildNumber, zknet::kS_OK);
    EXPECT_TRUE(silent->VersionAtLeast(3, 0, 1));
    const int answered = fake_.Calls(Op::GetBuildNumber);
    EXPECT_FALSE(silent->VersionAtLeast(3, 0, 3));
    EXPECT_EQ(answered, fake_.Calls(Op::GetBuildNumber));
}

TEST_F(ZKServerTest, AccessListIsFilteredAndSortedByIdentityName) {
    auto server = Make(2, 11);
    fake_.SetIdentityName(1, 0, "beta");
    fake_.SetIdentityName(2, 0, "Zulu");  // byte order: upper case first
    fake_.SetIdentityName(3, 0, "alpha");
    fake_.SetIdentityName(3, 9, "Alpha");
    fake_.SetAccessList({100, 0, 0, 0, 4}, {1, 0, 11, 3, 9, 12, 2, 0, 13, 3, 0, 14});
    std::vector<ZKAccessEntry> list{{9, 9, 9}};
    ASSERT_TRUE(server->GetAccessList(100, 0, 0, 0, 4, ZKAccessFilter::All, list));
    EXPECT_EQ((std::vector<ZKAccessEntry>{{3, 9, 12}, {2, 0, 13}, {3, 0, 14}, {1, 0, 11}}), list);
    ASSERT_TRUE(server->GetAccessList(100, 0, 0, 0, 4, ZKAccessFilter::RootsOnly, list));
    EXPECT_EQ((std::vector<ZKAccessEntry>{{2, 0, 13}, {3, 0, 14}, {1, 0, 11}}), list);

    // Without names nothing moves.
    fake_.SetHResult(Op::GetIdentityName, zknet::kE_FAIL);
    ASSERT_TRUE(server->GetAccessList(100, 0, 0, 0, 4, ZKAccessFilter::All, list));
    EXPECT_EQ((std::vector<ZKAccessEntry>{{1, 0, 11}, {3, 9, 12}, {2, 0, 13}, {3, 0, 14}}), list);
}

TEST_F(ZKServerTest, AccessListFailsOnBrokenTriplesOrAFailedCall) {
    auto server = Make(2, 11);
    fake_.SetAccessList({1, 2, 3, 4, 5}, {1, 0, 11, 2});
    std::vector<ZKAccessEntry> list{{9, 9, 9}};
    EXPECT_FALSE(server->GetAccessList(1, 2, 3, 4, 5, ZKAccessFilter::All, list));
    EXPECT_TRUE(list.empty());

    EXPECT_TRUE(server->GetAccessList(7, 7, 7, 7, 7, ZKAccessFilter::All, list));  // an empty list
    fake_.SetHResult(Op::GetAccessList, zknet::kE_FAIL);
    EXPECT_FALSE(server->GetAccessList(7, 7, 7, 7, 7, ZKAccessFilter::All, list));
}

TEST_F(ZKServerTest, ErrorTextsAboveTenThousandAreLocal) {
    auto server = Make(2, 11);
    fake_.SetErrorText(1002, "No identity file");
    std::string text;
    EXPECT_TRUE(server->ErrorText(10000, nullptr, text));
    EXPECT_EQ("No Root id defined", text);
    ZKDeviceIdentity identity;
    identity.boxState = 800;
    EXPECT_TRUE(server->ErrorText(10001, &identity, text));
    EXPECT_EQ("Box state too low (800)", text);
    EXPECT_TRUE(server->ErrorText(10001, nullptr, text));
    EXPECT_EQ("Box state too low", text);
    EXPECT_FALSE(server->ErrorText(10002, nullptr, text));
    EXPECT_EQ("", text);
    EXPECT_EQ(0, fake_.Calls(Op::GetErrorText));

    EXPECT_TRUE(server->ErrorText(1002, nullptr, text));
    EXPECT_EQ("No identity file", text);
    EXPECT_TRUE(server->ServerErrorText(10000, text));  // the plain form asks the server for every code
    EXPECT_EQ("Error 10000", text);
    EXPECT_EQ(2, fake_.Calls(Op::GetErrorText));
    fake_.SetHResult(Op::GetErrorText, zknet::kE_FAIL);
    EXPECT_FALSE(server->ErrorText(1002, nullptr, text));
    EXPECT_EQ("", text);
}

TEST_F(ZKServerTest, EmptyIdentityNameCountsAsNotFound) {
    auto server = Make(2, 11);
    fake_.SetIdentityName(100, 0, "Team");
    fake_.SetIdentityName(101, 0, "");
    std::string name;
    EXPECT_TRUE(server->IdentityName(100, 0, name));
    EXPECT_EQ("Team", name);
    EXPECT_FALSE(server->IdentityName(101, 0, name));
    EXPECT_FALSE(server->IdentityName(102, 0, name));
    EXPECT_EQ("", name);
}

TEST_F(ZKServerTest, DeviceListMustBeWholeEntries) {
    auto server = Make(2, 11);
    std::vector<ZKDeviceListEntry> list(3);
    fake_.SetDeviceList({});
    EXPECT_TRUE(server->GetDeviceList(list));
    EXPECT_TRUE(list.empty());

    fake_.SetDeviceList(DeviceListBytes(2));
    ASSERT_TRUE(server->GetDeviceList(list));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(2u, list[1].address1);
    EXPECT_EQ("ECU-1", list[1].identity.typeName);
    EXPECT_EQ("device 1", list[1].description);

    auto bytes = DeviceListBytes(1);
    bytes.pop_back();
    fake_.SetDeviceList(bytes);
    EXPECT_FALSE(server->GetDeviceList(list));
    EXPECT_TRUE(list.empty());
    fake_.SetDeviceList(DeviceListBytes(1));
    fake_.SetHResult(Op::GetDeviceList, zknet::kE_FAIL);
    EXPECT_FALSE(server->GetDeviceList(list));
}

TEST_F(ZKServerTest, AccessRightsNeedTwoPointFourAndAValidAnswer) {
    fake_.SetAccessRights(100, 0, 0x05);
    std::uint8_t rights = 0xFF;
    EXPECT_FALSE(Make(2, 3)->AccessRights(100, 0, rights));
    EXPECT_EQ(0, fake_.Calls(Op::GetAccessRights));
    EXPECT_EQ(0, rights);

    auto server = Make(2, 4);
    EXPECT_TRUE(server->AccessRights(100, 0, rights));
    EXPECT_EQ(0x05, rights);
    EXPECT_FALSE(server->AccessRights(100, 1, rights));  // status 1: no valid answer
    EXPECT_EQ(0, rights);
}

TEST_F(ZKServerTest, DevicesProfilesAndIdentitySelection) {
    FakeZKDevice device;
    device.QueueMessages({"hello"});
    fake_.AddDevice(1, 0, 1, device);
    auto server = Make(2, 11);

    std::unique_ptr<IZKDevice> opened;
    ASSERT_TRUE(server->OpenDevice(1, 0, 1, opened));
    std::string text;
    std::uint16_t result = 1;
    EXPECT_EQ(zknet::kS_OK, opened->GetNextMessage(text, result));
    EXPECT_EQ("hello", text);
    EXPECT_EQ(1, device.Calls(FakeZKDevice::Op::GetNextMessage));
    EXPECT_FALSE(server->OpenDevice(2, 0, 1, opened));
    EXPECT_FALSE(opened);

    const std::vector<std::uint8_t> image{1, 2, 3};
    std::vector<std::uint8_t> stored{9};
    EXPECT_FALSE(server->GetStoredProfile("ECU-M4", 1, 2, 3, stored));
    EXPECT_TRUE(stored.empty());
    EXPECT_TRUE(server->StoreProfile(image));
    EXPECT_TRUE(server->GetStoredProfile("ECU-M4", 1, 2, 3, stored));
    EXPECT_EQ(image, stored);

    EXPECT_TRUE(server->SelectIdentity(100, 7));
    EXPECT_EQ((std::pair<std::uint16_t, std::uint16_t>(100, 7)), fake_.SelectedIdentity());
    fake_.SetHResult(Op::SelectIdentity, zknet::kE_NOTIMPL);
    EXPECT_FALSE(server->SelectIdentity(100, 7));
}

TEST_F(ZKServerTest, AFailedPingIsCollectedByTheNextTickAndReportedOnceThenEveryCallFailsAtOnce) {
    int lost = 0;
    fake_.SetVersion(2, 11);
    ZKServer server(Serve(fake_), [&] { ++lost; });
    const auto tick = [&] {
        server.Tick(0, 0);
        server.WaitForHeartbeat();
    };
    tick();
    tick();
    EXPECT_EQ(0, lost);
    EXPECT_EQ(2, fake_.Calls(Op::Ping));
    fake_.SetHResult(Op::Ping, zknet::kE_TIMEOUT);
    tick();  // the failing ping
    EXPECT_EQ(0, lost);
    tick();  // its answer
    EXPECT_EQ(1, lost);
    EXPECT_TRUE(server.IsLost());

    // Lost: no more pings, no further report, and no call reaches the server.
    fake_.SetHResult(Op::Ping, zknet::kS_OK);
    tick();
    server.ReportLost();
    EXPECT_EQ(1, lost);
    EXPECT_EQ(3, fake_.Calls(Op::Ping));
    std::vector<ZKDeviceListEntry> list;
    EXPECT_FALSE(server.GetDeviceList(list));
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    EXPECT_FALSE(server.GetVersion(major, minor));
    EXPECT_EQ(0, fake_.Calls(Op::GetDeviceList));
}

// The whole road: the timer service ticks the heartbeat on the GUI thread, the ping fails, and
// WMU_SERVER_LOST arrives at the main window.
TEST_F(ZKServerTest, HeartbeatPostsServerLostToTheMainWindow) {
    zk::WindowSystemScope windows;
    zktest::Watchdog watchdog(10s);
    zk::WindowCreateParams params;
    params.style = zk::WS_POPUP;
    int lostMessages = 0;
    params.proc = [&](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
        if (m == WMU_TIMER_TICK) ZKTimerServer::Deliver(w);
        if (m == WMU_SERVER_LOST) ++lostMessages;
        return zk::DefWindowProc(h, m, w, l);
    };
    const zk::HWND window = zk::CreateWindowEx(params);
    ZKTimerServer::SetTickWindow(window);

    auto server = Make(2, 11);
    server->SetMainWindow(window);
    fake_.SetHResult(Op::Ping, zknet::kE_UNAVAILABLE);
    zk::MSG msg;
    while (lostMessages == 0 && zk::GetMessage(msg))
        zk::DispatchMessage(msg);
    EXPECT_EQ(1, lostMessages);
    EXPECT_EQ(1, fake_.Calls(Op::Ping));
    server.reset();

    // Without a main window the report is an internal error, not a silent loss.
    auto orphan = Make(2, 11);
    const unsigned long reports = zk::AssertReportCount();
    orphan->ReportLost();
    EXPECT_EQ(reports + 1, zk::AssertReportCount());
    zk::DestroyWindow(window);
}

TEST_F(ZKServerTest, CallsFromSeveralThreadsAtOnce) {
    fake_.SetDeviceList(DeviceListBytes(3));
    auto server = Make(2, 11, 4);
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                std::vector<ZKDeviceListEntry> list;
                if (server->GetDeviceList(list) && list.size() == 3 && server->VersionAtLeast(2, 11, 4))
                    ++good;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(kThreads * kRounds, good.load());
    EXPECT_EQ(kThreads * kRounds, fake_.Calls(Op::GetDeviceList));
}
