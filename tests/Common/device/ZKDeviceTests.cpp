#include "Common/device/ZKDevice.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <utility>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/ZKAssert.h"
#include "support/FakeZKServer.h"

namespace {

using Op = FakeZKDevice::Op;
using Group = ZKDeviceGroup;

constexpr std::uint32_t kKey = 4242;

// A 64-byte profile image header for start..end with profile revision `revision`.
std::vector<std::uint8_t> ProfileHeader(std::uint32_t start, std::uint32_t end, std::uint16_t revision) {
    std::vector<std::uint8_t> header(64, 0);
    const auto put16 = [&](std::size_t at, std::uint16_t value) {
        header[at] = static_cast<std::uint8_t>(value >> 8);
        header[at + 1] = static_cast<std::uint8_t>(value);
    };
    const auto put32 = [&](std::size_t at, std::uint32_t value) {
        put16(at, static_cast<std::uint16_t>(value >> 16));
        put16(at + 2, static_cast<std::uint16_t>(value));
    };
    put16(0, 0xC0DE);
    put16(2, 3);
    put32(4, start);
    put32(8, end);
    header[16] = 'E';
    put16(48, 64);
    header[50] = 1;
    put16(60, revision);
    return header;
}

class ZKDeviceTest : public ::testing::Test {
protected:
    ZKDeviceTest() {
        entry_.address1 = 1;
        entry_.address2 = 2;
        entry_.address3 = 3;
        entry_.identity.lastProgramTime = kKey;
        location_.size = 0x2000;
        location_.address = 0x100;
        location_.headerWord = 7;
        device_.SetProfileLocation(location_);
        server_.AddDevice(1, 2, 3, device_);
    }

    std::unique_ptr<ZKServer> Connect() {
        return std::make_unique<ZKServer>([this] { return std::make_unique<FakeZKServer>(server_); },
                                          [this] { ++lost_; });
    }
    // A new server of another version, as after a restart: devices opened through the old one must be gone.
    void Reconnect(std::uint16_t major, std::uint16_t minor) {
        server_.SetVersion(major, minor);
        zkServer_ = Connect();
    }
    std::unique_ptr<ZKDevice> Open(std::uint32_t purpose = 1) {
        return ZKDevice::Open(*zkServer_, entry_, &profile_, purpose, access_, hooks_);
    }
    // The text of the exception Open throws, or "" when it opens.
    std::string OpenFailure(std::uint32_t purpose) {
        try {
            Open(purpose);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return {};
    }

    ZKTimerServer timers_;
    FakeZKServer server_;
    FakeZKDevice device_;
    std::unique_ptr<ZKServer> zkServer_ = Connect();
    ZKDeviceListEntry entry_;
    ZKProfileLocation location_;
    ZPProfile profile_;
    ZKDeviceAccess access_;
    ZKDevice::Hooks hooks_;
    int lost_ = 0;
};

}  // namespace

TEST_F(ZKDeviceTest, OpenReadsTheProfileLocationAndKeepsTheLinkCheckWhileItLives) {
    auto device = Open();
    EXPECT_EQ(location_, device->ProfileLocation());
    EXPECT_EQ(kKey, device_.LastKey());
    EXPECT_TRUE(device->IsConnected());
    EXPECT_FALSE(device->IsInSync());
    EXPECT_EQ(0, device_.Calls(Op::GetGroup));
    EXPECT_TRUE(ZKTimerServer::IsRegistered(0, device.get()));

    ZKTimerClient* gone = device.get();
    ZKDevice::Destroy(device);
    EXPECT_FALSE(device);
    EXPECT_FALSE(ZKTimerServer::IsRegistered(0, gone));

    Reconnect(1, 4);
    auto old = Open();
    EXPECT_FALSE(ZKTimerServer::IsRegistered(0, old.get()));
}

TEST_F(ZKDeviceTest, OpenFailsWithTheNameOfWhatIsMissing) {
    EXPECT_EQ("unknown purpose", OpenFailure(8));
    // Gated groups are refused before the server is asked while their access area is not granted.
    EXPECT_EQ("GetCalibrationGroup", OpenFailure(0));
    EXPECT_EQ("GetLoggingSetupGroup", OpenFailure(2));
    EXPECT_EQ(0, device_.Calls(Op::GetGroup));
    access_.codes[ZKDeviceAccess::kAreaCalibration] = 0;
    access_.codes[ZKDeviceAccess::kAreaCalibrationProgramming] = 0;
    device_.OfferGroup(Group::Calibration);
    EXPECT_EQ("GetCalibrationProgrammingGroup", OpenFailure(0));
    EXPECT_EQ("LoggingData_GetGroup", OpenFailure(4));
    EXPECT_EQ("LoggingData_GetGroup", OpenFailure(5));
    for (std::uint32_t purpose : {1u, 3u, 6u, 7u})
        EXPECT_EQ("", OpenFailure(purpose)) << purpose;

    // No profile: gated groups are refused although granted.
    device_.OfferGroup(Group::CalibrationProgramming);
    EXPECT_EQ("", OpenFailure(0));
    EXPECT_THROW(ZKDevice::Open(*zkServer_, entry_, nullptr, 0, access_, hooks_), std::runtime_error);

    server_.SetHResult(FakeZKServer::Op::OpenDevice, zknet::kE_FAIL);
    EXPECT_EQ("no identify", OpenFailure(1));
    entry_.address3 = 9;
    server_.SetHResult(FakeZKServer::Op::OpenDevice, zknet::kS_OK);
    EXPECT_EQ("no identify", OpenFailure(1));
}

TEST_F(ZKDeviceTest, GroupsFetchedByPurposeAreKeptAliveWithTheMainInterface) {
    access_.codes[ZKDeviceAccess::kAreaCalibration] = 0;
    hooks_.groupWords = [](const ZPProfile&) { return std::pair<std::uint16_t, std::uint16_t>{5, 6}; };
    for (Group group : {Group::Calibration, Group::LoggingData, Group::Further1, Group::Further2})
        device_.OfferGroup(group);

    // Before 2.12 purpose 4 takes no further groups; the calibration group is optional and gated.
    Reconnect(2, 11);
    auto device = Open(4);
    EXPECT_TRUE(device->HasGroup(Group::LoggingData));
    EXPECT_FALSE(device->HasGroup(Group::Further1));
    EXPECT_TRUE(device->HasGroup(Group::Calibration));
    EXPECT_FALSE(device->HasGroup(Group::CalibrationProgramming));
    EXPECT_EQ((std::pair<std::uint16_t, std::uint16_t>{5, 6}), device_.GroupWords(Group::Calibration));
    EXPECT_EQ((std::pair<std::uint16_t, std::uint16_t>{0, 0}), device_.GroupWords(Group::LoggingData));

    device.reset();
    Reconnect(2, 12);
    device = Open(4);
    EXPECT_TRUE(device->HasGroup(Group::Further1));
    EXPECT_TRUE(device->HasGroup(Group::Further2));

    EXPECT_TRUE(device->CheckLink());
    EXPECT_EQ(1, device_.Calls(Op::Ping));
    EXPECT_EQ(1, device_.KeepAlives(Group::Further2));

    // The check runs off the GUI thread; the tick after it collects the answer. A failing keep-alive
    // anywhere is a lost server, reported once; every interface is still kept alive.
    const auto tick = [&] {
        device->Tick(0, 0);
        device->WaitForLinkCheck();
    };
    tick();
    tick();
    EXPECT_EQ(0, lost_);
    EXPECT_EQ(3, device_.Calls(Op::Ping));
    device_.SetKeepAlive(Group::LoggingData, zknet::kE_FAIL);
    tick();
    tick();
    EXPECT_EQ(1, lost_);
    EXPECT_EQ(4, device_.KeepAlives(Group::Further2));

    // Once the server is lost no check starts and every call fails without reaching the server.
    device_.SetKeepAlive(Group::LoggingData, zknet::kS_OK);
    tick();
    EXPECT_EQ(1, lost_);
    EXPECT_EQ(4, device_.Calls(Op::Ping));
    ZKDeviceIdentity identity;
    EXPECT_FALSE(device->Identify(identity));
    EXPECT_EQ(0, device_.Calls(Op::Identify));
    EXPECT_FALSE(device->IsConnected());

    // Only client id 0 is the link check.
    const unsigned long reports = zk::AssertReportCount();
    const int pings = device_.Calls(Op::Ping);
    device->Tick(1, 0);
    EXPECT_EQ(reports + 1, zk::AssertReportCount());
    EXPECT_EQ(pings, device_.Calls(Op::Ping));
}

TEST_F(ZKDeviceTest, ProfileHeaderFallbackUsesTheStoreHeaderOrSixtyFourBytes) {
    device_.SetAnswer(Op::GetProfileLocation, zknet::kS_OK, 5);
    const auto openWithStore = [&](std::vector<std::uint8_t> store) {
        device_.SetStore(std::move(store));
        return Open()->ProfileLocation();
    };
    ZKProfileLocation fallback;
    fallback.size = 64;

    ZKProfileLocation read = openWithStore(ProfileHeader(0x1000, 0x1FFF, 0x0203));
    EXPECT_EQ(0x1000u, read.size);
    EXPECT_EQ(0u, read.address);
    EXPECT_EQ(0x0203, read.headerWord);
    EXPECT_EQ(0x400000u, openWithStore(ProfileHeader(0x10, 0x40000F, 1)).size);
    EXPECT_EQ(fallback, openWithStore(ProfileHeader(0x10, 0x400010, 1)));  // 4194305 bytes
    EXPECT_EQ(fallback, openWithStore(ProfileHeader(0x10, 0x0E, 1)));      // end before start
    auto badMagic = ProfileHeader(0, 0xFF, 1);
    badMagic[1] = 0xDF;
    EXPECT_EQ(fallback, openWithStore(badMagic));
    EXPECT_EQ(fallback, openWithStore({1, 2, 3}));  // the store has no 64 bytes

    // Even when the store read fails outright, the device opens connected.
    device_.SetAnswer(Op::ReadStore, zknet::kE_FAIL);
    auto device = Open();
    EXPECT_EQ(fallback, device->ProfileLocation());
    EXPECT_TRUE(device->IsConnected());
}

TEST_F(ZKDeviceTest, FailedCallsClearTheConnectedBitButNoDataKeepsIt) {
    device_.SetStore({10, 11, 12, 13});
    auto device = Open();
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(device->ReadStore(1, 2, data, ZKStoreRead::WhenConnected));
    EXPECT_EQ((std::vector<std::uint8_t>{11, 12}), data);

    // Past the end the fake answers 46: no data, link kept.
    EXPECT_FALSE(device->ReadStore(3, 2, data, ZKStoreRead::WhenConnected));
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(device->IsConnected());

    device_.SetAnswer(Op::ReadStore, zknet::kS_OK, 13);
    EXPECT_FALSE(device->ReadStore(0, 2, data, ZKStoreRead::Always));
    EXPECT_FALSE(device->IsConnected());
    const int reads = device_.Calls(Op::ReadStore);
    EXPECT_FALSE(device->ReadStore(0, 2, data, ZKStoreRead::WhenConnected));
    EXPECT_EQ(reads, device_.Calls(Op::ReadStore));

    ZKProfileLocation location;
    ASSERT_TRUE(device->ReadProfileLocation(location));
    EXPECT_EQ(location_, location);
    EXPECT_TRUE(device->IsConnected());
    device_.SetAnswer(Op::GetProfileLocation, zknet::kE_FAIL);
    EXPECT_FALSE(device->ReadProfileLocation(location));
    EXPECT_EQ(ZKProfileLocation{}, location);
    EXPECT_FALSE(device->IsConnected());
}

TEST_F(ZKDeviceTest, IdentifyUsesTheExtendedFormFromServerTwoPointTen) {
    ZKDeviceIdentity identity;
    identity.lastProgramTime = 99;
    identity.typeName = "ECU";
    identity.preBootProgramTime = 77;
    device_.SetIdentity(identity);

    Reconnect(2, 9);
    auto device = Open();
    ZKDeviceIdentity read;
    ASSERT_TRUE(device->IdentifyBest(read));
    EXPECT_EQ(0u, read.preBootProgramTime);
    EXPECT_EQ(0, device_.Calls(Op::IdentifyEx));

    device.reset();
    Reconnect(2, 10);
    device = Open();
    ASSERT_TRUE(device->RefreshIdentity());
    EXPECT_EQ(identity, device->Entry().identity);
    EXPECT_EQ(99u, device->Key());
    EXPECT_EQ(1, device_.Calls(Op::IdentifyEx));

    device_.SetAnswer(Op::IdentifyEx, zknet::kS_OK, 1);
    EXPECT_FALSE(device->IdentifyBest(read));
    EXPECT_FALSE(device->IsConnected());
    ASSERT_TRUE(device->Identify(read));
    EXPECT_TRUE(device->IsConnected());
}

TEST_F(ZKDeviceTest, NextMessageDropsTheLinkOnlyWhenAsked) {
    device_.QueueMessages({"", "hello"});
    auto device = Open();
    std::string text;
    EXPECT_FALSE(device->NextMessage(text, ZKOnFailure::DropLink));  // an empty text is no message
    ASSERT_TRUE(device->NextMessage(text, ZKOnFailure::DropLink));
    EXPECT_EQ("hello", text);

    device_.SetAnswer(Op::GetNextMessage, zknet::kE_TIMEOUT);
    EXPECT_FALSE(device->NextMessage(text, ZKOnFailure::KeepLink));
    EXPECT_TRUE(device->IsConnected());
    EXPECT_FALSE(device->NextMessage(text, ZKOnFailure::DropLink));
    EXPECT_FALSE(device->IsConnected());
}

TEST_F(ZKDeviceTest, MonitorValuesNeedTheLinkFullyUp) {
    device_.SetMonitorValue(5, 0xFFFFFFFF);
    auto device = Open();
    std::vector<std::uint32_t> values;
    EXPECT_FALSE(device->ReadMonitorValues({5}, values, ZKOnFailure::DropLink));
    EXPECT_EQ(0, device_.Calls(Op::ReadMonitorValues));

    device->MarkInSync(ZKItemTable::Keep);
    EXPECT_TRUE(device->IsFullyUp());
    ASSERT_TRUE(device->ReadMonitorValues({5}, values, ZKOnFailure::DropLink));
    EXPECT_EQ((std::vector<std::uint32_t>{0xFFFFFFFF}), values);

    device_.SetAnswer(Op::ReadMonitorValues, zknet::kE_FAIL);
    EXPECT_FALSE(device->ReadMonitorValues({5}, values, ZKOnFailure::KeepLink));
    EXPECT_TRUE(device->IsFullyUp());
    EXPECT_FALSE(device->ReadMonitorValues({5}, values, ZKOnFailure::DropLink));
    EXPECT_FALSE(device->IsConnected());
    EXPECT_TRUE(device->IsInSync());
    device->MarkLost();
    EXPECT_FALSE(device->IsInSync());
}

TEST_F(ZKDeviceTest, MarkInSyncRebuildsTheItemTableFromTheProfile) {
    auto device = Open();
    EXPECT_THROW(device->MarkInSync(ZKItemTable::Rebuild), std::runtime_error);  // no items
    EXPECT_TRUE(device->IsInSync());

    hooks_.items = [](const ZPProfile&) {
        const auto twice = [](double raw, double& scaled) {
            scaled = raw * 2;
            return true;
        };
        return std::vector<ZKDeviceItemTable::Item>{{30, ZKDeviceItemTable::kRawI8, twice},
                                                    {10, ZKDeviceItemTable::kRawU16, twice}};
    };
    device = Open();
    device->MarkInSync(ZKItemTable::Rebuild);
    EXPECT_EQ(2u, device->ItemCount());
    std::uint16_t position = 0;
    ASSERT_TRUE(device->PositionOf(30, position));
    EXPECT_EQ(0, position);
    double value = 0;
    ASSERT_TRUE(device->ConvertValue(30, 0xFF, value));
    EXPECT_EQ(-2.0, value);
}

TEST(ZKLinkStateTest, BitsSetFromSeveralThreadsAreNotLost) {
    ZKLinkState state;
    EXPECT_EQ(0u, state.Word());
    constexpr int kRounds = 20000;
    std::thread connected([&] {
        for (int i = 0; i < kRounds; ++i)
            state.SetConnected(i % 2 == 0);
        state.SetConnected(true);
    });
    std::thread inSync([&] {
        for (int i = 0; i < kRounds; ++i)
            state.SetInSync(i % 2 == 0);
        state.SetInSync(true);
    });
    connected.join();
    inSync.join();
    EXPECT_TRUE(state.IsFullyUp());

    state.SetConnected(false);
    EXPECT_FALSE(state.IsFullyUp());
    EXPECT_TRUE(state.IsInSync());
    state.Clear();
    EXPECT_EQ(0u, state.Word());
}
