// ZKDevice's data operations and a hung server, against an in-process zelknetserver on scenarios of the
// tests' own, through the gRPC proxies.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKServer.h"
#include "Common/device/netclient/ZKNetServerProxy.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/Window.h"
#include "ZelkNetServer/ZelkNetServer.h"
#include "support/DeviceTestProfile.h"
#include "support/ServedScenario.h"
#include "support/TestSupport.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRenamingSize = 1300;

// A renaming calibration whose every byte tells its offset.
std::vector<std::uint8_t> RenamingBytes() {
    std::vector<std::uint8_t> bytes(kRenamingSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 251);
    return bytes;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string hex;
    for (std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x ", byte);
        hex += pair;
    }
    return hex;
}

// A profile image of ECU-M4 for main code 3.1.7, the device's own.
std::vector<std::uint8_t> StoredImage() {
    ZPImageIdentity id;
    id.typeName = "ECU-M4";
    id.codeBranch = 3;
    id.codeVersion = 1;
    id.codeRevision = 7;
    return id.BuildImage(std::vector<std::uint8_t>(200, 0x5A));
}

// `store` goes into the device's section.
std::string Scenario(const std::string& version, const std::string& store = {}) {
    const std::string hex = Hex(RenamingBytes());
    return "[server]\nversion = " + version +
           "\n"
           "[[device]]\n"
           "address = [1, 0, 1]\n"
           "features = [4, 0, 9]\n"
           "[device.identity]\n"
           "type = \"ECU-M4\"\n"
           "main_code = [3, 1, 7]\n"
           "[device.identity.times]\n"
           "last_program = 4242\n"
           "[device.calibration]\n"
           "renaming = { hex = \"" +
           hex +
           "\" }\n"
           "[device.item_rights]\n"
           "default = 0x0F\n"
           "\"1\" = 0x05\n" +
           store;
}

// A served scenario, a client of it, the program's server object and the device opened through it.
class Served {
public:
    explicit Served(const std::string& version, ZKNetDeadlines deadlines = {}, ZKDevice::Hooks hooks = {},
                    const std::string& store = {}) {
        std::string error;
        netServer_ = zktest::StartServedScenario(Scenario(version, store), folder_, error);
        EXPECT_TRUE(netServer_) << error;
        if (!netServer_) return;
        client_ = ZKNetClient::ConnectExisting(folder_, error);
        EXPECT_TRUE(client_) << error;
        EXPECT_TRUE(zktest::ParseDeviceProfile(profile_));
        server_ = std::make_unique<ZKServer>(
            [this, deadlines] { return std::make_unique<ZKNetServerProxy>(client_, deadlines); },
            ZKServer::LostNotice{});
        std::vector<ZKDeviceListEntry> list;
        EXPECT_TRUE(server_->GetDeviceList(list));
        EXPECT_EQ(1u, list.size());
        if (list.size() != 1) return;
        device_ = ZKDevice::Open(*server_, list[0], &profile_, 1, ZKDeviceAccess{}, std::move(hooks));
        EXPECT_TRUE(device_->RefreshIdentity());
        device_->MarkInSync(ZKItemTable::Rebuild);
    }
    ~Served() {
        device_.reset();
        server_.reset();
        client_.reset();
        if (netServer_) netServer_->Shutdown();
    }

    // SimControl: the three words of error source `id`.
    void SetErrors(std::uint16_t id, std::uint32_t active, std::uint32_t stored) {
        zelknet::SimErrorRequest request;
        request.set_device(0);
        request.set_error_id(id);
        request.set_active(active);
        request.set_stored(stored);
        zelknet::SimReply reply;
        auto context = ZKNetClient::Context();
        ASSERT_TRUE(client_->Sim().SetErrors(context.get(), request, &reply).ok());
        ASSERT_TRUE(reply.ok()) << reply.error();
    }
    // SimControl: from now on every server and device call hangs past its deadline.
    void HangEveryCall() {
        zelknet::SimFaultRequest request;
        request.set_operation("*");
        request.set_count(1000000);
        request.set_hang(true);
        zelknet::SimReply reply;
        auto context = ZKNetClient::Context();
        ASSERT_TRUE(client_->Sim().InjectFault(context.get(), request, &reply).ok());
        ASSERT_TRUE(reply.ok()) << reply.error();
    }

    ZKDevice& Device() { return *device_; }
    ZKServer& Server() { return *server_; }

private:
    zktest::TempDir temp_;
    const std::string folder_ = temp_.Path() + "/zelkor";
    std::unique_ptr<ZelkNetServer> netServer_;
    std::shared_ptr<ZKNetClient> client_;
    ZPProfile profile_;
    ZKTimerServer timers_;
    std::unique_ptr<ZKServer> server_;
    std::unique_ptr<ZKDevice> device_;
};

}  // namespace

TEST(ZKDeviceDataNetTest, ErrorWordsSetThroughSimControlAreReadBackClearedAndSummarised) {
    Served served("[2, 15]");
    ZKDevice& device = served.Device();
    std::uint32_t code = 0;
    ASSERT_TRUE(device.ErrorSummary(code));
    EXPECT_EQ(ZKDevice::kSummaryNoError, code);

    served.SetErrors(3, 0, 0x1);
    served.SetErrors(27, 0x4, 0x4);
    std::vector<ZKErrorState> states;
    ASSERT_TRUE(device.ReadErrorStates({3, 27, 5}, states));
    EXPECT_EQ((std::vector<ZKErrorState>{{0, 0x1, 0}, {0x4, 0x4, 0}, {0, 0, 0}}), states);
    ASSERT_TRUE(device.ErrorSummary(code));
    EXPECT_EQ(ZKDevice::kSummaryActiveErrors, code);

    served.SetErrors(27, 0, 0x4);
    ASSERT_TRUE(device.ErrorSummary(code));
    EXPECT_EQ(ZKDevice::kSummaryStoredErrors, code);

    ASSERT_TRUE(device.ClearErrors());
    ASSERT_TRUE(device.ReadErrorStates({3, 27}, states));
    EXPECT_EQ((std::vector<ZKErrorState>{{0, 0, 0}, {0, 0, 0}}), states);
    ASSERT_TRUE(device.ErrorSummary(code));
    EXPECT_EQ(ZKDevice::kSummaryNoError, code);
}

TEST(ZKDeviceDataNetTest, FeaturesRightsAndTheRenamingCalibrationOverTheWire) {
    Served served("[2, 15]");
    ZKDevice& device = served.Device();
    std::vector<std::uint16_t> features{9};
    ASSERT_TRUE(device.ReadFeatures(features));
    EXPECT_EQ((std::vector<std::uint16_t>{9, 4}), features);

    // Item 0x80 is second in the profile's list: position 1.
    std::uint8_t rights = 0;
    ASSERT_TRUE(device.ReadItemRights(0x80, rights));
    EXPECT_EQ(0x05, rights);
    ASSERT_TRUE(device.ReadItemRights(0x100, rights));
    EXPECT_EQ(0x0F, rights);

    // 1300 bytes come in pieces of at most 512 (the server gives no more), each from its own offset.
    std::vector<std::uint8_t> renaming;
    std::string why;
    ASSERT_TRUE(device.ReadRenamingCalibration(&renaming, nullptr, &why)) << why;
    EXPECT_EQ(RenamingBytes(), renaming);
}

TEST(ZKDeviceDataNetTest, TheStoredProfileComesFromTheDeviceStoreWhenItNamesTheMainCode) {
    const std::vector<std::uint8_t> image = StoredImage();
    Served served("[2, 15]", {}, {},
                  "[device.store]\nsize = 4096\n[device.store.profile]\naddress = 0x100\nhex = \"" +
                      Hex(image) + "\"\n");
    ZKDevice& device = served.Device();
    std::vector<std::uint8_t> read;
    ASSERT_TRUE(device.GetStoredProfile(read, false));
    EXPECT_EQ(image, read);

    // Another main code: the image is not taken, and without a prompt nothing is downloaded.
    ZKDeviceIdentity newer = device.Entry().identity;
    newer.mainBuild = 8;
    device.SetIdentity(newer);
    EXPECT_FALSE(device.GetStoredProfile(read, true));
    EXPECT_TRUE(read.empty());
}

TEST(ZKDeviceDataNetTest, ServersBeforeTwoPointFourGiveEveryItemAllRights) {
    Served served("[2, 3]");
    std::uint8_t rights = 0;
    ASSERT_TRUE(served.Device().ReadItemRights(0x80, rights));
    EXPECT_EQ(ZKDevice::kAllRights, rights);
}

// A server that hangs every call: the heartbeat and the link check ping off the GUI thread, the owner's
// once-a-second IdentifyBest (as the status tick calls it) blocks for one call deadline at most, since the
// version tests before the extended identify ask nothing, and after the single lost-server report nothing
// waits on the server any more. A 2.10 server needs its build number for the test "2.10.0 or later".
TEST(ZKDeviceDataNetTest, AHungServerNeverHoldsTheGuiThreadLongerThanOneDeadlineASecond) {
    zk::WindowSystemScope windows;
    zktest::Watchdog watchdog(30s);
    ZKNetDeadlines deadlines;
    deadlines.call = 300ms;
    deadlines.ping = 200ms;

    int lostMessages = 0;
    bool done = false;
    zk::WindowCreateParams params;
    params.style = zk::WS_POPUP;
    params.proc = [&](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
        if (m == WMU_TIMER_TICK) ZKTimerServer::Deliver(w);
        if (m == WMU_SERVER_LOST) ++lostMessages;
        return zk::DefWindowProc(h, m, w, l);
    };
    const zk::HWND window = zk::CreateWindowEx(params);

    ZKDevice::Hooks hooks;
    hooks.mainWindow = window;
    Served served("[2, 10, 3]", deadlines, hooks);
    ZKTimerServer::SetTickWindow(window);
    served.Server().SetMainWindow(window);
    // The owner identifies the device once a second; a one-shot ends the run.
    struct Owner final : ZKTimerClient {
        explicit Owner(ZKDevice& d, bool& f) : device(d), finished(f) {}
        void Tick(std::uint32_t id, std::uint32_t) override {
            ZKDeviceIdentity identity;
            if (id == 1) device.IdentifyBest(identity);
            if (id == 2) finished = true;
        }
        ZKDevice& device;
        bool& finished;
    } owner(served.Device(), done);
    ZKTimerServer::AddPeriodic(1000, 1, &owner, 0);
    ZKTimerServer::AddOneShot(5500, 2, &owner, 0);
    served.HangEveryCall();

    // How long each message held the GUI thread, and when.
    std::vector<std::pair<Clock::time_point, Clock::duration>> held;
    Clock::time_point lostAt{};
    zk::MSG msg;
    while (!done && zk::GetMessage(msg)) {
        const auto begin = Clock::now();
        zk::DispatchMessage(msg);
        held.emplace_back(begin, Clock::now() - begin);
        if (lostMessages == 1 && lostAt == Clock::time_point{}) lostAt = Clock::now();
    }
    ZKTimerServer::RemoveAll(&owner);

    EXPECT_EQ(1, lostMessages);
    ASSERT_NE(Clock::time_point{}, lostAt);
    const auto slack = 100ms;
    for (const auto& [start, ignored] : held) {
        Clock::duration inSecond{};
        for (const auto& [other, length] : held) {
            if (other >= start && other < start + 1s) inSecond += length;
        }
        EXPECT_LE(inSecond, deadlines.call + slack);
    }
    // Once the server is lost nothing waits on it.
    Clock::duration afterLost{};
    for (const auto& [start, length] : held) {
        if (start > lostAt) afterLost += length;
    }
    EXPECT_LT(afterLost, 50ms);
    EXPECT_FALSE(served.Device().IsConnected());
    zk::DestroyWindow(window);
}
